// The gallery's pictures, drawn as ASCII art in the source and made into
// bitmaps and icons through the platform's calls: an aircraft icon, an
// attitude-indicator picture and a four-frame propeller strip (also as four icons, for showing
// the animation through the display manager's icon objects).
#pragma once

#include <array>

#include "platform/win32.h"

namespace vareko::gallery {

constexpr int kPictureSide = 12;  // icons and propeller frames are 12 x 12
constexpr int kPropellerFrames = 4;
constexpr int kLogoWidth = 24;

class GalleryPictures {
  public:
    GalleryPictures();
    ~GalleryPictures();
    GalleryPictures(const GalleryPictures&) = delete;
    GalleryPictures& operator=(const GalleryPictures&) = delete;

    // False when the platform could not make one of the pictures.
    bool Complete() const;

    HICON Aircraft() const { return aircraft_; }
    HBITMAP Logo() const { return logo_; }
    HICON LogoIcon() const { return logoIcon_; }
    // The frames side by side, 48 x 12.
    HBITMAP PropellerStrip() const { return propellerStrip_; }
    HICON PropellerFrame(int index) const {
        return propellerFrames_[static_cast<std::size_t>(index)];
    }

  private:
    HICON aircraft_ = nullptr;
    HBITMAP logo_ = nullptr;
    HICON logoIcon_ = nullptr;
    HBITMAP propellerStrip_ = nullptr;
    std::array<HICON, kPropellerFrames> propellerFrames_{};
};

}  // namespace vareko::gallery
