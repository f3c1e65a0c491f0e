// The conformance scenes. Each one exercises one family of drawing calls in
// the cases where engines tend to differ: edges, clipping, end points,
// pattern phases and the colour-table indices that raster operations see.
#include "tests/conformance/scenes.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "testing/support/canvas.h"

namespace vareko::conformance {
namespace {

HBRUSH Stock(int brush) { return static_cast<HBRUSH>(GetStockObject(brush)); }

void Fill(HDC dc, int left, int top, int right, int bottom, HBRUSH brush) {
    RECT rect{left, top, right, bottom};
    FillRect(dc, &rect, brush);
}

void Line(HDC dc, int x1, int y1, int x2, int y2) {
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

// Lines from a centre to 16 points around it: both axes, both diagonals and
// one steep and one flat line inside every octant.
void Star(HDC dc, int cx, int cy) {
    const POINT ends[] = {{14, 0}, {14, 5},   {14, 14}, {5, 14},   {0, 14}, {-5, 14},
                          {-14, 14}, {-14, 5}, {-14, 0}, {-14, -5}, {-14, -14}, {-5, -14},
                          {0, -14},  {5, -14}, {14, -14}, {14, -5},  {9, 3},   {-3, 9}};
    for (const POINT& end : ends) {
        Line(dc, cx, cy, cx + end.x, cy + end.y);
    }
}

void FillRects(HDC dc) {
    HBRUSH white = Stock(WHITE_BRUSH);
    Fill(dc, 2, 2, 30, 20, white);
    Fill(dc, 6, 6, 12, 10, Stock(BLACK_BRUSH));
    Fill(dc, -10, 30, 5, 60, white);        // off the left and bottom edges
    Fill(dc, 150, -4, 200, 3, white);       // off the right and top edges
    Fill(dc, 40, 2, 41, 3, white);          // one pixel
    Fill(dc, 45, 2, 45, 30, white);         // empty: zero width
    Fill(dc, 70, 5, 100, 6, white);         // one row
    Fill(dc, 70, 8, 71, 40, white);         // one column
    Fill(dc, 80, 10, 120, 40, Stock(GRAY_BRUSH));
    Fill(dc, 125, 10, 155, 40, Stock(LTGRAY_BRUSH));
}

void FrameRects(HDC dc) {
    HBRUSH white = Stock(WHITE_BRUSH);
    const RECT rects[] = {{2, 2, 30, 20},   {35, 2, 36, 3},   {40, 2, 42, 4},  {46, 2, 47, 20},
                          {50, 2, 80, 3},   {85, 5, 85, 20},  {95, 20, 90, 5}, {-5, 25, 20, 60},
                          {140, 30, 170, 38}, {100, 10, 130, 40}};
    for (const RECT& rect : rects) {
        FrameRect(dc, &rect, white);
    }
    RECT inner{104, 14, 126, 36};
    FillRect(dc, &inner, white);
    RECT hole{107, 17, 123, 33};
    FrameRect(dc, &hole, Stock(BLACK_BRUSH));
}

void InvertRects(HDC dc) {
    Fill(dc, 10, 5, 60, 25, Stock(WHITE_BRUSH));
    Fill(dc, 20, 10, 30, 20, Stock(BLACK_BRUSH));
    const RECT rects[] = {{5, 15, 40, 35}, {50, 0, 70, 43}, {90, 5, 130, 30}, {100, 10, 120, 20},
                          {150, 40, 170, 50}};
    for (const RECT& rect : rects) {
        InvertRect(dc, &rect);
    }
    RECT twice{135, 5, 145, 15};
    InvertRect(dc, &twice);
    InvertRect(dc, &twice);
}

void LinesSolid(HDC dc) {
    HGDIOBJ previous = SelectObject(dc, GetStockObject(WHITE_PEN));
    Star(dc, 20, 20);
    Star(dc, 60, 21);
    Line(dc, 90, 5, 90, 5);      // zero length: nothing
    Line(dc, 95, 5, 96, 5);      // one pixel
    Line(dc, 100, 5, 101, 6);
    Line(dc, 150, 30, 200, 60);  // leaves the bitmap
    Line(dc, -20, 40, 120, 38);  // enters from the left
    Line(dc, 100, 10, 140, 25);
    Line(dc, 140, 27, 100, 12);  // the same line backwards, two rows down
    MoveToEx(dc, 100, 30, nullptr);
    LineTo(dc, 110, 34);  // a polyline: each segment starts where the last ended
    LineTo(dc, 130, 30);
    LineTo(dc, 130, 20);
    SelectObject(dc, previous);
}

void LinesPatterned(HDC dc, int style) {
    HPEN pen = CreatePen(style, 1, RGB(255, 255, 255));
    HGDIOBJ previous = SelectObject(dc, pen);
    // With the default opaque background the gaps take the background
    // colour (white here), which would hide the pattern.
    Line(dc, 75, 40, 140, 40);
    SetBkMode(dc, TRANSPARENT);
    Star(dc, 20, 20);
    Star(dc, 55, 21);
    Line(dc, 75, 2, 159, 2);
    Line(dc, 159, 5, 75, 5);  // right to left
    Line(dc, 75, 8, 90, 8);   // the pattern across separate lines
    Line(dc, 90, 10, 105, 10);
    MoveToEx(dc, 75, 14, nullptr);  // and across the segments of a polyline
    LineTo(dc, 100, 14);
    LineTo(dc, 100, 40);
    LineTo(dc, 140, 20);
    Line(dc, 150, 42, 150, 10);
    Fill(dc, 110, 36, 159, 39, Stock(WHITE_BRUSH));  // opaque gaps in black
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, RGB(0, 0, 0));
    Line(dc, 110, 37, 159, 37);
    SelectObject(dc, previous);
    DeleteObject(pen);
}

void LinesDotted(HDC dc) { LinesPatterned(dc, PS_DOT); }
void LinesDashed(HDC dc) { LinesPatterned(dc, PS_DASH); }

void ClipAndViewport(HDC dc) {
    HBRUSH white = Stock(WHITE_BRUSH);
    HGDIOBJ previous = SelectObject(dc, GetStockObject(WHITE_PEN));
    struct Box {
        RECT clip;     // device coordinates
        POINT origin;  // viewport origin
    };
    const Box boxes[] = {{{2, 2, 30, 20}, {2, 2}},     {{35, 5, 60, 40}, {40, -3}},
                         {{70, 0, 100, 43}, {-10, 10}}, {{105, 10, 106, 30}, {105, 10}},
                         {{110, 2, 158, 41}, {120, 8}}};
    for (const Box& box : boxes) {
        HRGN region = CreateRectRgn(box.clip.left, box.clip.top, box.clip.right, box.clip.bottom);
        SelectClipRgn(dc, region);
        DeleteObject(region);
        SetViewportOrgEx(dc, box.origin.x, box.origin.y, nullptr);
        Fill(dc, 0, 0, 6, 6, white);
        Fill(dc, 10, 3, 200, 4, white);
        Line(dc, -5, -5, 40, 30);
        Line(dc, 30, 0, 0, 30);
        SetPixel(dc, 3, 10, RGB(255, 255, 255));
        SetPixel(dc, -1, 12, RGB(255, 255, 255));
        RECT frame{2, 14, 20, 22};
        FrameRect(dc, &frame, white);
        RECT invert{8, 8, 16, 16};
        InvertRect(dc, &invert);
    }
    SetViewportOrgEx(dc, 0, 0, nullptr);
    SelectClipRgn(dc, nullptr);
    Fill(dc, 0, 42, 160, 43, white);  // without a clip again
    SelectObject(dc, previous);
}

// Sources with known colour-table indices, so that every raster operation
// sees the same bytes on both sides: the quadrants hold 0, 128, 129 and 255.
void PaintQuadrants(vareko::test::Canvas& source) {
    const std::uint8_t values[2][2] = {{0, 128}, {129, 255}};
    for (int y = 0; y < source.Height(); ++y) {
        for (int x = 0; x < source.Width(); ++x) {
            source.Row(y)[x] = values[y * 2 / source.Height()][x * 2 / source.Width()];
        }
    }
}

// The destination of one tile: the left half filled white, the bottom half
// filled black by GDI, the rest untouched (index 0).
void PrepareTile(HDC dc, int x, int y) {
    Fill(dc, x, y, x + 4, y + 8, Stock(WHITE_BRUSH));
    Fill(dc, x, y + 4, x + 8, y + 8, Stock(BLACK_BRUSH));
}

constexpr std::array<DWORD, 15> kRasterOperations = {
    SRCCOPY,  SRCPAINT,  SRCAND,  SRCINVERT, SRCERASE,  NOTSRCCOPY, NOTSRCERASE, MERGECOPY,
    MERGEPAINT, PATCOPY, PATPAINT, PATINVERT, DSTINVERT, BLACKNESS, WHITENESS};

void BlitRasterOperations(HDC dc) {
    vareko::test::Canvas source(8, 8);
    PaintQuadrants(source);
    const int brushes[] = {WHITE_BRUSH, BLACK_BRUSH, GRAY_BRUSH};
    for (int row = 0; row < 3; ++row) {
        HGDIOBJ previous = SelectObject(dc, GetStockObject(brushes[row]));
        for (std::size_t i = 0; i < kRasterOperations.size(); ++i) {
            int x = 2 + static_cast<int>(i) * 10;
            int y = 2 + row * 10;
            PrepareTile(dc, x, y);
            BitBlt(dc, x, y, 8, 8, source.Dc(), 0, 0, kRasterOperations[i]);
        }
        SelectObject(dc, previous);
    }
    // Source offsets and a blit that hangs over the destination's edges.
    BitBlt(dc, 2, 34, 8, 8, source.Dc(), 4, 4, SRCCOPY);
    BitBlt(dc, 155, 38, 8, 8, source.Dc(), 0, 0, SRCCOPY);
    BitBlt(dc, 20, 34, 8, 8, source.Dc(), -2, -2, SRCCOPY);
    PatBlt(dc, 40, 34, 10, 6, DSTINVERT);
    PatBlt(dc, 52, 34, 10, 6, WHITENESS);
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    PatBlt(dc, 64, 34, 10, 6, PATINVERT);
}

// Rectangles given the wrong way round: FillRect with right < left and
// PatBlt with negative extents.
void NegativeExtents(HDC dc) {
    Fill(dc, 60, 20, 50, 10, Stock(WHITE_BRUSH));
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    PatBlt(dc, 66, 36, -4, -4, PATCOPY);
    PatBlt(dc, 80, 5, -6, 3, PATCOPY);
    PatBlt(dc, 90, 5, 3, -4, PATCOPY);
}

// A 1-bit DIB section (its own colour table) and a device-dependent
// monochrome bitmap (the DC's text and background colours) as sources.
void BlitMonochromeSource(HDC dc) {
    vareko::test::Canvas mono(16, 8, 1);
    std::uint8_t rows[8][2];
    for (int y = 0; y < 8; ++y) {
        rows[y][0] = static_cast<std::uint8_t>(0xF0 >> (y % 4));
        rows[y][1] = static_cast<std::uint8_t>(y < 4 ? 0xAA : 0x0F);
        std::memcpy(mono.Row(y), rows[y], 2);
    }
    HDC deviceDc = CreateCompatibleDC(nullptr);
    HBITMAP device = CreateBitmap(16, 8, 1, 1, rows);
    HGDIOBJ previous = SelectObject(deviceDc, device);
    struct Colours {
        COLORREF text, background;
    };
    const Colours colours[] = {{RGB(255, 255, 255), RGB(0, 0, 0)},
                               {RGB(0, 0, 0), RGB(255, 255, 255)},
                               {RGB(255, 255, 255), RGB(255, 255, 255)}};
    const DWORD operations[] = {SRCCOPY, SRCAND, SRCPAINT, SRCINVERT, NOTSRCCOPY};
    for (int row = 0; row < 3; ++row) {
        SetTextColor(dc, colours[row].text);
        SetBkColor(dc, colours[row].background);
        for (int i = 0; i < 5; ++i) {
            int x = 2 + i * 20;
            int y = 2 + row * 12;
            Fill(dc, x, y, x + 8, y + 8, Stock(WHITE_BRUSH));
            BitBlt(dc, x, y, 16, 8, mono.Dc(), 0, 0, operations[i]);
        }
        BitBlt(dc, 104, 2 + row * 12, 16, 8, deviceDc, 0, 0, SRCCOPY);
        BitBlt(dc, 124, 2 + row * 12, 16, 8, deviceDc, 0, 0, SRCINVERT);
    }
    SelectObject(deviceDc, previous);
    DeleteObject(device);
    DeleteDC(deviceDc);
}

void ThresholdPalette(HDC dc) {
    for (int grey = 0; grey < 256; ++grey) {
        auto level = static_cast<BYTE>(grey);
        SetPixel(dc, grey % 128, 1 + grey / 128, RGB(level, level, level));
    }
    const COLORREF colours[] = {RGB(0, 0, 0),       RGB(64, 64, 64),    RGB(127, 127, 127),
                                RGB(128, 128, 128), RGB(129, 129, 129), RGB(192, 192, 192),
                                RGB(255, 255, 255), RGB(255, 0, 0),     RGB(0, 255, 0),
                                RGB(0, 0, 255),     RGB(255, 255, 0),   RGB(0, 255, 255),
                                RGB(128, 128, 129), RGB(127, 128, 128), RGB(200, 10, 10)};
    int x = 2;
    for (COLORREF colour : colours) {
        SetPixel(dc, x, 5, colour);
        HBRUSH brush = CreateSolidBrush(colour);
        Fill(dc, x, 8, x + 8, 16, brush);
        DeleteObject(brush);
        HPEN pen = CreatePen(PS_SOLID, 1, colour);
        HGDIOBJ previous = SelectObject(dc, pen);
        Line(dc, x, 18, x + 8, 26);
        SelectObject(dc, previous);
        DeleteObject(pen);
        x += 10;
    }
}

HICON MakeIcon() {
    // AND mask: a transparent frame around an opaque 6 x 6 centre.
    std::uint8_t maskBits[8 * 2];  // 1-bit rows padded to 16 bits
    for (int y = 0; y < 8; ++y) {
        maskBits[2 * y] = (y == 0 || y == 7) ? 0xFF : 0x81;
        maskBits[2 * y + 1] = 0;
    }
    HBITMAP mask = CreateBitmap(8, 8, 1, 1, maskBits);
    vareko::test::BitmapInfo256 info = vareko::test::MakeBitmapInfo(8, 8, 8, true);
    void* bits = nullptr;
    HBITMAP colour = CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&info),
                                      DIB_RGB_COLORS, &bits, nullptr, 0);
    auto* pixels = static_cast<std::uint8_t*>(bits);
    for (int i = 0; i < 64; ++i) {
        int x = i % 8;
        int y = i / 8;
        pixels[i] = ((x + y) % 3 == 0 || x == 0) ? 255 : 0;  // diagonal stripes, lit edge
    }
    ICONINFO iconInfo{TRUE, 0, 0, mask, colour};
    HICON icon = CreateIconIndirect(&iconInfo);
    DeleteObject(mask);
    DeleteObject(colour);
    return icon;
}

