// DisplayManager: the one object through which the application uses the
// display. It owns the pages (addressed by index), forwards object
// operations to the current page by handle, runs the update cycle through
// its device output and keeps the soft-button states that the application
// polls for edges once per update.
// Depends on the manager page and the device output.
#pragma once

#include <vector>

#include "display/button_sink.h"
#include "display/device_output.h"
#include "display/manager_page.h"

namespace vareko {

// A caller-owned pair handed to the display-manager library when connecting.
struct CallbackRecord {
    link::LinkCallback callback;
    void* context;
};

class DisplayManager : public ButtonSink {
public:
    static constexpr int kTitleUnits = 260;  // with the terminating zero
    static constexpr int kButtonCount = 4;

    // Until Initialize has run, only Initialize and the destructor may be called.
    DisplayManager();
    // Constructs, then Initialize(title, 0, 0, null, width, height); the result is dropped.
    DisplayManager(const wchar_t* title, int displayWidth, int displayHeight);
    // Deletes every page, then shuts the device output down.
    ~DisplayManager() override;
    DisplayManager(const DisplayManager&) = delete;
    DisplayManager& operator=(const DisplayManager&) = delete;

    // Stores the settings, creates page 0 and selects it, and opens the device
    // output. E_FAIL when already initialised (nothing changes) or when the
    // output fails to open (the first Update retries). A title of more than
    // 259 units is cut.
    HRESULT Initialize(const wchar_t* title, DWORD flag2, DWORD flag1, const CallbackRecord* callbacks,
                       int displayWidth, int displayHeight);

    // Pages: indices from 0. AddPage returns the new page count.
    int AddPage();
    int AddPages(int count);
    // -1 for an invalid index; otherwise the new page count. The first
    // remaining page becomes current. The removed page lives on, unlisted,
    // until the manager is destroyed: the device output may still show it.
    int RemovePage(int index);
    int GetPageCount() const { return pageCount; }
    // 1, or 0 for an invalid index. Object operations go to the selected page.
    int SelectPage(int index);
    // As SelectPage, and the page becomes the one shown on the device.
    int ShowPage(int index);

    // Objects on the current page; null handle or E_FAIL without one.
    ObjectHandle CreateTextObject(TextKind kind, SizeClass sizeClass, UINT alignment, int boxWidth,
                                  int lines = 1);
    HRESULT SetObjectText(ObjectHandle handle, const wchar_t* text);
    HRESULT SetObjectOrigin(ObjectHandle handle, int x, int y);
    HRESULT SetObjectVisible(ObjectHandle handle, BOOL show);

    // Icons, progress bars and bitmaps on the current page
    // (display_manager_pictures.cpp); null handle or E_FAIL without one.
    ObjectHandle CreateIconObject(HICON icon, int iconWidth, int iconHeight);
    ObjectHandle CreateProgressBar(int style);
    HRESULT SetProgressPosition(ObjectHandle handle, float position);
    HRESULT SetProgressSize(ObjectHandle handle, int barWidth, int barHeight);
    ObjectHandle CreateBitmapObject();
    HRESULT SetObjectBitmap(ObjectHandle handle, HBITMAP bitmap);

    // Button edges between the last two updates, for buttons 0 to 3; any other
    // index gives 0.
    int IsButtonPressed(int index) const;
    int IsButtonReleased(int index) const;
    int IsButtonDown(int index) const;

    BOOL IsDeviceOpen() const { return output.IsDeviceOpen(); }
    HRESULT SetDeviceFlag(DWORD value);
    HRESULT SetPriority(DWORD value);

    // One display update: the first one hands the pages over and opens the
    // device output; then latch the buttons, advance time and render.
    void Update();

    void OnButtonDown(DWORD button) override;
    void OnButtonUp(DWORD button) override;

private:
    link::ConnectionRecord BuildConnectionRecord() const;
    bool IsValidIndex(int index) const { return index >= 0 && index < pageCount; }
    static bool IsValidButton(int index) { return index >= 0 && index < kButtonCount; }

    int width = 0;
    int height = 0;
    wchar_t title[kTitleUnits] = {};
    DeviceOutput output;
    ManagerPage* currentPage = nullptr;
    std::vector<ManagerPage*> pages;
    int pageCount = 0;
    bool needsReopen = false;
    bool connected = false;
    DWORD buttonsNow[kButtonCount] = {};
    DWORD buttonsBefore[kButtonCount] = {};
    const CallbackRecord* callbackRecord = nullptr;
    DWORD connectFlag1 = 0;
    DWORD connectFlag2 = 0;
    // Set by the first Initialize, so that a manager is set up once only,
    // also after all its pages were removed.
    bool initialized = false;
    // Pages taken out by RemovePage, deleted with the manager.
    std::vector<ManagerPage*> removedPages;
};

}  // namespace vareko
