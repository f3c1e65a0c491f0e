// The gallery page: every object kind that the display manager offers,
// placed on one 160 x 43 page and moved by time. Built through any target
// with the display manager's object operations: the DisplayManager itself
// (live, on the device), or a ManagerPage rendered in-process.
#pragma once

#include <array>
#include <cwchar>

#include "display/manager_page.h"
#include "tools/gallery/gallery_pictures.h"

namespace vareko::gallery {

struct SceneHandles {
    ObjectHandle title = nullptr;
    ObjectHandle aircraft = nullptr;
    std::array<ObjectHandle, kPropellerFrames> propeller{};
    ObjectHandle logo = nullptr;
    ObjectHandle clock = nullptr;
    ObjectHandle ticker = nullptr;
    ObjectHandle bar = nullptr;
    ObjectHandle cursor = nullptr;
    ObjectHandle trail = nullptr;
};

// Where the pictures stand on the top row.
constexpr POINT kAircraftAt{56, 0};
constexpr POINT kPropellerAt{72, 0};
constexpr POINT kLogoAt{88, 0};
constexpr POINT kClockAt{114, 0};
constexpr int kClockWidth = 46;

// Progress bar styles as the manager numbers them.
constexpr int kManagerCursorStyle = 0;
constexpr int kManagerBarStyle = 1;
constexpr int kManagerTrailStyle = 2;

template <class Target>
SceneHandles BuildScene(Target& target, const GalleryPictures& pictures) {
    SceneHandles h;
    h.title = target.CreateTextObject(TextKind::Static, SizeClass::Small, 0, 54);
    target.SetObjectText(h.title, L"Gallery");

    h.aircraft = target.CreateIconObject(pictures.Aircraft(), kPictureSide, kPictureSide);
    target.SetObjectOrigin(h.aircraft, kAircraftAt.x, kAircraftAt.y);
    // The animation, made of one icon object per frame of which one is shown.
    for (int i = 0; i < kPropellerFrames; ++i) {
        ObjectHandle& frame = h.propeller[static_cast<std::size_t>(i)];
        frame = target.CreateIconObject(pictures.PropellerFrame(i), kPictureSide, kPictureSide);
        target.SetObjectOrigin(frame, kPropellerAt.x, kPropellerAt.y);
        target.SetObjectVisible(frame, i == 0);
    }
    h.logo = target.CreateIconObject(pictures.LogoIcon(), kLogoWidth, kPictureSide);
    target.SetObjectOrigin(h.logo, kLogoAt.x, kLogoAt.y);

    h.clock = target.CreateTextObject(TextKind::Static, SizeClass::Small, 2, kClockWidth);
    target.SetObjectOrigin(h.clock, kClockAt.x, kClockAt.y);

    h.ticker = target.CreateTextObject(TextKind::Streaming, SizeClass::Medium, 0, 160);
    target.SetObjectOrigin(h.ticker, 0, 12);
    target.SetObjectText(h.ticker,
                         L"Texts, icons, pictures and progress bars on the virtual display");

    h.bar = target.CreateProgressBar(kManagerBarStyle);
    target.SetObjectOrigin(h.bar, 0, 26);
    h.cursor = target.CreateProgressBar(kManagerCursorStyle);
    target.SetObjectOrigin(h.cursor, 0, 32);
    h.trail = target.CreateProgressBar(kManagerTrailStyle);
    target.SetObjectOrigin(h.trail, 0, 38);
    return h;
}

// Positions, the shown propeller frame and the clock text at elapsedMs.
template <class Target>
void AnimateScene(Target& target, const SceneHandles& h, DWORD elapsedMs) {
    // The bars sweep 0 to 100 in four seconds, each a second behind the last.
    auto sweep = [elapsedMs](DWORD lagMs) {
        return static_cast<float>((elapsedMs + 4000 - lagMs) % 4000) / 40.0f;
    };
    target.SetProgressPosition(h.bar, sweep(0));
    target.SetProgressPosition(h.cursor, sweep(1000));
    target.SetProgressPosition(h.trail, sweep(2000));

    DWORD shown = (elapsedMs / 250) % kPropellerFrames;
    for (DWORD i = 0; i < kPropellerFrames; ++i) {
        target.SetObjectVisible(h.propeller[i], i == shown);
    }

    wchar_t clock[32];
    std::swprintf(clock, sizeof clock / sizeof clock[0], L"%u.%u s", elapsedMs / 1000,
                  (elapsedMs / 100) % 10);
    target.SetObjectText(h.clock, clock);
}

}  // namespace vareko::gallery
