// Forwarding from the dashboard's plain ints and untyped handles to the
// manager's enums and handle type.
#include "bench/main_loop/manager_adapter.h"

namespace vareko::bench {

HRESULT ManagerAdapter::Initialize(const WCHAR* title, DWORD connectFlag2, DWORD connectFlag1, void* callbackRecord,
                                   int width, int height) {
    return manager.Initialize(title, connectFlag2, connectFlag1, static_cast<const CallbackRecord*>(callbackRecord),
                              width, height);
}

DashboardDisplay::Handle ManagerAdapter::CreateTextObject(int kind, int sizeClass, int alignment, int width) {
    return manager.CreateTextObject(static_cast<TextKind>(kind), static_cast<SizeClass>(sizeClass),
                                    static_cast<UINT>(alignment), width);
}

HRESULT ManagerAdapter::SetObjectOrigin(Handle object, int x, int y) {
    return manager.SetObjectOrigin(static_cast<ObjectHandle>(object), x, y);
}

HRESULT ManagerAdapter::SetObjectText(Handle object, const WCHAR* text) {
    return manager.SetObjectText(static_cast<ObjectHandle>(object), text);
}

}  // namespace vareko::bench
