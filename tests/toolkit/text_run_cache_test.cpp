// The pixels a text object keeps from its last draw: after any one change
// between two draws, the second frame must equal the frame of the same
// objects drawn anew. Each case is a change that the kept draw has to notice.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "platform/text/house_font.h"
#include "tests/toolkit/text_test_frames.h"
#include "toolkit/text_object.h"
#include "toolkit/text_run_cache.h"

namespace vareko {
namespace {

using test::TextPage;

// A label over which a figure is drawn, as on the dashboard's pages.
struct Scene {
    TextObject under;
    TextObject figure;
    TextPage page;

    Scene() {
        for (TextObject* object : {&under, &figure}) {
            object->Initialize();
            object->SetFaceName(text::kHouseFaceName.data());
            object->SetSize(80, 13);
            object->SetPointSize(8);
            object->SetOffset(0, -2);
            page.AddObject(object);
        }
        under.SetText(L"Vitesse:");
        figure.SetOrigin(30, 0);
        figure.SetText(L"428");
    }
};

struct Change {
    const char* name;
    std::function<void(Scene&)> apply;
};

const Change kChanges[] = {
    {"nothing", [](Scene&) {}},
    {"text", [](Scene& s) { s.figure.SetText(L"431"); }},
    {"left margin", [](Scene& s) { s.figure.SetLeftMargin(5); }},
    {"right margin with right alignment",
     [](Scene& s) {
         s.figure.SetAlignment(DT_RIGHT);
         s.figure.SetRightMargin(7);
     }},
    {"inversion", [](Scene& s) { s.figure.SetInverted(TRUE); }},
    {"opaque background", [](Scene& s) { s.figure.SetBackgroundMode(OPAQUE); }},
    {"box size", [](Scene& s) { s.figure.SetSize(20, 13); }},
    {"origin", [](Scene& s) { s.figure.SetOrigin(33, 1); }},
    {"content offset", [](Scene& s) { s.figure.SetOffset(-4, -2); }},
    {"extent", [](Scene& s) { s.figure.SetExtent(12, 8); }},
    {"font", [](Scene& s) { s.figure.SetWeight(FW_BOLD); }},
    {"word wrap", [](Scene& s) { s.figure.SetWordWrap(TRUE); }},
    {"pixels beneath", [](Scene& s) { s.under.SetText(L"Vitesse:: WW"); }},
    {"visibility", [](Scene& s) { s.figure.SetVisible(FALSE); }},
};

TEST(TextRunCache, EveryChangeBetweenTwoDrawsShowsAsDrawnAnew) {
    for (const Change& change : kChanges) {
        Scene cached;
        cached.page.Frame();
        change.apply(cached);
        const DeviceBitmap& frame = cached.page.Frame();

        Scene anew;
        change.apply(anew);
        SetTextRunCaching(false);
        const DeviceBitmap& reference = anew.page.Frame();
        SetTextRunCaching(true);
        EXPECT_EQ(std::memcmp(frame.pixels, reference.pixels, kDevicePixelBytes), 0) << change.name;
    }
}

}  // namespace
}  // namespace vareko
