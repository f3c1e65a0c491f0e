// Forwarding from the dashboard's display interface to the DisplayManager.
// The interface speaks plain ints and untyped handles; the manager's own
// enums and handle type are restored here.
#include "app/device_dashboard_display.h"

#include "display/display_manager.h"

namespace vareko {
namespace {

ObjectHandle ToObject(DashboardDisplay::Handle handle) { return static_cast<ObjectHandle>(handle); }

}  // namespace

DeviceDashboardDisplay::DeviceDashboardDisplay() : manager(std::make_unique<DisplayManager>()) {}

DeviceDashboardDisplay::~DeviceDashboardDisplay() = default;

HRESULT DeviceDashboardDisplay::Initialize(const WCHAR* title, DWORD connectFlag2, DWORD connectFlag1,
                                   void* callbackRecord, int width, int height) {
    return manager->Initialize(title, connectFlag2, connectFlag1, static_cast<const CallbackRecord*>(callbackRecord),
                               width, height);
}

int DeviceDashboardDisplay::AddPage() { return manager->AddPage(); }

int DeviceDashboardDisplay::SelectPage(int index) { return manager->SelectPage(index); }

int DeviceDashboardDisplay::ShowPage(int index) { return manager->ShowPage(index); }

DashboardDisplay::Handle DeviceDashboardDisplay::CreateTextObject(int kind, int sizeClass, int alignment, int width) {
    return manager->CreateTextObject(static_cast<TextKind>(kind), static_cast<SizeClass>(sizeClass),
                                     static_cast<UINT>(alignment), width);
}

HRESULT DeviceDashboardDisplay::SetObjectOrigin(Handle object, int x, int y) {
    return manager->SetObjectOrigin(ToObject(object), x, y);
}

HRESULT DeviceDashboardDisplay::SetObjectText(Handle object, const WCHAR* text) {
    return manager->SetObjectText(ToObject(object), text);
}

int DeviceDashboardDisplay::IsButtonReleased(int button) { return manager->IsButtonReleased(button); }

void DeviceDashboardDisplay::Update() { manager->Update(); }

BOOL DeviceDashboardDisplay::IsDeviceOpen() const { return manager->IsDeviceOpen(); }

}  // namespace vareko
