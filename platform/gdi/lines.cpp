// Lines: MoveToEx and LineTo with one-pixel solid and styled pens.
//
// A line from S to E lights, for each step i in [0, n) along its major axis
// (n = the larger of |dx| and |dy|; the end point is excluded), the pixel
//   major = S.major + i * majorSign,
//   minor = S.minor + minorSign * f(i),  f(i) = floor((2*i*dm + bias) / (2*n)),
// which is i*dm/n rounded to nearest; dm is the minor extent. A half always
// goes to the smaller minor coordinate, whichever way the line runs (bias
// n - 1 when the minor coordinate grows, n when it shrinks), as the
// platform's lines do. The walk keeps f(i) and the remainder incrementally, as
// Bresenham does. Clipping works on the step range: for each clip rectangle
// the steps whose pixel lies inside are one contiguous range (f is monotone),
// found before the walk, so the walk itself never tests the clip.
#include <cassert>
#include <cstdint>
#include <cstdlib>

#include "platform/gdi/painting.h"
#include "platform/gdi/raster.h"

namespace vareko::gdi {

namespace {

struct DashPattern {
    DWORD onBits;  // bit k set: pixel k of the period is drawn with the pen
    int period;
};

// Dash and gap lengths of the styled pens, in pixels.
constexpr DashPattern MakePattern(std::initializer_list<int> lengths) {
    DWORD bits = 0;
    int position = 0;
    bool on = true;
    for (int length : lengths) {
        for (int k = 0; k < length; ++k, ++position) {
            if (on) {
                bits |= DWORD{1} << position;
            }
        }
        on = !on;
    }
    return DashPattern{bits, position};
}

constexpr DashPattern kSolid{1, 1};
constexpr DashPattern kPatterns[] = {
    kSolid,                            // PS_SOLID
    MakePattern({18, 6}),              // PS_DASH
    MakePattern({3, 3}),               // PS_DOT
    MakePattern({9, 6, 3, 6}),         // PS_DASHDOT
    MakePattern({9, 3, 3, 3, 3, 3}),   // PS_DASHDOTDOT
    kSolid,                            // PS_NULL: never walked
    kSolid,                            // PS_INSIDEFRAME: solid at one pixel
};

constexpr std::int64_t kMaxSteps = std::int64_t{1} << 30;

struct LineSetup {
    bool xMajor;
    std::int64_t startMajor, startMinor;
    int majorSign, minorSign;
    std::int64_t steps;  // n
    std::int64_t minorExtent;  // dm
    std::int64_t bias;  // n - 1 or n: which way halves of f(i) round

