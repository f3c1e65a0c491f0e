// The full frame that is timed on our engine and on the system's GDI: the
// flight page's 14 text boxes (its labels, fonts and typical figures), a
// progress bar, an icon and a bitmap, composed by a manager page exactly as
// the program composes its pages. The same source builds for Linux and for
// Windows. Depends on the display layer's ManagerPage.
#pragma once

#include "display/button_sink.h"
#include "display/manager_page.h"
#include "platform/win32.h"

namespace vareko::bench {

class DashboardFrame : private ButtonSink {
public:
    DashboardFrame();
    ~DashboardFrame() override;
    DashboardFrame(const DashboardFrame&) = delete;
    DashboardFrame& operator=(const DashboardFrame&) = delete;

    // False if the page, an object, the icon or the bitmap could not be made.
    bool IsReady() const { return ready; }
    // One frame: clear, every object drawn clipped to its box, flush, and the
    // copy into the device bitmap. Null if the page has no surface.
    const DeviceBitmap* Render();

    // Where the pictures sit, for checks on the rendered frame.
    static constexpr RECT kBarBox{0, 38, 160, 43};
    static constexpr RECT kIconBox{144, 18, 160, 34};
    static constexpr RECT kBitmapBox{104, 22, 136, 38};
    static constexpr float kBarPosition = 62.0f;

private:
    void OnButtonDown(DWORD) override {}
    void OnButtonUp(DWORD) override {}
    bool AddTexts();
    bool AddPictures();

    ManagerPage page;
    HICON icon = nullptr;
    HBITMAP picture = nullptr;
    bool ready = false;
};

}  // namespace vareko::bench
