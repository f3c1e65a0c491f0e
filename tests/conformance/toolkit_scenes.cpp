// Toolkit scenes: progress bars drawn by a page, and the surface's own
// primitives, both read back from the page's DeviceBitmap block, so that the
// whole road from the objects' GDI calls to the bytes handed to the device
// is compared with the system's GDI.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "tests/conformance/scenes.h"
#include "display/devicelink/device_bitmap.h"
#include "toolkit/page_base.h"
#include "toolkit/progress_bar_object.h"

namespace vareko::conformance {
namespace {

// The block after the threshold, one row per text line; checks the format
// word on the way (its four bytes, little-endian 1).
Frame DeviceBitmapFrame(const DeviceBitmap* block) {
    if (block == nullptr) {
        ADD_FAILURE() << "the page has no DeviceBitmap block";
        return {};
    }
    unsigned char word[4];
    std::memcpy(word, block, sizeof word);
    const unsigned char one[4] = {1, 0, 0, 0};
    EXPECT_EQ(std::memcmp(word, one, sizeof word), 0) << "format word is not 1";
    Frame frame(kDisplayHeight, std::string(kDisplayWidth, '.'));
    for (int y = 0; y < kDisplayHeight; ++y) {
        for (int x = 0; x < kDisplayWidth; ++x) {
            if (IsWhitePixel(block->pixels[y * kDisplayWidth + x])) {
                frame[y][x] = '#';
            }
        }
    }
    return frame;
}

struct Bar {
    int x, y, cx, cy;
    int style;  // ProgressStyle, or a value outside it
    int minimum, maximum;
    float position;
};

// Styles: 0 bar, 1 cursor, 2 cursor with trail, 7 none (frame only).
constexpr Bar kBars[] = {
    {0, 0, 160, 5, 0, 0, 100, 50.0f},     // the manager page's bar at half
    {0, 6, 160, 5, 1, 0, 100, 0.0f},      // cursor at the minimum
    {0, 12, 160, 5, 1, 0, 100, 100.0f},   // and at the maximum
    {0, 18, 160, 5, 2, -20, 80, 37.3f},   // trail, a range below zero
    {0, 24, 80, 6, 2, 0, 100, 66.6f},     // trail at an odd height
    {82, 24, 78, 6, 0, 0, 1000, 333.0f},  // a fraction of a pixel dropped
    {0, 31, 40, 7, 2, 0, 100, 99.9f},
    {42, 31, 30, 6, 7, 0, 100, 50.0f},    // no known style: frame only
    {74, 31, 20, 4, 2, 100, 0, 25.0f},    // reversed range
    {96, 31, 6, 4, 1, 0, 100, 50.0f},     // a box narrower than the cursor
    {104, 31, 4, 5, 0, 5, 5, 5.0f},       // equal bounds
    {110, 31, 8, 1, 2, 0, 100, 50.0f},    // one row high
    {120, 31, 40, 2, 2, 0, 100, 40.0f},   // two rows high
    {0, 39, 160, 4, 0, 0, 100, 150.0f},   // clamped to the maximum
};

// A page is the product's road to the block: its Render clears the surface
// and draws every child clipped to its box and moved to its origin.
class ScenePage : public PageBase {
public:
    GraphicsSurface& Surface() { return surface; }
};

Frame ProgressBars() {
    ScenePage page;
    if (FAILED(page.Initialize())) {
        ADD_FAILURE() << "page could not be initialised";
        return {};
    }
    std::vector<std::unique_ptr<ProgressBarObject>> bars;
    for (const Bar& wanted : kBars) {
        auto bar = std::make_unique<ProgressBarObject>();
        bar->Initialize();
        bar->SetOrigin(wanted.x, wanted.y);
        bar->SetSize(wanted.cx, wanted.cy);
        bar->SetRange(wanted.minimum, wanted.maximum);
        bar->SetStyle(wanted.style);
        bar->SetPosition(wanted.position);
        page.AddObject(bar.get());
        bars.push_back(std::move(bar));
    }
    page.Render();
    Frame frame = DeviceBitmapFrame(page.GetDeviceBitmap());
    for (const auto& bar : bars) {
        page.RemoveObject(bar.get());
    }
    return frame;
}

// An object drawing with the surface's own primitives, so that they go
// through the collection's clip and viewport like any other object's calls.
class PrimitivesObject : public DisplayObject {
public:
    void Draw(GraphicsSurface& surface) override {
        surface.FillRectangle(2, 2, 20, 10);
        surface.FillRectangle(30, 2, 1, 1);
        surface.FillRectangle(35, 2, 0, 10);  // empty
        surface.FillRectangle(-4, 20, 10, 30);  // over the box's edges
        surface.DrawLine(40, 2, 70, 17);
        surface.DrawLine(70, 20, 40, 5);
        surface.DrawLine(75, 2, 75, 30);
        surface.DrawLine(80, 10, 80, 10);  // zero length: nothing
        for (int i = 0; i < 12; ++i) {
            surface.PlotPixel(90 + i, 3 + (i % 3), true);
        }
        surface.PlotPixel(91, 3, false);
        surface.PlotPixel(-1, 3, true);  // outside the box: clipped
        surface.FillRectangle(100, 10, 30, 12);
        surface.PlotPixel(110, 15, false);
        surface.DrawLine(95, 30, 140, 36);
    }
};

Frame SurfacePrimitives() {
    ScenePage page;
    if (FAILED(page.Initialize())) {
        ADD_FAILURE() << "page could not be initialised";
        return {};
    }
    // A box inset from the surface at an odd origin, with a content offset.
    PrimitivesObject object;
    object.Initialize();
    object.SetOrigin(3, 1);
    object.SetSize(150, 40);
    object.SetOffset(1, 2);
    page.AddObject(&object);
    page.Render();
    // And straight on the surface, without clip and viewport, after the
    // frame was finished once: a second BeginDraw / EndDraw pair.
    GraphicsSurface& surface = page.Surface();
    surface.BeginDraw();
    surface.FillRectangle(150, 0, 10, 3);
    surface.DrawLine(159, 42, 140, 38);
    surface.PlotPixel(0, 0, true);
    surface.PlotPixel(159, 42, true);
    surface.EndDraw();
    Frame frame = DeviceBitmapFrame(page.GetDeviceBitmap());
    page.RemoveObject(&object);
    return frame;
}

constexpr Scene kScenes[] = {
    {"progress_bars", ProgressBars},
    {"device_bitmap", SurfacePrimitives},
};

}  // namespace

std::span<const Scene> ToolkitScenes() { return kScenes; }

}  // namespace vareko::conformance
