// DashboardDisplay on the real DisplayManager: the manager is created on the
// heap with its default constructor when this object is made, lives as long
// as it, and receives every call unchanged.
#pragma once

#include <memory>

#include "app/dashboard_display.h"

namespace vareko {

class DisplayManager;

class DeviceDashboardDisplay final : public DashboardDisplay {
public:
    DeviceDashboardDisplay();
    ~DeviceDashboardDisplay() override;
    DeviceDashboardDisplay(const DeviceDashboardDisplay&) = delete;
    DeviceDashboardDisplay& operator=(const DeviceDashboardDisplay&) = delete;

    HRESULT Initialize(const WCHAR* title, DWORD connectFlag2, DWORD connectFlag1, void* callbackRecord,
                       int width, int height) override;
    int AddPage() override;
    int SelectPage(int index) override;
    int ShowPage(int index) override;
    Handle CreateTextObject(int kind, int sizeClass, int alignment, int width) override;
    HRESULT SetObjectOrigin(Handle object, int x, int y) override;
    HRESULT SetObjectText(Handle object, const WCHAR* text) override;
    int IsButtonReleased(int button) override;
    void Update() override;

    // Whether the manager's device output has a device open.
    BOOL IsDeviceOpen() const;

private:
    std::unique_ptr<DisplayManager> manager;
};

}  // namespace vareko
