// StreamingTextObject: segment bookkeeping, the start delay and the stepwise
// movement of the row.
#include "toolkit/streaming_text_object.h"

#include <algorithm>
#include <iterator>
#include <limits>

namespace vareko {
namespace {

int SaturateToInt(std::int64_t value) {
    return static_cast<int>(std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}

LONG TextWidth(const DisplayObject* segment) {
    return static_cast<const TextObject*>(segment)->GetTextExtent()->cx;
}

}  // namespace

StreamingTextObject::StreamingTextObject() = default;

StreamingTextObject::~StreamingTextObject() { ClearSegments(); }

HRESULT StreamingTextObject::Initialize() {
    state = Waiting;
    startDelay = 2000;
    speed = 7;
    minimumStep = 7;
    elapsed = 0;
    startTick = GetTickCount();
    layoutDirty = FALSE;
    headSegment = nullptr;
    remainder = 0.0f;
    if (SUCCEEDED(font.HoldDefault())) SetPointSize(8);
    return ObjectCollection::Initialize();
}

void StreamingTextObject::SetOrigin(int x, int y) {
    // Stored through the base's POINT form called directly: the POINT form
    // of this class calls back into this one.
    DisplayObject::SetOrigin(POINT{x, y});
    TextObject* first = First();
    if (first == nullptr) return;
    const POINT previous = *first->GetOrigin();
    // All segments share the object's box, so they move together.
    for (DisplayObject* segment : children) segment->SetOrigin(x, y);
    if (previous.x != x && previous.y != y) Restart();
}

void StreamingTextObject::SetOrigin(POINT newOrigin) { SetOrigin(newOrigin.x, newOrigin.y); }

void StreamingTextObject::SetVisible(BOOL isVisible) { ObjectCollection::SetVisible(isVisible); }

void StreamingTextObject::Restart() {
    state = Waiting;
    elapsed = 0;
    startTick = GetTickCount();
    headSegment = nullptr;
    remainder = 0.0f;
    layoutDirty = TRUE;
    ClearSegments();
    AddSegment(text.c_str());
}

void StreamingTextObject::Tick(DWORD now) { elapsed = now - startTick; }

void StreamingTextObject::SetText(const wchar_t* newText) {
    if (newText == nullptr || text == newText) return;
    text = newText;
    layoutDirty = TRUE;
    Restart();
}

void StreamingTextObject::SetSeparator(const wchar_t* newSeparator) {
    if (newSeparator == nullptr || separator == newSeparator) return;
    separator = newSeparator;
    layoutDirty = TRUE;
}

// The three attribute setters leave the row alone: segments made later take
// the new font.
void StreamingTextObject::SetFaceName(const wchar_t* faceName) {
    if (faceName == nullptr) return;
    font.Set(font.WithFaceName(faceName));
}

void StreamingTextObject::SetPointSize(int points) { font.Set(font.WithPointSize(points)); }

void StreamingTextObject::SetWeight(int weight) { font.Set(font.WithWeight(weight)); }

void StreamingTextObject::SetFont(const LOGFONTW& logFont) {
    if (font.Set(logFont)) layoutDirty = TRUE;
}

HFONT StreamingTextObject::GetFont() const { return font.Get(); }
void StreamingTextObject::SetAlignment(UINT flags) { alignment = flags; }
void StreamingTextObject::SetStartDelay(DWORD ms) { startDelay = ms; }
void StreamingTextObject::SetSpeed(int pixelsPerSecond) { speed = pixelsPerSecond; }
void StreamingTextObject::SetMinimumStep(DWORD pixels) { minimumStep = pixels; }

int StreamingTextObject::AddSegment(const wchar_t* segmentText) {
    auto* segment = new TextObject();
    segment->Initialize();
    segment->SetText(segmentText);
    segment->SetOrigin(origin.x, origin.y);
    segment->SetOffset(offset.x, offset.y);
    segment->SetSize(GetWidth(), GetHeight());
    segment->SetBackgroundMode(OPAQUE);
    if (font.Get() != nullptr) segment->SetFont(font.Describe());
    layoutDirty = TRUE;
    children.push_back(segment);
    madeSegments.push_back(segment);
    if (headSegment == nullptr) headSegment = segment;
    return static_cast<int>(children.size()) - 1;
}

void StreamingTextObject::RemoveSegment(int index) {
    if (index < 0 || index >= static_cast<int>(children.size())) return;
    auto it = std::next(children.begin(), index);
    DisplayObject* segment = *it;
    children.erase(it);
    if (segment == headSegment) headSegment = First();
    const auto made = std::find(madeSegments.begin(), madeSegments.end(), segment);
    if (made == madeSegments.end()) return;
    madeSegments.erase(made);
    delete segment;
}

void StreamingTextObject::ClearSegments() {
    for (TextObject* segment : madeSegments) delete segment;
    madeSegments.clear();
    children.clear();
    // The head went with the rest; a later AddSegment makes the new head.
    headSegment = nullptr;
}

const TextObject* StreamingTextObject::Segment(int index) const {
    if (index < 0 || index >= static_cast<int>(children.size())) return nullptr;
    const DisplayObject* child = *std::next(children.begin(), index);
    return Made(child) ? static_cast<const TextObject*>(child) : nullptr;
}

TextObject* StreamingTextObject::First() const {
    return children.empty() || !Made(children.front()) ? nullptr : static_cast<TextObject*>(children.front());
}

bool StreamingTextObject::Made(const DisplayObject* child) const {
    return std::find(madeSegments.begin(), madeSegments.end(), child) != madeSegments.end();
}

void StreamingTextObject::DropForeignChildren() {
    children.remove_if([this](const DisplayObject* child) { return !Made(child); });
}

void StreamingTextObject::Draw(GraphicsSurface& surface) {
    DropForeignChildren();
    if (layoutDirty) {
        BuildRow(surface);
        layoutDirty = FALSE;
        return;
    }
    if (state == Waiting) {
        if (elapsed > startDelay) {
            state = Streaming;
            elapsed = 0;
            startTick = GetTickCount();
        }
    } else {
        Advance();
    }
    ObjectCollection::Draw(surface);
}

void StreamingTextObject::Advance() {
    // The product is taken in 64 bits: a long absence gives the whole
    // distance, not a wrapped one. It stays below 2^63, and so does total.
    const std::uint64_t pixelMilliseconds = static_cast<std::uint64_t>(std::max(speed, 0)) * elapsed;
    const float step = static_cast<float>(pixelMilliseconds) / 1000.0f;
    startTick = GetTickCount();
    if (children.size() <= 1) return;
    const float total = step + remainder;
    if (static_cast<float>(minimumStep) > total) {
        remainder = total;
        return;
    }
    const auto whole = static_cast<std::int64_t>(total);
    remainder = total - static_cast<float>(whole);
    Shift(whole);
}

void StreamingTextObject::BuildRow(GraphicsSurface& surface) {
    // A change of separator or font while a ticker runs rebuilds the row
    // from the text alone, so the row never grows by further groups.
    if (children.size() > 1) {
        ClearSegments();
        AddSegment(text.c_str());
    }
    TextObject* first = First();
    if (first == nullptr) return;
    if (font.Get() != nullptr) first->SetFont(font.Describe());
    ObjectCollection::Draw(surface);  // measures the first segment
    if (first->GetTextExtent()->cx > GetWidth()) {
        first->SetAlignment(0);
        AddSegment(separator.c_str());
        AddSegment(text.c_str());
        AddSegment(separator.c_str());
    } else {
        first->SetAlignment(alignment);
    }
    ObjectCollection::Draw(surface);  // measures the new segments
    Arrange();
}

void StreamingTextObject::Arrange() {
    if (children.size() <= 1) return;
    for (DisplayObject* child : children) {
        const SIZE width = *static_cast<TextObject*>(child)->GetTextExtent();
        child->SetExtent(width.cx, width.cy);
    }
    Place(children.front()->GetOffset()->x);
}

void StreamingTextObject::Place(std::int64_t left) {
    for (DisplayObject* segment : children) {
        segment->SetOffset(SaturateToInt(left), segment->GetOffset()->y);
        left += TextWidth(segment);
    }
}

void StreamingTextObject::Shift(std::int64_t distance) {
    std::int64_t rowWidth = 0;
    for (const DisplayObject* segment : children) rowWidth += TextWidth(segment);
    if (rowWidth == 0) return;
    // Moving by the row's own width shows the same picture, so only the rest
    // of the distance is applied, and a row wholly left of the box first
    // comes back by whole row widths.
    std::int64_t left = children.front()->GetOffset()->x - distance % rowWidth;
    if (left + rowWidth <= 0) left += (-left / rowWidth) * rowWidth;
    // Every segment that has left the box goes to the back; the row ends
    // right of the box's left edge, so this stops before a full pass. The
    // list nodes move: none is freed or made.
    while (left + TextWidth(children.front()) <= 0) {
        left += TextWidth(children.front());
        children.splice(children.end(), children, children.begin());
    }
    Place(left);
    headSegment = First();
}

}  // namespace vareko
