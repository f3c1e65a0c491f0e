// vareko-gallery: a demo page for users of the virtual display. It puts every
// object kind that the display manager offers on one page and animates it,
// live through the display manager and the display-manager library, or
// renders it in-process, with the toolkit's further picture and text
// objects, into a PNG.
//   vareko-gallery [--seconds N]            live; soft button 4 ends it
//   vareko-gallery --png FILE [--scale N]   in-process picture
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "display/display_manager.h"
#include "platform/image/png_file.h"
#include "tools/gallery/gallery_pictures.h"
#include "tools/gallery/gallery_scene.h"
#include "tools/gallery/toolkit_extras.h"

namespace {

using namespace vareko;
using namespace vareko::gallery;

constexpr DWORD kFrameMs = 40;
constexpr DWORD kPictureAtMs = 1500;  // the moment the PNG shows
constexpr int kQuitButton = 3;

struct Options {
    const char* pngPath = nullptr;
    int scale = 4;
    long seconds = 0;  // 0: until soft button 4
};

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--png") == 0 && hasValue) {
            options.pngPath = argv[++i];
        } else if (std::strcmp(argv[i], "--scale") == 0 && hasValue) {
            options.scale = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--seconds") == 0 && hasValue) {
            options.seconds = std::atol(argv[++i]);
        } else {
            return false;
        }
    }
    return options.scale >= 1 && options.scale <= platform::kMaxPngScale && options.seconds >= 0;
}

class IgnoreButtons : public ButtonSink {
  public:
    void OnButtonDown(DWORD) override {}
    void OnButtonUp(DWORD) override {}
};

int RenderPng(const Options& options, const GalleryPictures& pictures) {
    IgnoreButtons sink;
    ManagerPage page(&sink, kDisplayWidth, kDisplayHeight);
    if (page.Initialize() != S_OK) {
        std::fprintf(stderr, "vareko-gallery: cannot create the page's surface\n");
        return 1;
    }
    SceneHandles handles = BuildScene(page, pictures);
    DWORD start = GetTickCount();
    AnimateScene(page, handles, kPictureAtMs);
    AddToolkitExtras(page, handles, pictures);
    // Two updates: a streaming text lays out its row at its first draw.
    for (DWORD step = 0; step < 2; ++step) {
        page.Advance(start + kPictureAtMs + step * kFrameMs);
        page.Render();
    }
    const DeviceBitmap* frame = page.GetDeviceBitmap();
    if (frame == nullptr) {
        return 1;
    }
    // The device reads bytes by threshold; the picture shows them black or white.
    std::uint8_t pixels[kDevicePixelBytes];
    for (std::size_t i = 0; i < kDevicePixelBytes; ++i) {
        pixels[i] = IsWhitePixel(frame->pixels[i]) ? 255 : 0;
    }
    if (platform::WriteGreyPng(options.pngPath, pixels, kDisplayWidth, kDisplayHeight,
                               kDisplayWidth, options.scale) != platform::PngResult::kOk) {
        std::fprintf(stderr, "vareko-gallery: cannot write %s\n", options.pngPath);
        return 1;
    }
    return 0;
}

int RunLive(const Options& options, const GalleryPictures& pictures) {
    auto* manager = new (std::nothrow) DisplayManager();
    if (manager == nullptr) {
        return 1;
    }
    manager->Initialize(L"VAREKO gallery", 0, 0, nullptr, kDisplayWidth, kDisplayHeight);
    SceneHandles handles = BuildScene(*manager, pictures);
    std::printf("vareko-gallery: showing the gallery; soft button 4 ends it\n");
    DWORD start = GetTickCount();
    bool reported = false;
    for (;;) {
        DWORD elapsed = GetTickCount() - start;
        if (options.seconds > 0 && elapsed >= static_cast<DWORD>(options.seconds) * 1000) {
            break;
        }
        AnimateScene(*manager, handles, elapsed);
        manager->Update();
        if (manager->IsButtonReleased(kQuitButton)) {
            break;
        }
        if (!reported && elapsed > 2000 && !manager->IsDeviceOpen()) {
            std::fprintf(stderr,
                         "vareko-gallery: no display yet; is `vareko-display serve` running and "
                         "the library registered (`vareko-display register`)?\n");
            reported = true;
        }
        Sleep(kFrameMs);
    }
    delete manager;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: vareko-gallery [--seconds N] | --png FILE [--scale N]\n");
        return 2;
    }
    GalleryPictures pictures;
    if (!pictures.Complete()) {
        std::fprintf(stderr, "vareko-gallery: cannot make the pictures\n");
        return 1;
    }
    return options.pngPath != nullptr ? RenderPng(options, pictures) : RunLive(options, pictures);
}
