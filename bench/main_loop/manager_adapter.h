// The dashboard's display interface forwarded to a real DisplayManager, so
// the benchmark times the program's own path from SetObjectText to the frame.
#pragma once

#include "app/dashboard_display.h"
#include "display/display_manager.h"

namespace vareko::bench {

class ManagerAdapter final : public DashboardDisplay {
public:
    HRESULT Initialize(const WCHAR* title, DWORD connectFlag2, DWORD connectFlag1, void* callbackRecord, int width,
                       int height) override;
    int AddPage() override { return manager.AddPage(); }
    int SelectPage(int index) override { return manager.SelectPage(index); }
    int ShowPage(int index) override { return manager.ShowPage(index); }
    Handle CreateTextObject(int kind, int sizeClass, int alignment, int width) override;
    HRESULT SetObjectOrigin(Handle object, int x, int y) override;
    HRESULT SetObjectText(Handle object, const WCHAR* text) override;
    int IsButtonReleased(int button) override { return manager.IsButtonReleased(button); }
    void Update() override { manager.Update(); }

    BOOL IsDeviceOpen() const { return manager.IsDeviceOpen(); }

private:
    DisplayManager manager;
};

}  // namespace vareko::bench
