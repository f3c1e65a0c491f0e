// Gallery pictures from ASCII art: '#' white, '.' black (and transparent in
// icons).
#include "tools/gallery/gallery_pictures.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace vareko::gallery {

namespace {

using Art = std::vector<std::string>;

const Art kAircraft = {
    ".....##.....", ".....##.....", ".....##.....", "....####....", "..########..", "############",
    "#....##....#", ".....##.....", ".....##.....", "....####....", "...######...", "............",
};

// An attitude indicator: sky, the aircraft's wings and centre, horizon, ground.
const Art kLogo = {
    "########################", "#......................#", "#..........##..........#",
    "#......................#", "#......................#", "#..#####..####..#####..#",
    "#.......##....##.......#", "########################", "########################",
    "#######.########.#######", "###.########.#######.###", "########################",
};

// One propeller blade pair per frame: |, /, -, \ .
const Art kPropeller[kPropellerFrames] = {
    {".....##.....", ".....##.....", ".....##.....", ".....##.....", "....####....", "...##..##...",
     "...##..##...", "....####....", ".....##.....", ".....##.....", ".....##.....",
     ".....##....."},
    {"..........##", ".........##.", "........##..", ".......##...", "....####....", "...##..##...",
     "...##..##...", "....####....", "...##.......", "..##........", ".##.........",
     "##.........."},
    {"............", "............", "............", "............", "....####....", "#####..#####",
     "#####..#####", "....####....", "............", "............", "............",
     "............"},
    {"##..........", ".##.........", "..##........", "...##.......", "....####....", "...##..##...",
     "...##..##...", "....####....", ".......##...", "........##..", ".........##.",
     "..........##"},
};

struct ThresholdInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
};

// An 8-bit DIB section with the display's two-level table (0..128 black).
HBITMAP MakeBitmap(const std::vector<const Art*>& frames) {
    int height = static_cast<int>(frames[0]->size());
    int frameWidth = static_cast<int>((*frames[0])[0].size());
    int width = frameWidth * static_cast<int>(frames.size());
    ThresholdInfo info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width;
    info.header.biHeight = -height;
    info.header.biPlanes = 1;
    info.header.biBitCount = 8;
    info.header.biCompression = BI_RGB;
    info.header.biClrUsed = 256;
    for (int i = 0; i < 256; ++i) {
        auto v = static_cast<BYTE>(i <= 128 ? 0 : 255);
        info.colours[i] = RGBQUAD{v, v, v, 0};
    }
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&info),
                                      DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr) {
        return nullptr;
    }
    int stride = ((width + 3) / 4) * 4;
    auto* pixels = static_cast<std::uint8_t*>(bits);
    for (std::size_t f = 0; f < frames.size(); ++f) {
        for (int y = 0; y < height; ++y) {
            const std::string& row = (*frames[f])[static_cast<std::size_t>(y)];
            for (int x = 0; x < frameWidth; ++x) {
                pixels[y * stride + static_cast<int>(f) * frameWidth + x] =
                    row[static_cast<std::size_t>(x)] == '#' ? 255 : 0;
            }
        }
    }
    return bitmap;
}

// The picture's white pixels, everything else transparent.
HICON MakeIcon(const Art& art) {
    int height = static_cast<int>(art.size());
    int width = static_cast<int>(art[0].size());
    int stride = ((width + 15) / 16) * 2;
    std::vector<std::uint8_t> maskBits(static_cast<std::size_t>(stride * height), 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (art[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] != '#') {
                maskBits[static_cast<std::size_t>(y * stride + x / 8)] |=
                    static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
        }
    }
    HBITMAP colour = MakeBitmap({&art});
    HBITMAP mask = CreateBitmap(width, height, 1, 1, maskBits.data());
    ICONINFO info{TRUE, 0, 0, mask, colour};
    HICON icon = colour != nullptr && mask != nullptr ? CreateIconIndirect(&info) : nullptr;
    if (colour != nullptr) {
        DeleteObject(colour);
    }
    if (mask != nullptr) {
        DeleteObject(mask);
    }
    return icon;
}

}  // namespace

GalleryPictures::GalleryPictures()
    : aircraft_(MakeIcon(kAircraft)),
      logo_(MakeBitmap({&kLogo})),
      logoIcon_(MakeIcon(kLogo)),
      propellerStrip_(
          MakeBitmap({&kPropeller[0], &kPropeller[1], &kPropeller[2], &kPropeller[3]})) {
    for (int i = 0; i < kPropellerFrames; ++i) {
        propellerFrames_[static_cast<std::size_t>(i)] = MakeIcon(kPropeller[i]);
    }
}

GalleryPictures::~GalleryPictures() {
    for (HICON icon : propellerFrames_) {
        if (icon != nullptr) {
            DestroyIcon(icon);
        }
    }
    for (HICON icon : {aircraft_, logoIcon_}) {
        if (icon != nullptr) {
            DestroyIcon(icon);
        }
    }
    for (HBITMAP bitmap : {logo_, propellerStrip_}) {
        if (bitmap != nullptr) {
            DeleteObject(bitmap);
        }
    }
}

bool GalleryPictures::Complete() const {
    for (HICON icon : propellerFrames_) {
        if (icon == nullptr) {
            return false;
        }
    }
    return aircraft_ != nullptr && logo_ != nullptr && logoIcon_ != nullptr &&
           propellerStrip_ != nullptr;
}

}  // namespace vareko::gallery
