// Gallery pictures from ASCII art: '#' white, '.' black (and transparent in
// icons).
#include "tools/gallery/gallery_pictures.h"

#include <string>
#include <vector>

#include "toolkit/threshold_bitmaps.h"

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

// The display's white for a lit pixel of the gallery's pictures.
constexpr BYTE kWhite = 255;

// The frames side by side, as one picture.
Art SideBySide(const std::vector<const Art*>& frames) {
    Art strip(frames[0]->size());
    for (const Art* frame : frames) {
        for (std::size_t y = 0; y < strip.size(); ++y) strip[y] += (*frame)[y];
    }
    return strip;
}

HBITMAP MakeBitmap(const std::vector<const Art*>& frames) {
    return ThresholdBitmapFromArt(SideBySide(frames), kWhite);
}

// The picture's white pixels, everything else transparent.
HICON MakeIcon(const Art& art) {
    HBITMAP colour = ThresholdBitmapFromArt(art, kWhite);
    HBITMAP mask = MonoBitmapFromArt(art, false);
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
