// PageBase: one whole screen of the display. A collection that owns a
// 160 x 43 GraphicsSurface, renders its children into it, carries a display
// timer and receives the soft-button notifications. The device output and
// the manager page derive from it. Depends on ObjectCollection and
// GraphicsSurface.
#pragma once

#include "toolkit/graphics_surface.h"
#include "toolkit/object_collection.h"

namespace vareko {

class PageBase : public ObjectCollection {
public:
    PageBase() = default;
    ~PageBase() override;

    // Gives the page its 160 x 43 box at (0, 0) and (re)creates its surface.
    HRESULT Initialize() override;
    void Shutdown() override;

    // Clears the surface and draws the children; E_FAIL without a surface.
    virtual HRESULT Render();
    // Updates the elapsed display time and ticks the children.
    virtual void Advance(DWORD now);
    virtual void OnButtonDown(DWORD button);
    virtual void OnButtonUp(DWORD button);
    // TRUE while the timer was never started or has run out.
    virtual BOOL IsExpired() const;

    void StartTimer(DWORD durationMs);
    DeviceBitmap* GetDeviceBitmap();

protected:
    GraphicsSurface surface;
    DWORD startTick = 0;  // 0: never started
    DWORD elapsed = 0;
    DWORD duration = 0;
};

}  // namespace vareko
