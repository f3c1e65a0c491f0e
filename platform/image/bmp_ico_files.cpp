// Picture files: the file is read whole, its headers are decoded into a
// DibLayout with every offset checked against the file's size, and only then
// are pixels converted, row by row, into a bitmap of one of our formats.
#include "platform/image/bmp_ico_files.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/bitmap_object.h"
#include "platform/gdi/icons.h"
#include "platform/gdi/object_calls.h"

namespace vareko::gdi {

namespace {

constexpr std::size_t kMaxFileBytes = 64 * 1024 * 1024;
constexpr DWORD kBitfields = 3;  // BI_BITFIELDS

// UTF-16 code units (one per wchar_t) to a UTF-8 path; lone surrogates
// become U+FFFD.
std::string PathFromWide(LPCWSTR name) {
    std::string path;
    for (std::size_t i = 0; name[i] != 0; ++i) {
        auto unit = static_cast<std::uint32_t>(name[i]) & 0xFFFF;
        std::uint32_t code = unit;
        if (unit >= 0xD800 && unit < 0xDC00 &&
            (static_cast<std::uint32_t>(name[i + 1]) & 0xFC00) == 0xDC00) {
            code = 0x10000 + ((unit - 0xD800) << 10) +
                   ((static_cast<std::uint32_t>(name[i + 1]) & 0x3FF));
            ++i;
        } else if (unit >= 0xD800 && unit < 0xE000) {
            code = 0xFFFD;
        }
        if (code < 0x80) {
            path += static_cast<char>(code);
        } else if (code < 0x800) {
            path += static_cast<char>(0xC0 | (code >> 6));
            path += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            path += static_cast<char>(0xE0 | (code >> 12));
            path += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            path += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            path += static_cast<char>(0xF0 | (code >> 18));
            path += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            path += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            path += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return path;
}

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    std::uint8_t chunk[16384];
    std::size_t got;
    bool ok = true;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        if (bytes.size() + got > kMaxFileBytes) {
            ok = false;
            break;
        }
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    ok = ok && std::ferror(file) == 0;
    std::fclose(file);
    return ok;
}

// Little-endian reads; callers check Has() first.
class ByteView {
  public:
    explicit ByteView(const std::vector<std::uint8_t>& bytes)
        : data_(bytes.data()), size_(bytes.size()) {}

    bool Has(std::size_t offset, std::size_t count) const {
        return offset <= size_ && count <= size_ - offset;
    }
    const std::uint8_t* At(std::size_t offset) const { return data_ + offset; }
    WORD U16(std::size_t offset) const {
        return static_cast<WORD>(data_[offset] | (data_[offset + 1] << 8));
    }
    DWORD U32(std::size_t offset) const {
        return static_cast<DWORD>(data_[offset]) | (static_cast<DWORD>(data_[offset + 1]) << 8) |
               (static_cast<DWORD>(data_[offset + 2]) << 16) |
               (static_cast<DWORD>(data_[offset + 3]) << 24);
    }
    LONG I32(std::size_t offset) const { return static_cast<LONG>(U32(offset)); }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
};

// A channel mask of a 16- or 32-bit picture.
struct Channel {
    DWORD mask = 0;
    int shift = 0;
    DWORD top = 0;  // mask >> shift

    explicit Channel(DWORD m = 0) : mask(m) {
        while (mask != 0 && ((mask >> shift) & 1u) == 0) {
            ++shift;
        }
        top = mask >> shift;
    }
    BYTE Read(DWORD value) const {
        return top == 0 ? 0 : static_cast<BYTE>((((value & mask) >> shift) * 255 + top / 2) / top);
    }
};

// What a BITMAPINFOHEADER (or a later version of it) says about the pixels.
struct DibLayout {
    int width = 0;
    int height = 0;  // rows of the picture
    bool topDown = false;
    int bitsPerPixel = 0;
    bool bitfields = false;
    Channel red, green, blue, alpha;
    std::vector<RGBQUAD> colours;
    std::size_t headerEnd = 0;  // offset of the first byte after header, masks and table

    int StrideBytes() const { return DibStrideBytes(width, bitsPerPixel); }
};

bool IsSupportedDepth(int bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// at: offset of the header. In an icon the header's height is twice the
// picture's (picture and mask) and the rows are always bottom-up.
bool ParseDibHeader(const ByteView& file, std::size_t at, bool inIcon, DibLayout& layout) {
    if (!file.Has(at, 40)) {
        return false;
    }
    DWORD size = file.U32(at);
    if (size != 40 && size != 52 && size != 56 && size != 108 && size != 124) {
        return false;
    }
    if (!file.Has(at, size)) {
        return false;
    }
    LONG width = file.I32(at + 4);
    LONG height = file.I32(at + 8);
    WORD planes = file.U16(at + 12);
    layout.bitsPerPixel = file.U16(at + 14);
    DWORD compression = file.U32(at + 16);
    DWORD coloursUsed = file.U32(at + 32);
    if (width <= 0 || height == 0 || height == INT32_MIN || planes != 1 ||
        !IsSupportedDepth(layout.bitsPerPixel)) {
        return false;
    }
    layout.bitfields = compression == kBitfields;
    if (compression != BI_RGB && !(layout.bitfields && !inIcon &&
                                   (layout.bitsPerPixel == 16 || layout.bitsPerPixel == 32))) {
        return false;
    }
    layout.width = width;
    layout.topDown = height < 0 && !inIcon;
    layout.height = height < 0 ? -height : height;
    if (inIcon) {
        layout.height /= 2;
        if (layout.height == 0) {
            return false;
        }
    }
    std::size_t next = at + size;
    if (layout.bitfields) {
        // A plain header is followed by the three masks; later headers hold
        // them (and, from 56 bytes on, an alpha mask) themselves.
        std::size_t masks = at + 40;
        if (size == 40) {
            if (!file.Has(masks, 12)) {
                return false;
            }
            next = masks + 12;
        }
        layout.red = Channel(file.U32(masks));
        layout.green = Channel(file.U32(masks + 4));
        layout.blue = Channel(file.U32(masks + 8));
        layout.alpha = Channel(size >= 56 ? file.U32(masks + 12) : 0);
    } else if (layout.bitsPerPixel == 16) {
        layout.red = Channel(0x7C00);
        layout.green = Channel(0x03E0);
        layout.blue = Channel(0x001F);
    }
    if (layout.bitsPerPixel <= 8) {
        DWORD capacity = 1u << layout.bitsPerPixel;
        DWORD count = coloursUsed != 0 && coloursUsed < capacity ? coloursUsed : capacity;
        if (!file.Has(next, count * 4)) {
            return false;
        }
        layout.colours.resize(count);
        std::memcpy(layout.colours.data(), file.At(next), count * 4);
        for (RGBQUAD& entry : layout.colours) {
            entry.rgbReserved = 0;
        }
        next += count * 4;
    }
    layout.headerEnd = next;
    return true;
}

DWORD ReadIndex(const std::uint8_t* row, int x, int bits) {
    switch (bits) {
        case 1:
            return (row[x >> 3] >> (7 - (x & 7))) & 1u;
        case 4:
            return (x & 1) ? row[x >> 1] & 0x0Fu : row[x >> 1] >> 4u;
        default:
            return row[x];
    }
}

// 0xAARRGGBB of a pixel of a 16-, 24- or 32-bit picture.
DWORD ReadDeep(const DibLayout& layout, const std::uint8_t* row, int x) {
    switch (layout.bitsPerPixel) {
        case 24:
            return (static_cast<DWORD>(row[3 * x + 2]) << 16) |
                   (static_cast<DWORD>(row[3 * x + 1]) << 8) | row[3 * x];
        case 32:
            if (!layout.bitfields) {
                DWORD value;
                std::memcpy(&value, row + 4 * x, 4);
                return value;
            }
            [[fallthrough]];
        default: {
            DWORD value = layout.bitsPerPixel == 16
                              ? static_cast<DWORD>(row[2 * x] | (row[2 * x + 1] << 8))
                              : static_cast<DWORD>(row[4 * x]) |
                                    (static_cast<DWORD>(row[4 * x + 1]) << 8) |
                                    (static_cast<DWORD>(row[4 * x + 2]) << 16) |
                                    (static_cast<DWORD>(row[4 * x + 3]) << 24);
            return (static_cast<DWORD>(layout.alpha.Read(value)) << 24) |
                   (static_cast<DWORD>(layout.red.Read(value)) << 16) |
                   (static_cast<DWORD>(layout.green.Read(value)) << 8) | layout.blue.Read(value);
        }
    }
}

COLORREF ColourOf(const DibLayout& layout, const std::uint8_t* row, int x) {
    if (layout.bitsPerPixel <= 8) {
        DWORD index = ReadIndex(row, x, layout.bitsPerPixel);
        if (index >= layout.colours.size()) {
            return RGB(0, 0, 0);
        }
        const RGBQUAD& q = layout.colours[index];
        return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
    }
    DWORD v = ReadDeep(layout, row, x);
    return RGB(static_cast<BYTE>(v >> 16), static_cast<BYTE>(v >> 8), static_cast<BYTE>(v));
}

bool NearerWhite(COLORREF c) {
    int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
    int toBlack = r * r + g * g + b * b;
    int toWhite = (255 - r) * (255 - r) + (255 - g) * (255 - g) + (255 - b) * (255 - b);
    return toWhite < toBlack;
}

void SetBit(std::uint8_t* row, int x, bool on) {
    auto bit = static_cast<std::uint8_t>(0x80u >> (x & 7));
    row[x >> 3] = static_cast<std::uint8_t>(on ? row[x >> 3] | bit : row[x >> 3] & ~bit);
}

// Converts the stored rows at pixels (layout's stride, bounds checked by the
// caller) into a new bitmap.
std::unique_ptr<Bitmap> DecodePixels(const DibLayout& layout, const std::uint8_t* pixels,
                                     bool monochrome, bool dibSection) {
    int outBits = monochrome || layout.bitsPerPixel == 1 ? 1 : layout.bitsPerPixel <= 8 ? 8 : 32;
    BitmapLayout target{layout.width, layout.height, outBits, true, dibSection};
    bool keepTable = !monochrome && layout.bitsPerPixel <= 8;
    std::unique_ptr<Bitmap> bitmap =
        Bitmap::Create(target, keepTable ? layout.colours.data() : nullptr,
                       keepTable ? static_cast<int>(layout.colours.size()) : 0);
    if (bitmap == nullptr) {
        return nullptr;
    }
    std::size_t stride = static_cast<std::size_t>(layout.StrideBytes());
    for (int y = 0; y < layout.height; ++y) {
        int stored = layout.topDown ? y : layout.height - 1 - y;
        const std::uint8_t* source = pixels + static_cast<std::size_t>(stored) * stride;
        std::uint8_t* row = bitmap->Row(y);
        for (int x = 0; x < layout.width; ++x) {
            if (monochrome) {
                SetBit(row, x, NearerWhite(ColourOf(layout, source, x)));
            } else if (outBits == 1) {
                SetBit(row, x, ReadIndex(source, x, 1) != 0);
            } else if (outBits == 8) {
                row[x] = static_cast<std::uint8_t>(ReadIndex(source, x, layout.bitsPerPixel));
            } else {
                DWORD value = ReadDeep(layout, source, x);
                std::memcpy(row + 4 * x, &value, 4);
            }
        }
    }
    return bitmap;
}

bool PixelsFit(const ByteView& file, std::size_t offset, const DibLayout& layout, int strideBytes) {
    return file.Has(
        offset, static_cast<std::size_t>(strideBytes) * static_cast<std::size_t>(layout.height));
}

HANDLE LoadBitmapFile(const ByteView& file, UINT flags) {
    // BITMAPFILEHEADER: "BM", file size, two reserved words, offset of the pixels.
    if (!file.Has(0, 14) || file.At(0)[0] != 'B' || file.At(0)[1] != 'M') {
        return nullptr;
    }
    DibLayout layout;
    if (!ParseDibHeader(file, 14, false, layout)) {
        return nullptr;
    }
    std::size_t pixels = file.U32(10);
    if (pixels < 14 + 40 || !PixelsFit(file, pixels, layout, layout.StrideBytes())) {
        return nullptr;
    }
    std::unique_ptr<Bitmap> bitmap = DecodePixels(
        layout, file.At(pixels), (flags & LR_MONOCHROME) != 0, (flags & LR_CREATEDIBSECTION) != 0);
    return bitmap != nullptr ? RegisterObject(std::move(bitmap)) : nullptr;
}

struct IconEntry {
    int width, height, bits;
    std::size_t offset;
};

bool ReadIconEntries(const ByteView& file, std::vector<IconEntry>& entries) {
    // ICONDIR: reserved 0, type 1 (icon), count; then 16-byte entries.
    if (!file.Has(0, 6) || file.U16(0) != 0 || file.U16(2) != 1) {
        return false;
    }
    int count = file.U16(4);
    for (int i = 0; i < count; ++i) {
        std::size_t at = 6 + static_cast<std::size_t>(i) * 16;
        if (!file.Has(at, 16)) {
            return false;
        }
        const std::uint8_t* e = file.At(at);
        std::size_t offset = file.U32(at + 12);
        // The depth is the image's own; the directory's copy is often 0.
        int bits = file.Has(offset, 16) ? file.U16(offset + 14) : 0;
        entries.push_back(IconEntry{e[0] == 0 ? 256 : e[0], e[1] == 0 ? 256 : e[1], bits, offset});
    }
    return !entries.empty();
}

const IconEntry& ChooseEntry(const std::vector<IconEntry>& entries, int cx, int cy, UINT flags) {
    int wantX = cx > 0 ? cx : (flags & LR_DEFAULTSIZE) ? 32 : entries[0].width;
    int wantY = cy > 0 ? cy : (flags & LR_DEFAULTSIZE) ? 32 : entries[0].height;
    const IconEntry* best = &entries[0];
    long bestScore = LONG_MAX;
    for (const IconEntry& entry : entries) {
        long score = std::labs(static_cast<long>(entry.width) - wantX) +
                     std::labs(static_cast<long>(entry.height) - wantY);
        if (score < bestScore || (score == bestScore && entry.bits > best->bits)) {
            best = &entry;
            bestScore = score;
        }
    }
    return *best;
}

HANDLE LoadIconFile(const ByteView& file, int cx, int cy, UINT flags) {
    std::vector<IconEntry> entries;
    if (!ReadIconEntries(file, entries)) {
        return nullptr;
    }
    const IconEntry& entry = ChooseEntry(entries, cx, cy, flags);
    DibLayout layout;
    if (!ParseDibHeader(file, entry.offset, true, layout)) {
        return nullptr;  // also an image stored as PNG
    }
    // The picture's rows come first, then the 1-bit AND mask, both bottom-up.
    DibLayout maskLayout;
    maskLayout.width = layout.width;
    maskLayout.height = layout.height;
    maskLayout.bitsPerPixel = 1;
    maskLayout.colours = {RGBQUAD{0, 0, 0, 0}, RGBQUAD{255, 255, 255, 0}};
    std::size_t pictureBytes =
        static_cast<std::size_t>(layout.StrideBytes()) * static_cast<std::size_t>(layout.height);
    std::size_t maskAt = layout.headerEnd + pictureBytes;
    if (!PixelsFit(file, layout.headerEnd, layout, layout.StrideBytes()) ||
        !PixelsFit(file, maskAt, maskLayout, maskLayout.StrideBytes())) {
        return nullptr;
    }
    bool monochrome = (flags & LR_MONOCHROME) != 0;
    std::unique_ptr<Bitmap> picture =
        DecodePixels(layout, file.At(layout.headerEnd), monochrome, false);
    std::unique_ptr<Bitmap> mask = DecodePixels(maskLayout, file.At(maskAt), false, false);
    if (picture == nullptr || mask == nullptr) {
        return nullptr;
    }
    auto pictureHandle = static_cast<HBITMAP>(RegisterObject(std::move(picture)));
    auto maskHandle = static_cast<HBITMAP>(RegisterObject(std::move(mask)));
    ICONINFO info{TRUE, 0, 0, maskHandle, pictureHandle};
    HICON icon =
        pictureHandle != nullptr && maskHandle != nullptr ? CreateIconIndirect(&info) : nullptr;
    DeleteObject(pictureHandle);
    DeleteObject(maskHandle);
    return icon;
}

}  // namespace

}  // namespace vareko::gdi

HANDLE LoadImageW(HINSTANCE /*instance*/, LPCWSTR name, UINT type, int cx, int cy, UINT flags) {
    using namespace vareko::gdi;
    if (name == nullptr || (flags & LR_LOADFROMFILE) == 0 ||
        (type != IMAGE_BITMAP && type != IMAGE_ICON)) {
        return nullptr;
    }
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(PathFromWide(name), bytes)) {
        return nullptr;
    }
    ByteView file(bytes);
    return type == IMAGE_BITMAP ? LoadBitmapFile(file, flags) : LoadIconFile(file, cx, cy, flags);
}
