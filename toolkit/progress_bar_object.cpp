// ProgressBarObject: clamping, the mapping to pixels and the three looks.
#include "toolkit/progress_bar_object.h"

#include <cmath>
#include <cstdint>

#include "toolkit/dc_state_guard.h"
#include "toolkit/graphics_surface.h"

namespace vareko {

namespace {

// Truncation toward zero that saturates instead of being undefined.
int SaturatingTruncate(float value) {
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= 2147483648.0f) {
        return INT32_MAX;
    }
    if (value < -2147483648.0f) {
        return INT32_MIN;
    }
    return static_cast<int>(value);
}

int SaturatingInt(std::int64_t value) {
    return static_cast<int>(value > INT32_MAX ? INT32_MAX
                                              : (value < INT32_MIN ? INT32_MIN : value));
}

}  // namespace

int MapToPixels(float value, int a, int b, int c, int d) {
    auto low = static_cast<float>(a);
    auto high = static_cast<float>(b);
    if (low == high) {
        return c;
    }
    // The ratio and the span are each rounded to float, as the product is.
    float ratio = (value - low) / (high - low);
    auto span = static_cast<float>(static_cast<std::int64_t>(d) - c);
    return SaturatingTruncate(ratio * span + static_cast<float>(c));
}

ProgressBarObject::~ProgressBarObject() {
    if (dotPen != nullptr) {
        DeleteObject(dotPen);
    }
}

HRESULT ProgressBarObject::Initialize() {
    brush = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    if (dotPen == nullptr) {
        dotPen = CreatePen(PS_DOT, 1, RGB(255, 255, 255));
    }
    return DisplayObject::Initialize();
}

void ProgressBarObject::Restart() {}

void ProgressBarObject::SetRange(const int newRange[2]) {
    SetRange(newRange[0], newRange[1]);
}

void ProgressBarObject::SetRange(int minimum, int maximum) {
    range[0] = minimum;
    range[1] = maximum;
}

const int* ProgressBarObject::GetRange() const {
    return range;
}

float ProgressBarObject::SetPosition(float value) {
    auto minimum = static_cast<float>(range[0]);
    auto maximum = static_cast<float>(range[1]);
    float t = std::isnan(value) || maximum <= value ? maximum : value;
    position = minimum > t ? minimum : t;
    return position;
}

float ProgressBarObject::GetPosition() const {
    return position;
}

void ProgressBarObject::SetCursorStyle(BOOL on) {
    style = static_cast<int>(on ? ProgressStyle::Cursor : ProgressStyle::Bar);
}

void ProgressBarObject::SetStyle(int newStyle) {
    const bool known = newStyle >= static_cast<int>(ProgressStyle::Bar) &&
                       newStyle <= static_cast<int>(ProgressStyle::FrameOnly);
    style = known ? newStyle : static_cast<int>(ProgressStyle::FrameOnly);
}

void ProgressBarObject::Draw(GraphicsSurface& surface) {
    HDC dc = surface.GetMemoryDC();
    int w = GetWidth();
    int h = GetHeight();
    surface.Clear();
    // The system reads a null brush as a system-colour index, not as
    // nothing, so a bar that was never initialised draws nothing at all.
    if (brush == nullptr) {
        return;
    }
    RECT frame{0, 0, w, h};
    FrameRect(dc, &frame, brush);
    switch (static_cast<ProgressStyle>(style)) {
        case ProgressStyle::Bar: {
            RECT bar{0, 0, MapToPixels(position, range[0], range[1], 0, w), h};
            FillRect(dc, &bar, brush);
            break;
        }
        case ProgressStyle::Cursor:
        case ProgressStyle::CursorWithTrail: {
            int last = SaturatingInt(std::int64_t{w} - cursorWidth - 1);
            int x = MapToPixels(position, range[0], range[1], 1, last);
            RECT cursor{x, 0, SaturatingInt(std::int64_t{x} + cursorWidth), h};
            FillRect(dc, &cursor, brush);
            // Without its pen the trail is left out; the cursor still shows.
            if (style == static_cast<int>(ProgressStyle::CursorWithTrail) && dotPen != nullptr) {
                int y = h / 2;
                DcStateGuard state(dc);
                state.Select(dotPen);
                MoveToEx(dc, 0, y, nullptr);
                LineTo(dc, x, y);
            }
            break;
        }
        case ProgressStyle::FrameOnly:
            break;
    }
}

}  // namespace vareko
