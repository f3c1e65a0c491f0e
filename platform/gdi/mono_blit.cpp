// Monochrome rows a machine word at a time. Pixel x of a row is bit 7 - x % 8
// of byte x / 8, so eight bytes read as one big-endian 64-bit word hold 64
// pixels with the leftmost in the top bit; a source span that starts inside
// a byte is brought into line with the destination by one double shift. A
// plain copy between byte-aligned spans moves whole bytes. Into 8 bits, each
// source byte selects, through a table, which of 8 destination bytes take
// the masks for a source 1.
#include "platform/gdi/mono_blit.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstring>

namespace vareko::gdi {
namespace {

constexpr int kWordBits = 64;
constexpr int kWordBytes = 8;

// `count` bytes (1 to 8) as the top bytes of a word, the first byte on top.
std::uint64_t LoadTop(const std::uint8_t* bytes, int count) {
    if (count == kWordBytes) {
        std::uint64_t word;
        std::memcpy(&word, bytes, kWordBytes);
        return std::endian::native == std::endian::little ? __builtin_bswap64(word) : word;
    }
    std::uint64_t word = 0;
    for (int i = 0; i < count; ++i) {
        word |= std::uint64_t{bytes[i]} << (kWordBits - 8 * (i + 1));
    }
    return word;
}

void StoreTop(std::uint8_t* bytes, int count, std::uint64_t word) {
    if (count == kWordBytes) {
        const std::uint64_t stored =
            std::endian::native == std::endian::little ? __builtin_bswap64(word) : word;
        std::memcpy(bytes, &stored, kWordBytes);
        return;
    }
    for (int i = 0; i < count; ++i) {
        bytes[i] = static_cast<std::uint8_t>(word >> (kWordBits - 8 * (i + 1)));
    }
}

// The 64 source pixels from pixel `first` on; bytes outside the row read as
// 0 (only pixels that the caller masks off come from there).
std::uint64_t FetchPixels(const std::uint8_t* row, int rowBytes, int first) {
    const int byte = first >> 3;  // floor, also for a span that starts left of the row
    const int shift = first & 7;
    std::uint64_t word = 0;
    if (byte >= 0 && byte + kWordBytes <= rowBytes) {
        word = LoadTop(row + byte, kWordBytes);
    } else {
        const int from = std::max(0, -byte);
        const int to = std::min(kWordBytes, rowBytes - byte);
        for (int i = from; i < to; ++i) {
            word |= std::uint64_t{row[byte + i]} << (kWordBits - 8 * (i + 1));
        }
    }
    if (shift == 0) {
        return word;
    }
    const std::uint64_t next = byte + kWordBytes < rowBytes ? row[byte + kWordBytes] : 0;
    return (word << shift) | (next >> (8 - shift));
}

// Bit 0 of a mask spread over a whole word.
constexpr std::uint64_t Spread(DWORD mask) { return (mask & 1u) != 0 ? ~std::uint64_t{0} : 0; }

// A plain copy whose source starts on the same bit of a byte as the
// destination: whole bytes are moved, the two edge bytes are merged.
void CopyAlignedSpan(std::uint8_t* row, const std::uint8_t* sourceRow, int x0, int x1, int dx) {
    const int first = x0 / 8;
    const int last = (x1 - 1) / 8;
    const int shift = (x0 + dx) / 8 - first;  // source byte of destination byte i: i + shift
    const auto head = static_cast<std::uint8_t>(0xFFu >> (x0 & 7));
    const auto tail = static_cast<std::uint8_t>(0xFFu << (7 - ((x1 - 1) & 7)));
    auto merge = [&](int i, std::uint8_t keep) {
        row[i] = static_cast<std::uint8_t>((row[i] & ~keep) | (sourceRow[i + shift] & keep));
    };
    if (first == last) {
        merge(first, static_cast<std::uint8_t>(head & tail));
        return;
    }
    merge(first, head);
    std::memmove(row + first + 1, sourceRow + first + 1 + shift,
                 static_cast<std::size_t>(last - first - 1));
    merge(last, tail);
}

// Byte j of kSpreadBits[b] (in memory order) is 0xFF when pixel j of the
// source byte b, bit 7 - j, is set.
struct SpreadTable {
    std::uint64_t words[256];
};

constexpr SpreadTable kSpreadBits = [] {
    SpreadTable table{};
    for (unsigned b = 0; b < 256; ++b) {
        std::uint8_t bytes[kWordBytes] = {};
        for (int j = 0; j < kWordBytes; ++j) {
            bytes[j] = ((b >> (7 - j)) & 1u) != 0 ? 0xFF : 0x00;
        }
        table.words[b] = std::bit_cast<std::uint64_t>(bytes);
    }
    return table;
}();

// The 8 source pixels from pixel `first` on (first >= 0); a byte past the row
// reads as 0.
std::uint8_t FetchEight(const std::uint8_t* row, int rowBytes, int first) {
    const int byte = first >> 3;
    const int shift = first & 7;
    if (shift == 0) {
        return row[byte];
    }
    const unsigned next = byte + 1 < rowBytes ? row[byte + 1] : 0u;
    return static_cast<std::uint8_t>((row[byte] << shift) | (next >> (8 - shift)));
}

// A byte value repeated over a word.
constexpr std::uint64_t Repeat(DWORD value) { return (value & 0xFFu) * 0x0101010101010101ull; }

}  // namespace

void BlitMonoToIndex8Span(std::uint8_t* row, const std::uint8_t* sourceRow, int sourceRowBytes,
                          int x0, int x1, int dx, RopMasks forZero, RopMasks forOne) {
    assert(x0 >= 0 && x0 < x1 && x0 + dx >= 0 && (x1 + dx + 7) / 8 <= sourceRowBytes);
    const std::uint64_t andZero = Repeat(forZero.andMask);
    const std::uint64_t andOne = Repeat(forOne.andMask);
    const std::uint64_t xorZero = Repeat(forZero.xorMask);
    const std::uint64_t xorOne = Repeat(forOne.xorMask);
    int x = x0;
    for (; x + kWordBytes <= x1; x += kWordBytes) {
        const std::uint64_t ones = kSpreadBits.words[FetchEight(sourceRow, sourceRowBytes, x + dx)];
        std::uint64_t pixels;
        std::memcpy(&pixels, row + x, kWordBytes);
        pixels = (pixels & ((ones & andOne) | (~ones & andZero))) ^ ((ones & xorOne) | (~ones & xorZero));
        std::memcpy(row + x, &pixels, kWordBytes);
    }
    for (; x < x1; ++x) {
        const int s = x + dx;
        const RopMasks& masks = ((sourceRow[s >> 3] >> (7 - (s & 7))) & 1u) != 0 ? forOne : forZero;
        row[x] = static_cast<std::uint8_t>((row[x] & masks.andMask) ^ masks.xorMask);
    }
}

void BlitMonoSpan(std::uint8_t* row, const std::uint8_t* sourceRow, int sourceRowBytes, int x0,
                  int x1, int dx, RopMasks forZero, RopMasks forOne) {
    assert(x0 >= 0 && x0 < x1 && x0 + dx >= 0 && (x1 + dx + 7) / 8 <= sourceRowBytes);
    const std::uint64_t andZero = Spread(forZero.andMask);
    const std::uint64_t andOne = Spread(forOne.andMask);
    const std::uint64_t xorZero = Spread(forZero.xorMask);
    const std::uint64_t xorOne = Spread(forOne.xorMask);
    const bool plainCopy = andZero == 0 && andOne == 0 && xorZero == 0 && xorOne != 0;
    if (plainCopy && (dx & 7) == 0) {
        CopyAlignedSpan(row, sourceRow, x0, x1, dx);
        return;
    }
    // Words start on the byte that holds x0; the first and last are masked
    // down to the pixels of the span.
    for (int x = x0 & ~7; x < x1; x += kWordBits) {
        std::uint64_t inside = ~std::uint64_t{0} >> (std::max(x0, x) - x);
        if (x1 - x < kWordBits) {
            inside &= ~(~std::uint64_t{0} >> (x1 - x));
        }
        const int bytes = std::min(kWordBytes, (x1 - x + 7) / 8);
        std::uint8_t* target = row + x / 8;
        const std::uint64_t source = FetchPixels(sourceRow, sourceRowBytes, x + dx);
        const std::uint64_t andMask = (source & andOne) | (~source & andZero);
        const std::uint64_t xorMask = (source & xorOne) | (~source & xorZero);
        const std::uint64_t old = LoadTop(target, bytes);
        StoreTop(target, bytes, (old & ~inside) | (((old & andMask) ^ xorMask) & inside));
    }
}

void StoreMaskIntoIndex8(std::uint8_t* row, std::ptrdiff_t rowStep, int rowPixels, int rows,
                         const std::uint8_t* maskRow, int maskStride, int maskRowBytes, int x0,
                         int x1, int dx, std::uint8_t pixel) {
    assert(x0 >= 0 && x0 < x1 && x1 <= rowPixels && x0 + dx >= 0 &&
           (x1 + dx + 7) / 8 <= maskRowBytes && maskRowBytes <= maskStride);
    const std::uint64_t fill = Repeat(pixel);
    for (int y = 0; y < rows; ++y, row += rowStep, maskRow += maskStride) {
        for (int x = x0; x < x1; x += kWordBytes) {
            // The step's pixels are the top `count` bits; the rest are cut off.
            const int count = std::min(kWordBytes, x1 - x);
            const auto bits = static_cast<std::uint8_t>(FetchEight(maskRow, maskRowBytes, x + dx) &
                                                        (0xFF00u >> count));
            if (bits == 0) {
                continue;
            }
            if (x + kWordBytes <= rowPixels) {
                const std::uint64_t ones = kSpreadBits.words[bits];
                std::uint64_t pixels;
                std::memcpy(&pixels, row + x, kWordBytes);
                pixels = (pixels & ~ones) | (fill & ones);
                std::memcpy(row + x, &pixels, kWordBytes);
                continue;
            }
            for (int j = 0; j < count; ++j) {
                if (((bits >> (7 - j)) & 1u) != 0) {
                    row[x + j] = pixel;
                }
            }
        }
    }
}

}  // namespace vareko::gdi
