// Icon objects: private copies of the mask and colour bitmaps, and DrawIconEx,
// which scales by nearest pixel and applies the mask and the picture as AND
// and XOR masks on destination pixel values, as BitBlt's SRCAND and
// SRCINVERT would. Clipping happens once per clip rectangle at entry; the
// row loops assume clipped input.
#include "platform/gdi/icons.h"

#include <array>
#include <cassert>
#include <cstdint>
#include <cstring>
#include <memory>

#include "platform/gdi/bitmap_object.h"
#include "platform/gdi/dc_state.h"
#include "platform/gdi/object_calls.h"
#include "platform/gdi/raster.h"

namespace vareko::gdi {

namespace {

std::unique_ptr<Bitmap> CopyBitmap(const Bitmap& source) {
    BitmapLayout layout{source.Width(), source.Height(), source.BitsPerPixel(), true, false};
    std::unique_ptr<Bitmap> copy = Bitmap::Create(layout, source.Colours(), source.ColourCount());
    if (copy == nullptr) {
        return nullptr;
    }
    auto rowBytes = static_cast<std::size_t>(DibStrideBytes(source.Width(), source.BitsPerPixel()));
    for (int y = 0; y < source.Height(); ++y) {
        std::memcpy(copy->Row(y), source.Row(y), rowBytes);
    }
    return copy;
}

bool HasAlpha(const Bitmap& bitmap) {
    if (bitmap.Format() != PixelFormat::Rgb32) {
        return false;
    }
    for (int y = 0; y < bitmap.Height(); ++y) {
        const std::uint8_t* row = bitmap.Row(y);
        for (int x = 0; x < bitmap.Width(); ++x) {
            if (row[4 * x + 3] != 0) {
                return true;
            }
        }
    }
    return false;
}

class Icon final : public GdiObject {
  public:
    static constexpr ObjectKind kKind = ObjectKind::Icon;

    Icon(std::unique_ptr<Bitmap> mask, std::unique_ptr<Bitmap> colour, const ICONINFO& info)
        : GdiObject(kKind),
          mask_(std::move(mask)),
          colour_(std::move(colour)),
          blends_(colour_ != nullptr && HasAlpha(*colour_)),
          isIcon_(info.fIcon),
          hotspot_{static_cast<LONG>(info.xHotspot), static_cast<LONG>(info.yHotspot)} {}

    int Width() const { return colour_ != nullptr ? colour_->Width() : mask_->Width(); }
    int Height() const { return colour_ != nullptr ? colour_->Height() : mask_->Height() / 2; }
    const Bitmap& Mask() const { return *mask_; }
    // Null for a monochrome icon, whose picture is the lower half of the mask.
    const Bitmap* Colour() const { return colour_.get(); }
    bool Blends() const { return blends_; }
    BOOL IsIcon() const { return isIcon_; }
    POINT Hotspot() const { return hotspot_; }

  private:
    std::unique_ptr<Bitmap> mask_;
    std::unique_ptr<Bitmap> colour_;
    bool blends_;
    BOOL isIcon_;
    POINT hotspot_;
};

// Picture pixel -> destination pixel value. Indexed pictures are translated
// through a table filled on first use; a monochrome icon's picture bits are
// plain black and white.
class Translation {
  public:
    Translation(const Bitmap& picture, const Bitmap& destination, bool rawBits)
        : picture_(picture), destination_(destination) {
        table_.fill(kUnset);
        if (rawBits) {
            table_[0] = destination.ColourToPixel(RGB(0, 0, 0));
            table_[1] = destination.ColourToPixel(RGB(255, 255, 255));
        }
        indexed_ = rawBits || picture.Format() != PixelFormat::Rgb32;
    }

    DWORD operator()(DWORD pixel) const {
        if (!indexed_) {
            return destination_.ColourToPixel(picture_.PixelToColour(pixel));
        }
        DWORD& entry = table_[pixel & 0xFF];
        if (entry == kUnset) {
            entry = destination_.ColourToPixel(picture_.PixelToColour(pixel));
        }
        return entry;
    }

