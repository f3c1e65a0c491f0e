// Ternary raster operations reduced to AND/XOR masks on the destination.
// A ROP3 code's bits 16..23 are the truth table f(P, S, D): bit
// (p << 2 | s << 1 | d) holds the result for pattern bit p, source bit s and
// destination bit d. For fixed P and S, f is linear in D:
//   f(P, S, D) = (D & (f(P,S,0) ^ f(P,S,1))) ^ f(P,S,0),
// so every operation becomes dst = (dst & andMask) ^ xorMask per pixel.
#pragma once

#include "platform/win32/types.h"

namespace vareko::gdi {

struct RopMasks {
    DWORD andMask;
    DWORD xorMask;
};

constexpr BYTE Rop3Index(DWORD rop) { return static_cast<BYTE>((rop >> 16) & 0xFF); }

// f(P, S, D) evaluated bitwise over whole words.
constexpr DWORD EvaluateRop3(BYTE rop3, DWORD p, DWORD s, DWORD d) {
    DWORD result = 0;
    for (int k = 0; k < 8; ++k) {
        if ((rop3 >> k) & 1) {
            result |= ((k & 4) ? p : ~p) & ((k & 2) ? s : ~s) & ((k & 1) ? d : ~d);
        }
    }
    return result;
}

constexpr bool Rop3UsesSource(BYTE rop3) { return ((rop3 >> 2) & 0x33) != (rop3 & 0x33); }
constexpr bool Rop3UsesPattern(BYTE rop3) { return ((rop3 >> 4) & 0x0F) != (rop3 & 0x0F); }

constexpr RopMasks MasksFor(BYTE rop3, DWORD pattern, DWORD source, DWORD pixelMask) {
    DWORD f0 = EvaluateRop3(rop3, pattern, source, 0);
    DWORD f1 = EvaluateRop3(rop3, pattern, source, ~DWORD{0});
    return RopMasks{(f0 ^ f1) & pixelMask, f0 & pixelMask};
}

// The masks as a function of the source for a fixed pattern: precomputed per
// blit so that the per-pixel work is a few bit operations.
//   f(P, S, 0) = (S & set0) | (~S & clear0), and likewise for D = 1.
struct SourceRop {
    DWORD set0, clear0, set1, clear1, pixelMask;

    constexpr SourceRop(BYTE rop3, DWORD pattern, DWORD mask)
        : set0(EvaluateRop3(rop3, pattern, ~DWORD{0}, 0)),
          clear0(EvaluateRop3(rop3, pattern, 0, 0)),
          set1(EvaluateRop3(rop3, pattern, ~DWORD{0}, ~DWORD{0})),
          clear1(EvaluateRop3(rop3, pattern, 0, ~DWORD{0})),
          pixelMask(mask) {}

    constexpr RopMasks For(DWORD source) const {
        DWORD f0 = (source & set0) | (~source & clear0);
        DWORD f1 = (source & set1) | (~source & clear1);
        return RopMasks{(f0 ^ f1) & pixelMask, f0 & pixelMask};
    }
};

constexpr RopMasks kCopyNothing{~DWORD{0}, 0};

}  // namespace vareko::gdi
