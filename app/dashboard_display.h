// The display operations that the dashboard uses, as an interface: in the
// program they go to the DisplayManager (DeviceDashboardDisplay), in tests to a
// recording fake, so the dashboard's turn is testable without a device.
// Results are returned as the manager returns them; the dashboard ignores them.
#pragma once

#include <cstdint>

#include "platform/win32.h"

namespace vareko {

class DashboardDisplay {
public:
    // The manager's object handle: the object's address, null for none.
    using Handle = void*;

    virtual ~DashboardDisplay() = default;

    virtual HRESULT Initialize(const WCHAR* title, DWORD connectFlag2, DWORD connectFlag1,
                               void* callbackRecord, int width, int height) = 0;
    virtual int AddPage() = 0;
    virtual int SelectPage(int index) = 0;
    virtual int ShowPage(int index) = 0;
    virtual Handle CreateTextObject(int kind, int sizeClass, int alignment, int width) = 0;
    virtual HRESULT SetObjectOrigin(Handle object, int x, int y) = 0;
    virtual HRESULT SetObjectText(Handle object, const WCHAR* text) = 0;
    virtual int IsButtonReleased(int button) = 0;
    virtual void Update() = 0;
};

}  // namespace vareko
