// PageBase: surface lifetime, rendering and the display timer.
#include "toolkit/page_base.h"

namespace vareko {

PageBase::~PageBase() { PageBase::Shutdown(); }

HRESULT PageBase::Initialize() {
    HRESULT status = DisplayObject::Initialize();
    if (FAILED(status)) {
        // Only the page's own surface: a subclass's Shutdown may release
        // things that its Initialize has not acquired yet.
        PageBase::Shutdown();
        return status;
    }
    SetOrigin(0, 0);
    SetSize(kDisplayWidth, kDisplayHeight);
    status = surface.Create(GetWidth(), GetHeight());
    if (FAILED(status)) {
        PageBase::Shutdown();
        return status;
    }
    return S_OK;
}

void PageBase::Shutdown() { surface.Destroy(); }

HRESULT PageBase::Render() {
    if (surface.GetMemoryDC() == nullptr || surface.GetBitmapHandle() == nullptr) {
        return E_FAIL;
    }
    surface.BeginDraw();
    surface.Clear();
    Draw(surface);
    surface.EndDraw();
    return S_OK;
}

void PageBase::Advance(DWORD now) {
    elapsed = now - startTick;
    ObjectCollection::Tick(now);
}

void PageBase::OnButtonDown(DWORD /*button*/) {}

void PageBase::OnButtonUp(DWORD /*button*/) {}

BOOL PageBase::IsExpired() const { return startTick == 0 || elapsed > duration ? TRUE : FALSE; }

void PageBase::StartTimer(DWORD durationMs) {
    // 0 means "never started", so a tick count that happens to read 0 is
    // stored as 1: the page then expires at most one millisecond early.
    DWORD now = GetTickCount();
    startTick = now != 0 ? now : 1;
    elapsed = 0;
    duration = durationMs;
}

DeviceBitmap* PageBase::GetDeviceBitmap() { return surface.GetDeviceBitmap(); }

}  // namespace vareko
