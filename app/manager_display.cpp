// Forwarding from the dashboard's display interface to the DisplayManager.
// The interface speaks plain ints and untyped handles; the manager's own
// enums and handle type are restored here.
#include "app/manager_display.h"

#include "display/display_manager.h"

namespace vareko {
namespace {

ObjectHandle ToObject(DashboardDisplay::Handle handle) { return static_cast<ObjectHandle>(handle); }

}  // namespace

ManagerDisplay::ManagerDisplay() : manager(std::make_unique<DisplayManager>()) {}

ManagerDisplay::~ManagerDisplay() = default;

HRESULT ManagerDisplay::Initialize(const WCHAR* title, DWORD connectFlag2, DWORD connectFlag1,
                                   void* callbackRecord, int width, int height) {
    return manager->Initialize(title, connectFlag2, connectFlag1, static_cast<const CallbackRecord*>(callbackRecord),
                               width, height);
}

int ManagerDisplay::AddPage() { return manager->AddPage(); }

int ManagerDisplay::SelectPage(int index) { return manager->SelectPage(index); }

int ManagerDisplay::ShowPage(int index) { return manager->ShowPage(index); }

DashboardDisplay::Handle ManagerDisplay::CreateTextObject(int kind, int sizeClass, int alignment, int width) {
    return manager->CreateTextObject(static_cast<TextKind>(kind), static_cast<SizeClass>(sizeClass),
                                     static_cast<UINT>(alignment), width);
}

HRESULT ManagerDisplay::SetObjectOrigin(Handle object, int x, int y) {
    return manager->SetObjectOrigin(ToObject(object), x, y);
}

HRESULT ManagerDisplay::SetObjectText(Handle object, const WCHAR* text) {
    return manager->SetObjectText(ToObject(object), text);
}

int ManagerDisplay::IsButtonReleased(int button) { return manager->IsButtonReleased(button); }

void ManagerDisplay::Update() { manager->Update(); }

BOOL ManagerDisplay::IsDeviceOpen() const { return manager->IsDeviceOpen(); }

}  // namespace vareko
