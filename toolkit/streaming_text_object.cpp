// StreamingTextObject: segment bookkeeping, the start delay and the stepwise
// movement of the row.
#include "toolkit/streaming_text_object.h"

#include <cstdlib>
#include <iterator>

namespace vareko {

StreamingTextObject::StreamingTextObject() = default;

StreamingTextObject::~StreamingTextObject() {
    ClearSegments();
    if (font != nullptr) DeleteObject(font);
}

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
    if (font != nullptr) DeleteObject(font);
    font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    if (font != nullptr) SetPointSize(8);
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

void StreamingTextObject::ReplaceFont(const LOGFONTW& logFont) {
    if (font != nullptr) DeleteObject(font);
    font = CreateFontIndirectW(&logFont);
}

void StreamingTextObject::SetFaceName(const wchar_t* faceName) {
    if (faceName == nullptr) return;
    LOGFONTW logFont = DescribeFont(font);
    CopyFaceName(logFont, faceName);
    ReplaceFont(logFont);
}

void StreamingTextObject::SetPointSize(int points) {
    LOGFONTW logFont = DescribeFont(font);
    logFont.lfHeight = PointsToHeight(points);
    ReplaceFont(logFont);
}

void StreamingTextObject::SetWeight(int weight) {
    LOGFONTW logFont = DescribeFont(font);
    logFont.lfWeight = weight;
    ReplaceFont(logFont);
}

void StreamingTextObject::SetFont(const LOGFONTW& logFont) {
    ReplaceFont(logFont);
    layoutDirty = TRUE;
}

HFONT StreamingTextObject::GetFont() const { return font; }
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
    if (font != nullptr) segment->SetFont(DescribeFont(font));
    layoutDirty = TRUE;
    children.push_back(segment);
    if (headSegment == nullptr) headSegment = segment;
    return static_cast<int>(children.size()) - 1;
}

void StreamingTextObject::RemoveSegment(int index) {
    if (index < 0 || index >= static_cast<int>(children.size())) return;
    auto it = std::next(children.begin(), index);
    DisplayObject* segment = *it;
    children.erase(it);
    if (segment == headSegment) headSegment = First();
    delete segment;
}

void StreamingTextObject::ClearSegments() {
    for (DisplayObject* segment : children) delete segment;
    children.clear();
    // The head went with the rest; a later AddSegment makes the new head.
    headSegment = nullptr;
}

const TextObject* StreamingTextObject::Segment(int index) const {
    if (index < 0 || index >= static_cast<int>(children.size())) return nullptr;
    return static_cast<const TextObject*>(*std::next(children.begin(), index));
}

TextObject* StreamingTextObject::First() const {
    return children.empty() ? nullptr : static_cast<TextObject*>(children.front());
}

void StreamingTextObject::Draw(GraphicsSurface& surface) {
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
        const float step = static_cast<float>(static_cast<DWORD>(speed) * elapsed) / 1000.0f;
        startTick = GetTickCount();
        if (children.size() > 1) {
            const float total = step + remainder;
            if (static_cast<float>(minimumStep) <= total) {
                const int whole = static_cast<int>(total);
                remainder = total - static_cast<float>(whole);
                Shift(-whole);
            } else {
                remainder = total;
            }
        }
    }
    ObjectCollection::Draw(surface);
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
    if (font != nullptr) first->SetFont(DescribeFont(font));
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
    LONG x = 0;
    for (DisplayObject* child : children) {
        auto* segment = static_cast<TextObject*>(child);
        const SIZE width = *segment->GetTextExtent();
        segment->SetExtent(width.cx, width.cy);
        if (x == 0) x = segment->GetOffset()->x;
        segment->SetOffset(x, segment->GetOffset()->y);
        x += width.cx;
    }
}

void StreamingTextObject::Shift(int dx) {
    for (DisplayObject* segment : children) {
        const POINT at = *segment->GetOffset();
        segment->SetOffset(at.x + dx, at.y);
    }
    if (headSegment != nullptr &&
        std::labs(headSegment->GetOffset()->x) >= headSegment->GetTextExtent()->cx) {
        // The head's list node moves to the end: no node is freed or made.
        children.splice(children.end(), children, children.begin());
        Arrange();
        headSegment = First();
    }
}

}  // namespace vareko