  private:
    static constexpr DWORD kUnset = 0xFFFFFFFF;
    const Bitmap& picture_;
    const Bitmap& destination_;
    bool indexed_ = false;
    mutable std::array<DWORD, 256> table_{};
};

enum class IconMode { MaskOnly, CopyPicture, MaskThenXor, Blend };

struct IconJob {
    Bitmap* destination;
    const Icon* icon;
    const Bitmap* picture;   // the colour bitmap, or the mask for a monochrome icon
    int pictureTop;          // first row of the picture in *picture
    std::int64_t left, top;  // device position of the icon's top-left corner
    int cx, cy;              // drawn size
    IconMode mode;
    DWORD black, white;  // destination pixel values
};

// Nearest icon pixel for a destination pixel: the one whose span covers it.
int IconCoordinate(std::int64_t offset, int iconSide, int drawnSide) {
    return static_cast<int>((offset * iconSide) / drawnSide);
}

BYTE Mix(BYTE source, BYTE destination, int alpha) {
    return static_cast<BYTE>((source * alpha + destination * (255 - alpha) + 127) / 255);
}

// Straight (not premultiplied) alpha over the destination's colour.
template <class Dst>
void BlendPixel(const IconJob& job, std::uint8_t* row, int x, const std::uint8_t* pictureRow,
                int ix) {
    int alpha = pictureRow[4 * ix + 3];
    if (alpha == 0) {
        return;
    }
    COLORREF source = job.picture->PixelToColour(Rgb32::Get(pictureRow, ix));
    COLORREF under = job.destination->PixelToColour(Dst::Get(row, x));
    COLORREF mixed = RGB(Mix(GetRValue(source), GetRValue(under), alpha),
                         Mix(GetGValue(source), GetGValue(under), alpha),
                         Mix(GetBValue(source), GetBValue(under), alpha));
    Dst::Apply(row, x, 0, job.destination->ColourToPixel(mixed));
}

// Callers clip: area lies inside the destination bitmap and the drawn icon.
template <class Dst, class Src>
void DrawIconArea(const IconJob& job, const RECT& area, const Translation& translate) {
    assert(!IsEmptyRect(area) && area.left >= 0 && area.top >= 0 &&
           area.right <= job.destination->Width() && area.bottom <= job.destination->Height());
    assert(area.left >= job.left && area.top >= job.top && area.right <= job.left + job.cx &&
           area.bottom <= job.top + job.cy);
    const Icon& icon = *job.icon;
    for (int y = area.top; y < area.bottom; ++y) {
        int iy = IconCoordinate(y - job.top, icon.Height(), job.cy);
        const std::uint8_t* maskRow = icon.Mask().Row(iy);
        const std::uint8_t* pictureRow = job.picture->Row(job.pictureTop + iy);
        std::uint8_t* row = job.destination->Row(y);
        for (int x = area.left; x < area.right; ++x) {
            int ix = IconCoordinate(x - job.left, icon.Width(), job.cx);
            switch (job.mode) {
                case IconMode::MaskOnly:  // the mask on its own is copied, as the picture is
                    Dst::Apply(row, x, 0, Mono1::Get(maskRow, ix) ? job.white : job.black);
                    break;
                case IconMode::CopyPicture:
                    Dst::Apply(row, x, 0, translate(Src::Get(pictureRow, ix)));
                    break;
                case IconMode::MaskThenXor:
                    Dst::Apply(row, x, Mono1::Get(maskRow, ix) ? job.white : job.black, 0);
                    Dst::Apply(row, x, ~DWORD{0}, translate(Src::Get(pictureRow, ix)));
                    break;
                case IconMode::Blend:
                    if constexpr (Src::kBits == 32) {
                        BlendPixel<Dst>(job, row, x, pictureRow, ix);
                    }
                    break;
            }
        }
    }
}

IconMode ModeFor(UINT flags, const Icon& icon) {
    if ((flags & DI_NORMAL) == DI_MASK) {
        return IconMode::MaskOnly;
    }
    if ((flags & DI_NORMAL) == DI_IMAGE) {
        return IconMode::CopyPicture;
    }
    return icon.Blends() ? IconMode::Blend : IconMode::MaskThenXor;
}

}  // namespace

}  // namespace vareko::gdi

using namespace vareko::gdi;