void Icons(HDC dc) {
    HICON icon = MakeIcon();
    // Half the picture white, so that the transparent frame shows.
    Fill(dc, 0, 0, 160, 21, Stock(WHITE_BRUSH));
    const UINT flags[] = {DI_NORMAL, DI_MASK, DI_IMAGE};
    for (int i = 0; i < 3; ++i) {
        int x = 2 + i * 30;
        DrawIconEx(dc, x, 2, icon, 0, 0, 0, nullptr, flags[i]);
        DrawIconEx(dc, x, 17, icon, 0, 0, 0, nullptr, flags[i]);       // across the edge
        DrawIconEx(dc, x + 10, 2, icon, 16, 16, 0, nullptr, flags[i]);  // doubled
        DrawIconEx(dc, x, 26, icon, 12, 8, 0, nullptr, flags[i]);       // widened only
    }
    DrawIconEx(dc, 100, 25, icon, 0, 0, 0, Stock(GRAY_BRUSH), DI_NORMAL);  // flicker-free brush
    DrawIconEx(dc, 155, 38, icon, 0, 0, 0, nullptr, DI_NORMAL);           // clipped by the bitmap
    DestroyIcon(icon);
}

void IconsShrunk(HDC dc) {
    HICON icon = MakeIcon();
    Fill(dc, 0, 0, 160, 21, Stock(WHITE_BRUSH));
    const UINT flags[] = {DI_NORMAL, DI_MASK, DI_IMAGE};
    for (int i = 0; i < 3; ++i) {
        DrawIconEx(dc, 2 + i * 30, 2, icon, 12, 6, 0, nullptr, flags[i]);
        DrawIconEx(dc, 2 + i * 30, 26, icon, 5, 5, 0, nullptr, flags[i]);
    }
    DestroyIcon(icon);
}

