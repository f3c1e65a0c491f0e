// The dashboard's display as plain manager pages in this process: no device
// output, no library, no link. Every Update ticks and renders the shown page
// and takes its DeviceBitmap, as the device output does once a device is
// open; no soft button is ever released. Depends on app/ and display/ pages.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "app/dashboard_display.h"
#include "display/manager_page.h"

namespace vareko::harness {

class PageDisplay final : public DashboardDisplay {
public:
    PageDisplay();
    ~PageDisplay() override;
    PageDisplay(const PageDisplay&) = delete;
    PageDisplay& operator=(const PageDisplay&) = delete;

    HRESULT Initialize(const WCHAR* title, DWORD connectFlag2, DWORD connectFlag1, void* callbackRecord,
                       int pageWidth, int pageHeight) override;
    int AddPage() override;
    int SelectPage(int index) override;
    int ShowPage(int index) override;
    Handle CreateTextObject(int kind, int sizeClass, int alignment, int boxWidth) override;
    HRESULT SetObjectOrigin(Handle object, int x, int y) override;
    HRESULT SetObjectText(Handle object, const WCHAR* text) override;
    int IsButtonReleased(int button) override;
    void Update() override;

    // The frame of the last Update; null before the first.
    const DeviceBitmap* Frame() const { return frame; }

private:
    class NoButtons final : public ButtonSink {
    public:
        void OnButtonDown(DWORD) override {}
        void OnButtonUp(DWORD) override {}
    };

    bool Valid(int index) const { return index >= 0 && static_cast<std::size_t>(index) < pages.size(); }
    ManagerPage& Current() { return *pages[current]; }

    NoButtons sink;
    std::vector<std::unique_ptr<ManagerPage>> pages;
    std::size_t current = 0;
    std::size_t shown = 0;
    int width = 0;
    int height = 0;
    const DeviceBitmap* frame = nullptr;
};

}  // namespace vareko::harness