HICON CreateIconIndirect(PICONINFO info) {
    if (info == nullptr) {
        return nullptr;
    }
    const Bitmap* mask = LookupObject<Bitmap>(info->hbmMask);
    const Bitmap* colour = LookupObject<Bitmap>(info->hbmColor);
    if (mask == nullptr || mask->Format() != PixelFormat::Mono1 ||
        (info->hbmColor != nullptr && colour == nullptr)) {
        return nullptr;
    }
    if (colour != nullptr ? mask->Width() < colour->Width() || mask->Height() < colour->Height()
                          : mask->Height() < 2) {
        return nullptr;
    }
    std::unique_ptr<Bitmap> maskCopy = CopyBitmap(*mask);
    std::unique_ptr<Bitmap> colourCopy = colour != nullptr ? CopyBitmap(*colour) : nullptr;
    if (maskCopy == nullptr || (colour != nullptr && colourCopy == nullptr)) {
        return nullptr;
    }
    ICONINFO kept = *info;
    if (info->fIcon) {
        // Icons are centred on their hotspot, whatever the caller passed.
        int width = colour != nullptr ? colour->Width() : mask->Width();
        int height = colour != nullptr ? colour->Height() : mask->Height() / 2;
        kept.xHotspot = static_cast<DWORD>(width / 2);
        kept.yHotspot = static_cast<DWORD>(height / 2);
    }
    auto icon = std::make_unique<Icon>(std::move(maskCopy), std::move(colourCopy), kept);
    return static_cast<HICON>(RegisterObject(std::move(icon)));
}

BOOL GetIconInfo(HICON handle, PICONINFO info) {
    const Icon* icon = LookupObject<Icon>(handle);
    if (icon == nullptr || info == nullptr) {
        return FALSE;
    }
    std::unique_ptr<Bitmap> mask = CopyBitmap(icon->Mask());
    std::unique_ptr<Bitmap> colour =
        icon->Colour() != nullptr ? CopyBitmap(*icon->Colour()) : nullptr;
    if (mask == nullptr || (icon->Colour() != nullptr && colour == nullptr)) {
        return FALSE;
    }
    HBITMAP maskHandle = static_cast<HBITMAP>(RegisterObject(std::move(mask)));
    HBITMAP colourHandle =
        colour != nullptr ? static_cast<HBITMAP>(RegisterObject(std::move(colour))) : nullptr;
    if (maskHandle == nullptr || (icon->Colour() != nullptr && colourHandle == nullptr)) {
        DeleteObject(maskHandle);
        DeleteObject(colourHandle);
        return FALSE;
    }
    POINT hotspot = icon->Hotspot();
    *info = ICONINFO{icon->IsIcon(), static_cast<DWORD>(hotspot.x), static_cast<DWORD>(hotspot.y),
                     maskHandle, colourHandle};
    return TRUE;
}

BOOL DestroyIcon(HICON handle) {
    return LookupObject<Icon>(handle) != nullptr && DestroyObject(handle) ? TRUE : FALSE;
}

BOOL DrawIconEx(HDC hdc, int x, int y, HICON handle, int cx, int cy, UINT /*step*/,
                HBRUSH flickerFreeBrush, UINT flags) {
    DeviceContext* dc = LookupDc(hdc);
    const Icon* icon = LookupObject<Icon>(handle);
    // Any size draws: only the part inside the clip is visited.
    if (dc == nullptr || icon == nullptr || cx < 0 || cy < 0) {
        return FALSE;
    }
    cx = cx == 0 ? icon->Width() : cx;
    cy = cy == 0 ? icon->Height() : cy;
    Bitmap& destination = dc->SelectedBitmap();
    POINT viewport = dc->viewportOrigin;
    std::int64_t left = std::int64_t{x} + viewport.x;
    std::int64_t top = std::int64_t{y} + viewport.y;
    RECT placed = DeviceRect(left, top, left + cx, top + cy);
    if (const Brush* brush = LookupObject<Brush>(flickerFreeBrush)) {
        DWORD pixel;
        if (BrushPixel(*dc, *brush, pixel)) {
            ApplyToDeviceRect(*dc, placed, RopMasks{0, pixel});
        }
    }
    if ((flags & DI_NORMAL) == 0) {
        return TRUE;
    }
    const Bitmap* colour = icon->Colour();
    IconJob job{&destination,
                icon,
                colour != nullptr ? colour : &icon->Mask(),
                colour != nullptr ? 0 : icon->Height(),
                left,
                top,
                cx,
                cy,
                ModeFor(flags, *icon),
                destination.ColourToPixel(RGB(0, 0, 0)),
                destination.ColourToPixel(RGB(255, 255, 255))};
    Translation translate(*job.picture, destination, colour == nullptr);
    WithFormat(destination.Format(), [&](auto d) {
        WithFormat(job.picture->Format(), [&](auto s) {
            for (const RECT& clip : dc->ClipRects()) {
                RECT area = Intersect(placed, clip);
                if (!IsEmptyRect(area)) {
                    DrawIconArea<decltype(d), decltype(s)>(job, area, translate);
                }
            }
        });
    });
    return TRUE;
}
