// Raster engine figures: single primitives on a 160 x 43 page surface and a
// frame of typical content (clear, framed boxes, a dotted line, a bar, a
// blit) composed through a page with its children clipped to their boxes.
#include <benchmark/benchmark.h>

#include "toolkit/graphics_surface.h"
#include "toolkit/page_base.h"

namespace {

using vareko::DisplayObject;
using vareko::GraphicsSurface;
using vareko::PageBase;

void BM_Clear(benchmark::State& state) {
    GraphicsSurface surface;
    surface.Create(160, 43);
    surface.BeginDraw();
    for (auto _ : state) {
        surface.Clear();
    }
    surface.EndDraw();
}
BENCHMARK(BM_Clear);

void BM_DiagonalLine(benchmark::State& state) {
    GraphicsSurface surface;
    surface.Create(160, 43);
    surface.BeginDraw();
    for (auto _ : state) {
        surface.DrawLine(0, 0, 159, 42);
    }
    surface.EndDraw();
}
BENCHMARK(BM_DiagonalLine);

void BM_FullFrameBlit(benchmark::State& state) {
    GraphicsSurface target, source;
    target.Create(160, 43);
    source.Create(160, 43);
    target.BeginDraw();
    source.BeginDraw();
    state.SetLabel(state.range(0) == 0 ? "SRCCOPY" : "SRCINVERT");
    DWORD rop = state.range(0) == 0 ? SRCCOPY : SRCINVERT;
    for (auto _ : state) {
        BitBlt(target.GetMemoryDC(), 0, 0, 160, 43, source.GetMemoryDC(), 0, 0, rop);
    }
    target.EndDraw();
    source.EndDraw();
}
BENCHMARK(BM_FullFrameBlit)->Arg(0)->Arg(1);

// A box with a frame and a filled bar, like a progress bar.
class BarObject : public DisplayObject {
public:
    void Draw(GraphicsSurface& surface) override {
        RECT box{0, 0, GetWidth(), GetHeight()};
        FrameRect(surface.GetMemoryDC(), &box, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        surface.FillRectangle(2, 2, GetWidth() / 2, GetHeight() - 4);
    }
};

// A dotted line across the box.
class TrailObject : public DisplayObject {
public:
    TrailObject() : pen(CreatePen(PS_DOT, 1, RGB(255, 255, 255))) {}
    ~TrailObject() override { DeleteObject(pen); }
    void Draw(GraphicsSurface& surface) override {
        HDC dc = surface.GetMemoryDC();
        HGDIOBJ old = SelectObject(dc, pen);
        MoveToEx(dc, 0, GetHeight() / 2, nullptr);
        LineTo(dc, GetWidth(), GetHeight() / 2);
        SelectObject(dc, old);
    }

private:
    HPEN pen;
};

// Copies a 16 x 16 picture, like a bitmap object.
class PictureObject : public DisplayObject {
public:
    explicit PictureObject(HDC sourceDc) : source(sourceDc) {}
    void Draw(GraphicsSurface& surface) override {
        BitBlt(surface.GetMemoryDC(), 0, 0, GetWidth(), GetHeight(), source, 0, 0, SRCCOPY);
    }

private:
    HDC source;
};

void BM_TypicalFrame(benchmark::State& state) {
    PageBase page;
    page.Initialize();
    GraphicsSurface picture;
    picture.Create(16, 16);
    picture.BeginDraw();
    BarObject bars[6];
    for (int i = 0; i < 6; ++i) {
        bars[i].SetOrigin(80, i * 7);
        bars[i].SetSize(78, 7);
        page.AddObject(&bars[i]);
    }
    TrailObject trail;
    trail.SetOrigin(0, 30);
    trail.SetSize(80, 5);
    page.AddObject(&trail);
    PictureObject image(picture.GetMemoryDC());
    image.SetOrigin(2, 2);
    image.SetSize(16, 16);
    page.AddObject(&image);
    for (auto _ : state) {
        page.Render();
        benchmark::DoNotOptimize(page.GetDeviceBitmap());
    }
    picture.EndDraw();
}
BENCHMARK(BM_TypicalFrame);

}  // namespace
