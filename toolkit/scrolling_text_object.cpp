// ScrollingTextObject: measuring once per restart, the state machine and
// the step by speed and elapsed time.
#include "toolkit/scrolling_text_object.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cwchar>

namespace vareko {

namespace {

// Truncation toward zero that saturates instead of being undefined.
int TruncateToPixels(float value) {
    if (!(value < 2147483648.0f)) {
        return INT32_MAX;  // also for a value that is not a number
    }
    if (value < -2147483648.0f) {
        return INT32_MIN;
    }
    return static_cast<int>(value);
}

// How far a text of that length scrolls in a box of that size: 0 when it
// fits, saturated when the difference leaves the int range.
int ScrollRange(int box, LONG text) {
    if (box >= text) {
        return 0;
    }
    return static_cast<int>(std::min<std::int64_t>(std::int64_t{text} - box, INT32_MAX));
}

}  // namespace

ScrollingTextObject::~ScrollingTextObject() = default;

HRESULT ScrollingTextObject::Initialize() {
    startDelay = 1000;
    speed = 20;
    maxScroll = -1;
    elapsed = 0;
    startTick = GetTickCount();
    scrollPosition = 0.0f;
    direction = static_cast<int>(ScrollDirection::Horizontal);
    endDelay = 1000;
    repeat = TRUE;
    return TextObject::Initialize();
}

void ScrollingTextObject::Restart() {
    state = static_cast<int>(ScrollState::Waiting);
    elapsed = 0;
    startTick = GetTickCount();
    maxScroll = -1;
    scrollPosition = 0.0f;
    SetLeftMargin(0);
    SetOffset(0, 0);
    TextObject::Restart();
}

void ScrollingTextObject::Tick(DWORD now) {
    elapsed = now - startTick;
}

void ScrollingTextObject::SetText(const wchar_t* newText) {
    if (newText == nullptr) {
        return;
    }
    const wchar_t* current = GetText();
    if (current == nullptr || std::wcscmp(current, newText) != 0) {
        Restart();
    }
    TextObject::SetText(newText);
}

void ScrollingTextObject::SetStartDelay(DWORD milliseconds) {
    startDelay = milliseconds;
}

void ScrollingTextObject::SetEndDelay(DWORD milliseconds) {
    endDelay = milliseconds;
}

void ScrollingTextObject::SetSpeed(int pixelsPerSecond) {
    // A negative speed stands still, as the streaming text's does; taken as
    // it is, it would wrap to a huge one in the unsigned step.
    speed = std::max(pixelsPerSecond, 0);
}

void ScrollingTextObject::SetDirection(int newDirection) {
    if (newDirection != static_cast<int>(ScrollDirection::Horizontal) &&
        newDirection != static_cast<int>(ScrollDirection::Vertical)) {
        return;
    }
    direction = newDirection;
    SetWordWrap(newDirection == static_cast<int>(ScrollDirection::Vertical));
    Restart();
}

int ScrollingTextObject::GetDirection() const {
    return direction;
}

BOOL ScrollingTextObject::IsFinished() const {
    return state == static_cast<int>(ScrollState::Finished) ? TRUE : FALSE;
}

void ScrollingTextObject::SetRepeat(BOOL on) {
    repeat = on;
}

void ScrollingTextObject::Measure() {
    if (direction == static_cast<int>(ScrollDirection::Vertical)) {
        SIZE e = *GetWrappedExtent();
        maxScroll = ScrollRange(GetHeight(), e.cy);
        SetExtent(e.cx, e.cy);
    } else {
        SIZE e = *GetTextExtent();
        maxScroll = ScrollRange(GetWidth(), e.cx);
        SetExtent(std::max(size.cx, e.cx), e.cy);
    }
}

void ScrollingTextObject::Step() {
    // The product wraps in 32 bits, as the tick arithmetic does.
    float step = static_cast<float>(static_cast<DWORD>(speed) * elapsed) / 1000.0f;
    scrollPosition += step;
    int p = std::min(TruncateToPixels(scrollPosition), maxScroll);
    if (direction == static_cast<int>(ScrollDirection::Vertical)) {
        SetOffset(GetOffset()->x, -p);
    } else {
        SetOffset(-p, GetOffset()->y);
    }
    startTick = GetTickCount();
    if (p == maxScroll) {
        state = static_cast<int>(ScrollState::Pausing);
    }
}

void ScrollingTextObject::Draw(GraphicsSurface& surface) {
    if (textLength == 0) {
        return;
    }
    if (maxScroll == -1) {
        TextObject::Draw(surface);  // measures the extents
        Measure();
    }
    switch (static_cast<ScrollState>(state)) {
        case ScrollState::Waiting:
            if (elapsed > startDelay) {
                state = static_cast<int>(ScrollState::Scrolling);
                elapsed = 0;
                startTick = GetTickCount();
            }
            break;
        case ScrollState::Scrolling:
            Step();
            break;
        case ScrollState::Pausing:
            if (elapsed > endDelay) {
                if (repeat) {
                    Restart();
                } else {
                    elapsed = 0;
                    startTick = GetTickCount();
                    state = static_cast<int>(ScrollState::Finished);
                }
            }
            break;
        case ScrollState::Finished:
        default:
            break;
    }
    TextObject::Draw(surface);
}

}  // namespace vareko
