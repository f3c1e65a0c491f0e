// Writes a house font as a version 2.0 raster font file image.
//
// Layout (all numbers little-endian; offsets from the start of the image):
//   0   WORD  version 0x0200        2   DWORD size of the image
//   6   60 bytes copyright, NUL-padded
//   66  WORD  type 0 (raster)       68  WORD  nominal points
//   70  WORD  vertical dpi          72  WORD  horizontal dpi
//   74  WORD  ascent (tmAscent)     76  WORD  internal leading
//   78  WORD  external leading      80  BYTE  italic, underline, strike-out
//   83  WORD  weight                85  BYTE  character set
//   86  WORD  pixel width (0: proportional)   88  WORD  pixel height (cell)
//   90  BYTE  pitch and family      91  WORD  average width   93  WORD  maximum width
//   95  BYTE  first, last, default and break character (the last two relative to the first)
//   99  WORD  width bytes           101 DWORD device name offset (0: none)
//   105 DWORD face name offset      109 DWORD bits pointer (0 in a file)
//   113 DWORD bits offset           117 BYTE  reserved
//   118 char table: for each code first..last and one blank after them,
//       WORD advance width and WORD offset of the glyph bitmap
// then the NUL-terminated face name and the glyph bitmaps. A bitmap is stored
// in columns of 8 pixels: all rows of the leftmost 8 columns top to bottom,
// then the next 8, leftmost pixel in the most significant bit. Our glyphs are
// full cells with no bearings, so the advance is the bitmap width.
#include "platform/windows_only/raster_font_image.h"

#include <array>
#include <cstring>
#include <limits>
#include <map>

namespace vareko::platform {
namespace {

constexpr WORD kVersion = 0x0200;
constexpr WORD kDpi = 96;
constexpr BYTE kAnsiCharset = 0;
constexpr BYTE kSwissVariablePitch = 0x20 | 0x01;  // FF_SWISS, low bit: proportional
constexpr int kDefaultChar = 0x7F;  // absent from the house fonts: their missing glyph
constexpr int kBreakChar = 0x20;
constexpr std::size_t kCopyrightBytes = 60;
constexpr char kCopyright[] = "Copyright 1984-1989, 1994 Adobe Systems Incorporated.";
static_assert(sizeof(kCopyright) <= kCopyrightBytes);
constexpr std::size_t kCharEntryBytes = 4;
constexpr std::size_t kCharEntries = kRasterFontLastChar - kRasterFontFirstChar + 2;

class Writer {
public:
    explicit Writer(std::vector<BYTE>& out) : out_(out) {}
    void Byte(std::size_t at, int value) { out_[at] = static_cast<BYTE>(value); }
    void Word(std::size_t at, unsigned value) {
        Byte(at, static_cast<int>(value & 0xFF));
        Byte(at + 1, static_cast<int>((value >> 8) & 0xFF));
    }
    void Dword(std::size_t at, std::size_t value) {
        Word(at, static_cast<unsigned>(value & 0xFFFF));
        Word(at + 2, static_cast<unsigned>((value >> 16) & 0xFFFF));
    }

private:
    std::vector<BYTE>& out_;
};

// The glyph's rows (row-major, as the house tables keep them) re-cut into
// columns of 8 pixels; the bit order within a byte is the same.
void AppendColumns(const text::HouseFont& font, const text::HouseGlyph& glyph, std::vector<BYTE>& out) {
    const int stride = text::HouseFont::StrideBytes(glyph.width);
    for (int column = 0; column < stride; ++column) {
        for (int row = 0; row < font.height; ++row) {
            out.push_back(font.bits[glyph.bitsOffset + static_cast<std::size_t>(row * stride + column)]);
        }
    }
}

int NominalPoints(LONG emHeight) { return static_cast<int>((emHeight * 72 + 48) / 96); }

}  // namespace

std::vector<BYTE> BuildRasterFontImage(const text::HouseFont& font) {
    // Every code's glyph; codes that share a bitmap (the missing glyph) share its bytes.
    std::array<const text::HouseGlyph*, kCharEntries> glyphs{};
    for (int code = kRasterFontFirstChar; code <= kRasterFontLastChar; ++code) {
        glyphs[code - kRasterFontFirstChar] = &text::FindHouseGlyph(font, static_cast<WCHAR>(code));
    }
    glyphs[kCharEntries - 1] = &text::FindHouseGlyph(font, static_cast<WCHAR>(kBreakChar));

    const std::size_t faceOffset = kRasterFontCharTableOffset + kCharEntries * kCharEntryBytes;
    const std::size_t bitsOffset = faceOffset + text::kHouseFaceName.size() + 1;
    std::vector<BYTE> image(bitsOffset, 0);
    std::map<DWORD, std::size_t> placed;  // house bits offset -> image offset
    std::size_t widthBytes = 0;
    for (const text::HouseGlyph* glyph : glyphs) {
        if (placed.emplace(glyph->bitsOffset, image.size()).second) {
            AppendColumns(font, *glyph, image);
            widthBytes += static_cast<std::size_t>(text::HouseFont::StrideBytes(glyph->width));
        }
    }
    if (image.size() > std::numeric_limits<WORD>::max()) return {};

    Writer w(image);
    w.Word(0, kVersion);
    w.Dword(2, image.size());
    std::memcpy(image.data() + 6, kCopyright, sizeof(kCopyright));
    w.Word(66, 0);
    w.Word(68, static_cast<unsigned>(NominalPoints(font.emHeight)));
    w.Word(70, kDpi);
    w.Word(72, kDpi);
    w.Word(74, static_cast<unsigned>(font.ascent));
    w.Word(76, static_cast<unsigned>(font.internalLeading));
    w.Word(78, 0);
    w.Word(83, static_cast<unsigned>(font.weight));
    w.Byte(85, kAnsiCharset);
    w.Word(86, 0);
    w.Word(88, static_cast<unsigned>(font.height));
    w.Byte(90, kSwissVariablePitch);
    w.Word(91, static_cast<unsigned>(font.averageWidth));
    w.Word(93, static_cast<unsigned>(font.maximumWidth));
    w.Byte(95, kRasterFontFirstChar);
    w.Byte(96, kRasterFontLastChar);
    w.Byte(97, kDefaultChar - kRasterFontFirstChar);
    w.Byte(98, kBreakChar - kRasterFontFirstChar);
    w.Word(99, static_cast<unsigned>(widthBytes + widthBytes % 2));
    w.Dword(105, faceOffset);
    w.Dword(113, bitsOffset);
    for (std::size_t i = 0; i < kCharEntries; ++i) {
        const std::size_t at = kRasterFontCharTableOffset + i * kCharEntryBytes;
        w.Word(at, glyphs[i]->width);
        w.Word(at + 2, static_cast<unsigned>(placed.at(glyphs[i]->bitsOffset)));
    }
    for (std::size_t i = 0; i < text::kHouseFaceName.size(); ++i) {
        // The face name is ASCII; the format keeps it as 8-bit characters.
        w.Byte(faceOffset + i, static_cast<int>(text::kHouseFaceName[i]));
    }
    return image;
}

}  // namespace vareko::platform
