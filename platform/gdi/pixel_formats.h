// Per-format pixel access for the raster routines: 1-bit (most significant
// bit leftmost), 8-bit indexed and 32-bit xRGB. Every routine that touches
// pixels is a template over one of these traits, chosen once per primitive by
// WithFormat, so the inner loops make no indirect calls. A pixel value is the
// raw value stored in the bitmap (index or 0x00RRGGBB); raster operations
// are applied to it as dst = (dst & andMask) ^ xorMask.
#pragma once

#include <cassert>
#include <cstdint>
#include <cstring>

#include "platform/win32/types.h"

namespace vareko::gdi {

enum class PixelFormat { Mono1, Index8, Rgb32 };

struct Mono1 {
    static constexpr int kBits = 1;
    static constexpr DWORD kMask = 0x1;

    static DWORD Get(const std::uint8_t* row, int x) {
        return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    }

    static void Apply(std::uint8_t* row, int x, DWORD andMask, DWORD xorMask) {
        auto bit = static_cast<std::uint8_t>(0x80u >> (x & 7));
        std::uint8_t& byte = row[x >> 3];
        // Spread bit 0 of each mask over the whole byte, then keep only our bit.
        std::uint8_t a = (andMask & 1u) ? 0xFF : 0x00;
        std::uint8_t o = (xorMask & 1u) ? 0xFF : 0x00;
        byte = static_cast<std::uint8_t>((byte & (a | ~bit)) ^ (o & bit));
    }

    static void ApplySpan(std::uint8_t* row, int x0, int x1, DWORD andMask, DWORD xorMask) {
        assert(x0 < x1);
        std::uint8_t a = (andMask & 1u) ? 0xFF : 0x00;
        std::uint8_t o = (xorMask & 1u) ? 0xFF : 0x00;
        int first = x0 >> 3;
        int last = (x1 - 1) >> 3;
        // Bits of the first and last byte that lie inside [x0, x1).
        auto headBits = static_cast<std::uint8_t>(0xFFu >> (x0 & 7));
        auto tailBits = static_cast<std::uint8_t>(0xFFu << (7 - ((x1 - 1) & 7)));
        if (first == last) {
            auto bits = static_cast<std::uint8_t>(headBits & tailBits);
            row[first] = static_cast<std::uint8_t>((row[first] & (a | ~bits)) ^ (o & bits));
            return;
        }
        row[first] = static_cast<std::uint8_t>((row[first] & (a | ~headBits)) ^ (o & headBits));
        for (int i = first + 1; i < last; ++i) {
            row[i] = static_cast<std::uint8_t>((row[i] & a) ^ o);
        }
        row[last] = static_cast<std::uint8_t>((row[last] & (a | ~tailBits)) ^ (o & tailBits));
    }
};

struct Index8 {
    static constexpr int kBits = 8;
    static constexpr DWORD kMask = 0xFF;

    static DWORD Get(const std::uint8_t* row, int x) { return row[x]; }

    static void Apply(std::uint8_t* row, int x, DWORD andMask, DWORD xorMask) {
        row[x] = static_cast<std::uint8_t>((row[x] & andMask) ^ xorMask);
    }

    static void ApplySpan(std::uint8_t* row, int x0, int x1, DWORD andMask, DWORD xorMask) {
        assert(x0 < x1);
        if ((andMask & kMask) == 0) {
            std::memset(row + x0, static_cast<int>(xorMask & kMask), static_cast<std::size_t>(x1 - x0));
            return;
        }
        for (int x = x0; x < x1; ++x) {
            Apply(row, x, andMask, xorMask);
        }
    }
};

struct Rgb32 {
    static constexpr int kBits = 32;
    static constexpr DWORD kMask = 0x00FFFFFF;  // the fourth byte stays reserved

    static DWORD Get(const std::uint8_t* row, int x) {
        DWORD value;
        std::memcpy(&value, row + 4 * x, 4);
        return value & kMask;
    }

    // The reserved byte is left as it is.
    static void Apply(std::uint8_t* row, int x, DWORD andMask, DWORD xorMask) {
        DWORD stored;
        std::memcpy(&stored, row + 4 * x, 4);
        DWORD value = (stored & ~kMask) | (((stored & andMask) ^ xorMask) & kMask);
        std::memcpy(row + 4 * x, &value, 4);
    }

    static void ApplySpan(std::uint8_t* row, int x0, int x1, DWORD andMask, DWORD xorMask) {
        assert(x0 < x1);
        for (int x = x0; x < x1; ++x) {
            Apply(row, x, andMask, xorMask);
        }
    }
};

// Calls fn with a value of the traits type for format.
template <class Fn>
decltype(auto) WithFormat(PixelFormat format, Fn&& fn) {
    switch (format) {
        case PixelFormat::Mono1:
            return fn(Mono1{});
        case PixelFormat::Index8:
            return fn(Index8{});
        case PixelFormat::Rgb32:
            break;
    }
    return fn(Rgb32{});
}

}  // namespace vareko::gdi
