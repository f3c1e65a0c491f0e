// Fuzz target: text layout and drawing. The input picks a font (house or
// installed face, height, weight, slant), a rectangle, margins, DT_ flags and
// a viewport origin, and supplies UTF-16 text (two bytes per code unit, so
// NULs, line ends and lone surrogates occur). The text is measured and drawn
// into a 160 x 43 DIB with DrawTextExW, TextOutW and GetTextExtentPoint32W.
// Checked: measuring is repeatable, a single line measures as its extent,
// and clipped drawing paints nothing outside its rectangle.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/text/house_font.h"
#include "platform/win32.h"

namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 43;

constexpr std::array<const wchar_t*, 5> kFaces = {vareko::text::kHouseFaceName.data(), L"", L"DejaVu Sans",
                                                  L"Liberation Mono", L"No Such Face"};
// Every flag DrawTextExW supports, plus one it ignores.
constexpr std::array<UINT, 10> kFlags = {DT_CENTER,     DT_RIGHT,  DT_VCENTER,  DT_BOTTOM,  DT_WORDBREAK,
                                         DT_SINGLELINE, DT_NOCLIP, DT_NOPREFIX, DT_CALCRECT, DT_EXPANDTABS};

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "text_layout: %s\n", what);
        std::abort();
    }
}

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t Byte() {
        if (size_ == 0) return 0;
        --size_;
        return *data_++;
    }
    // Mostly small values; with `wide` set, anything a LONG holds.
    LONG Coordinate(bool wide) {
        if (!wide) return static_cast<std::int8_t>(Byte());
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v = (v << 8) | Byte();
        return static_cast<LONG>(v);
    }
    std::size_t Left() const { return size_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

struct Canvas {
    HDC dc = nullptr;
    std::uint32_t* pixels = nullptr;
};

Canvas& TheCanvas() {
    static Canvas canvas = [] {
        Canvas c;
        BITMAPINFO info{};
        info.bmiHeader = BITMAPINFOHEADER{40, kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        c.dc = CreateCompatibleDC(nullptr);
        HBITMAP bitmap = CreateDIBSection(c.dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        Check(c.dc != nullptr && bitmap != nullptr && bits != nullptr, "no canvas");
        SelectObject(c.dc, bitmap);
        c.pixels = static_cast<std::uint32_t*>(bits);
        return c;
    }();
    return canvas;
}

// True when no pixel outside `clip` (device coordinates) is set.
bool NothingOutside(const Canvas& canvas, const RECT& clip) {
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const bool inside = x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
            if (!inside && (canvas.pixels[y * kWidth + x] & 0xFFFFFF) != 0) return false;
        }
    }
    return true;
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    const std::uint8_t shape = in.Byte();
    const bool wideFont = shape & 1;
    const bool wideBox = shape & 2;
    const bool zeroTerminated = shape & 4;
    const bool opaque = shape & 8;

    LOGFONTW logFont{};
    const wchar_t* face = kFaces[in.Byte() % kFaces.size()];
    std::wcsncpy(logFont.lfFaceName, face, LF_FACESIZE - 1);
    logFont.lfHeight = wideFont ? in.Coordinate(true) : static_cast<std::int8_t>(in.Byte()) / 2;
    logFont.lfWeight = in.Byte() * 4;
    logFont.lfItalic = in.Byte() & 1;

    UINT format = 0;
    const unsigned flagBits = in.Byte() | (static_cast<unsigned>(in.Byte()) << 8);
    for (std::size_t i = 0; i < kFlags.size(); ++i) {
        if ((flagBits >> i) & 1) format |= kFlags[i];
    }
    const RECT box{in.Coordinate(wideBox), in.Coordinate(wideBox), in.Coordinate(wideBox), in.Coordinate(wideBox)};
    DRAWTEXTPARAMS params{};
    params.cbSize = sizeof params;
    params.iLeftMargin = in.Coordinate(wideBox);
    params.iRightMargin = in.Coordinate(wideBox);
    const POINT origin{static_cast<std::int8_t>(in.Byte()) / 4, static_cast<std::int8_t>(in.Byte()) / 4};

    std::vector<wchar_t> text;
    while (in.Left() >= 2) {
        const unsigned unit = in.Byte() | (static_cast<unsigned>(in.Byte()) << 8);
        text.push_back(static_cast<wchar_t>(unit));
    }
    const int length = static_cast<int>(text.size());
    text.push_back(0);
    const int count = zeroTerminated ? -1 : length;
    const int drawnLength = zeroTerminated ? static_cast<int>(std::wcslen(text.data())) : length;

    Canvas& canvas = TheCanvas();
    std::memset(canvas.pixels, 0, sizeof(std::uint32_t) * kWidth * kHeight);
    HFONT font = CreateFontIndirectW(&logFont);
    HGDIOBJ previousFont = font != nullptr ? SelectObject(canvas.dc, font) : nullptr;
    SetViewportOrgEx(canvas.dc, origin.x, origin.y, nullptr);
    SetTextColor(canvas.dc, 0xFFFFFF);
    SetBkColor(canvas.dc, 0xFFFFFF);
    SetBkMode(canvas.dc, opaque ? OPAQUE : TRANSPARENT);

    // Measuring twice gives the same rectangle and height.
    const UINT measure = (format | DT_CALCRECT) & ~static_cast<UINT>(DT_NOCLIP);
    RECT first = box;
    const int firstHeight = DrawTextExW(canvas.dc, text.data(), count, &first, measure, &params);
    RECT second = box;
    const int secondHeight = DrawTextExW(canvas.dc, text.data(), count, &second, measure, &params);
    Check(SameRect(first, second) && firstHeight == secondHeight, "measuring is not repeatable");
    Check(NothingOutside(canvas, RECT{0, 0, 0, 0}), "measuring painted");

    // One line without prefixes or margins is as wide and high as its extent
    // (in a rectangle far from the ends of the range, where nothing saturates).
    SIZE extent{};
    Check(GetTextExtentPoint32W(canvas.dc, text.data(), drawnLength, &extent), "no extent");
    if (drawnLength > 0 && !wideBox) {
        RECT line = box;
        DrawTextExW(canvas.dc, text.data(), count, &line, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX, nullptr);
        Check(line.right - line.left == extent.cx && line.bottom - line.top == extent.cy,
              "a single line measures other than its extent");
    }

    // Clipped drawing stays inside its rectangle (moved by the viewport origin).
    RECT drawn = box;
    DrawTextExW(canvas.dc, text.data(), count, &drawn, format & ~static_cast<UINT>(DT_CALCRECT | DT_NOCLIP),
                &params);
    Check(SameRect(drawn, box), "drawing changed the rectangle");
    if (!wideBox) {
        const RECT clip{box.left + origin.x, box.top + origin.y, box.right + origin.x, box.bottom + origin.y};
        Check(NothingOutside(canvas, clip), "clipped text painted outside its rectangle");
    }

    // Unclipped drawing and TextOutW only need to stay memory-safe.
    drawn = box;
    DrawTextExW(canvas.dc, text.data(), count, &drawn, format | DT_NOCLIP, &params);
    TextOutW(canvas.dc, box.left, box.top, text.data(), drawnLength);

    SetViewportOrgEx(canvas.dc, 0, 0, nullptr);
    if (previousFont != nullptr) SelectObject(canvas.dc, previousFont);
    if (font != nullptr) DeleteObject(font);
    return 0;
}