// The calls a progress bar makes, in the cases its geometry produces: frames
// one and two pixels wide or high, short dotted trails from a box's left
// edge under odd and even viewport offsets, and fills that hang over the
// clip region.
void ProgressBarCalls(HDC dc) {
    HBRUSH white = Stock(WHITE_BRUSH);
    const RECT frames[] = {{2, 2, 3, 10}, {6, 2, 8, 10}, {10, 2, 30, 3}, {10, 6, 30, 8},
                           {34, 2, 36, 4}, {40, 2, 41, 3}};
    for (const RECT& frame : frames) {
        FrameRect(dc, &frame, white);
    }
    HPEN dots = CreatePen(PS_DOT, 1, RGB(255, 255, 255));
    HGDIOBJ previousPen = SelectObject(dc, dots);
    SetBkMode(dc, TRANSPARENT);
    for (int length = 0; length < 8; ++length) {
        for (int parity = 0; parity < 2; ++parity) {
            // Each trail in its own clipped box, as the collection draws a bar.
            int left = 50 + parity * 25;
            int top = 2 + length * 4;
            HRGN box = CreateRectRgn(left, top, left + 20, top + 3);
            SelectClipRgn(dc, box);
            DeleteObject(box);
            SetViewportOrgEx(dc, left + parity, top, nullptr);
            MoveToEx(dc, 0, 1, nullptr);
            LineTo(dc, length, 1);
            RECT cursor{length, 0, length + 5, 3};
            FillRect(dc, &cursor, white);
        }
    }
    SetBkMode(dc, OPAQUE);
    SelectObject(dc, previousPen);
    DeleteObject(dots);
    // A cursor wider than its box, and a frame larger than the clip.
    HRGN box = CreateRectRgn(110, 10, 116, 20);
    SelectClipRgn(dc, box);
    DeleteObject(box);
    SetViewportOrgEx(dc, 110, 10, nullptr);
    RECT frame{0, 0, 6, 4};
    FrameRect(dc, &frame, white);
    RECT cursor{1, 0, 6, 4};
    FillRect(dc, &cursor, white);
    RECT wide{-3, 6, 20, 12};
    FrameRect(dc, &wide, white);
    SetViewportOrgEx(dc, 0, 0, nullptr);
    SelectClipRgn(dc, nullptr);
}

constexpr Scene kScenes[] = {
    {"fill_rects", OnCanvas<FillRects>},
    {"frame_rects", OnCanvas<FrameRects>},
    {"invert_rects", OnCanvas<InvertRects>},
    {"lines_solid", OnCanvas<LinesSolid>},
    {"lines_dotted", OnCanvas<LinesDotted>},
    {"lines_dashed", OnCanvas<LinesDashed>},
    {"clip_and_viewport", OnCanvas<ClipAndViewport>},
    {"blit_raster_operations", OnCanvas<BlitRasterOperations>},
    {"negative_extents", OnCanvas<NegativeExtents>},
    {"blit_monochrome_source", OnCanvas<BlitMonochromeSource>},
    {"threshold_palette", OnCanvas<ThresholdPalette>},
    {"icons", OnCanvas<Icons>},
    {"icons_shrunk", OnCanvas<IconsShrunk>},
    {"progress_bar_calls", OnCanvas<ProgressBarCalls>},
};

}  // namespace

std::span<const Scene> RasterScenes() { return kScenes; }

}  // namespace vareko::conformance
