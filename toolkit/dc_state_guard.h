// DcStateGuard: what one draw changes in a device context (selected font,
// pen, brush or bitmap, background mode, map mode, text colour, clip region,
// viewport origin), put back when the guard goes out of scope, in reverse
// order of the changes. Each change reports a status; a change the DC
// refuses leaves nothing to put back. Plain Win32 calls only, so both the
// Linux layer and the Windows build compile it. Depends on the platform
// types and GDI calls.
#pragma once

#include <array>
#include <cstddef>

#include "platform/win32.h"

namespace vareko {

class DcStateGuard {
public:
    // One slot per kind that a draw selects (font, pen, brush, bitmap).
    static constexpr std::size_t kMaxSelections = 4;

    explicit DcStateGuard(HDC target) : dc(target) {}
    ~DcStateGuard();
    DcStateGuard(const DcStateGuard&) = delete;
    DcStateGuard& operator=(const DcStateGuard&) = delete;

    // Selects a font, pen, brush or bitmap and keeps what it replaced.
    // E_FAIL when the DC refuses it (a bitmap another DC holds, a null or
    // unknown handle) and E_OUTOFMEMORY when every slot is taken; a region
    // is E_INVALIDARG: clips go through SetClip.
    HRESULT Select(HGDIOBJ object);
    HRESULT SetBackgroundMode(int mode);
    HRESULT SetMapMode(int mode);
    HRESULT SetTextColour(COLORREF colour);
    // Replaces the clip with a copy of region; the guard leaves the DC
    // without a clip, which is the state of a surface's DC between draws.
    HRESULT SetClip(HRGN region);
    // Moves the viewport origin to (x, y), or by (dx, dy); the origin the
    // first of these calls found comes back.
    HRESULT SetViewportOrigin(int x, int y);
    HRESULT OffsetViewportOrigin(int dx, int dy);

private:
    // Notes the origin a successful move replaced, if it is the first.
    HRESULT KeepOrigin(BOOL moved, POINT previous);

    HDC dc;
    std::array<HGDIOBJ, kMaxSelections> replaced{};
    std::size_t selections = 0;
    int backgroundMode = 0;  // 0: not changed
    int mapMode = 0;
    COLORREF textColour = CLR_INVALID;
    bool clipSet = false;
    bool originSaved = false;
    POINT origin{0, 0};
};

}  // namespace vareko