    std::int64_t MinorOffset(std::int64_t i) const {
        return (2 * i * minorExtent + bias) / (2 * steps);
    }
};

// First step in [from, to) whose minor offset is at least value, or to.
std::int64_t FirstStepReaching(const LineSetup& line, std::int64_t from, std::int64_t to,
                               std::int64_t value) {
    while (from < to) {
        std::int64_t mid = from + (to - from) / 2;
        if (line.MinorOffset(mid) >= value) {
            to = mid;
        } else {
            from = mid + 1;
        }
    }
    return from;
}

// Steps of [0, n) whose pixel lies in the half-open range [low, high) of one
// axis, for a coordinate start + sign * t(i) where t is monotone.
void AxisRange(std::int64_t start, int sign, std::int64_t low, std::int64_t high,
               std::int64_t& tLow, std::int64_t& tHigh) {
    if (sign > 0) {
        tLow = low - start;
        tHigh = high - start;
    } else {
        tLow = start - high + 1;
        tHigh = start - low + 1;
    }
}

struct PenPixels {
    DWORD pen;
    DWORD gap;
    bool paintGaps;
    DashPattern pattern;  // starts afresh with every line, as the platform's does
};

// Callers clip: every step in [first, last) lies inside the bitmap.
template <class Format>
void WalkLine(Bitmap& bitmap, const LineSetup& line, std::int64_t first, std::int64_t last,
              const PenPixels& pen) {
    std::int64_t twoN = 2 * line.steps;
    std::int64_t numerator = 2 * first * line.minorExtent + line.bias;
    std::int64_t minor = numerator / twoN;
    std::int64_t remainder = numerator % twoN;
    int dash = static_cast<int>(first % pen.pattern.period);
    for (std::int64_t i = first; i < last; ++i) {
        auto major = static_cast<int>(line.startMajor + i * line.majorSign);
        auto minorCoord = static_cast<int>(line.startMinor + minor * line.minorSign);
        int x = line.xMajor ? major : minorCoord;
        int y = line.xMajor ? minorCoord : major;
        assert(x >= 0 && x < bitmap.Width() && y >= 0 && y < bitmap.Height());
        if ((pen.pattern.onBits >> dash) & 1) {
            Format::Apply(bitmap.Row(y), x, 0, pen.pen);
        } else if (pen.paintGaps) {
            Format::Apply(bitmap.Row(y), x, 0, pen.gap);
        }
        if (++dash == pen.pattern.period) {
            dash = 0;
        }
        remainder += 2 * line.minorExtent;
        if (remainder >= twoN) {
            remainder -= twoN;
            ++minor;
        }
    }
}

// A device position in 64 bits: a logical point plus the viewport origin,
// unclamped, so that a line keeps its true slope whatever its end points.
struct DevicePoint {
    std::int64_t x, y;
};

DevicePoint ToDevicePoint(const DeviceContext& dc, POINT logical) {
    return DevicePoint{std::int64_t{logical.x} + dc.viewportOrigin.x,
                       std::int64_t{logical.y} + dc.viewportOrigin.y};
}

void DrawLine(DeviceContext& dc, DevicePoint from, DevicePoint to) {
    const Pen& pen = dc.SelectedPen();
    std::int64_t dx = to.x - from.x;
    std::int64_t dy = to.y - from.y;
    LineSetup line;
    line.xMajor = std::llabs(dx) >= std::llabs(dy);
    std::int64_t dMajor = line.xMajor ? dx : dy;
    std::int64_t dMinor = line.xMajor ? dy : dx;
    line.startMajor = line.xMajor ? from.x : from.y;
    line.startMinor = line.xMajor ? from.y : from.x;
    line.majorSign = dMajor < 0 ? -1 : 1;
    line.minorSign = dMinor < 0 ? -1 : 1;
    line.steps = std::llabs(dMajor);
    line.minorExtent = std::llabs(dMinor);
    line.bias = line.minorSign > 0 ? line.steps - 1 : line.steps;
    if (line.steps == 0 || line.steps > kMaxSteps || pen.style == PS_NULL) {
        return;
    }
    const DashPattern& pattern = kPatterns[pen.style];
    Bitmap& bitmap = dc.SelectedBitmap();
    PenPixels pixels{bitmap.ColourToPixel(pen.colour), bitmap.ColourToPixel(dc.bkColor),
                     dc.bkMode == OPAQUE, pattern};
    WithFormat(bitmap.Format(), [&](auto format) {
        for (const RECT& clip : dc.ClipRects()) {
            std::int64_t majorLow, majorHigh, minorLow, minorHigh;
            if (line.xMajor) {
                AxisRange(line.startMajor, line.majorSign, clip.left, clip.right, majorLow, majorHigh);
                AxisRange(line.startMinor, line.minorSign, clip.top, clip.bottom, minorLow, minorHigh);
            } else {
                AxisRange(line.startMajor, line.majorSign, clip.top, clip.bottom, majorLow, majorHigh);
                AxisRange(line.startMinor, line.minorSign, clip.left, clip.right, minorLow, minorHigh);
            }
            std::int64_t first = majorLow > 0 ? majorLow : 0;
            std::int64_t last = majorHigh < line.steps ? majorHigh : line.steps;
            if (first >= last) {
                continue;
            }
            std::int64_t minorFirst = FirstStepReaching(line, first, last, minorLow);
            std::int64_t minorLast = FirstStepReaching(line, minorFirst, last, minorHigh);
            if (minorFirst < minorLast) {
                WalkLine<decltype(format)>(bitmap, line, minorFirst, minorLast, pixels);
            }
        }
    });
}

}  // namespace

}  // namespace vareko::gdi

using namespace vareko::gdi;

BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT previous) {
    DeviceContext* dc = LookupDc(hdc);
    if (dc == nullptr) {
        return FALSE;
    }
    if (previous != nullptr) {
        *previous = dc->penPosition;
    }
    dc->penPosition = POINT{x, y};
    return TRUE;
}

BOOL LineTo(HDC hdc, int x, int y) {
    DeviceContext* dc = LookupDc(hdc);
    if (dc == nullptr) {
        return FALSE;
    }
    DrawLine(*dc, ToDevicePoint(*dc, dc->penPosition), ToDevicePoint(*dc, POINT{x, y}));
    dc->penPosition = POINT{x, y};
    return TRUE;
}
