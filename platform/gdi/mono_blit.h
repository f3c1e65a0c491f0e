// The row combiners of BitBlt for 1-bit sources: into a 1-bit destination 64
// pixels per step, into an 8-bit destination 8 pixels per step, instead of
// one. Used by blit.cpp for every raster operation from a monochrome bitmap
// into those formats; the 8-bit one also paints glyph masks for fill.cpp.
// Depends only on the ROP masks.
#pragma once

#include <cstdint>

#include "platform/gdi/raster_ops.h"

namespace vareko::gdi {

// Combines destination pixels [x0, x1) of row with source pixels
// [x0 + dx, x1 + dx) of sourceRow as dst = (dst & and) ^ xor, where
// forZero/forOne are the operation's masks for a source pixel of 0 and of 1
// (bit 0 of each is used). Reads no byte of sourceRow outside
// [0, sourceRowBytes); callers clip, so the source span lies inside it. The
// two rows must not be the same memory.
void BlitMonoSpan(std::uint8_t* row, const std::uint8_t* sourceRow, int sourceRowBytes, int x0,
                  int x1, int dx, RopMasks forZero, RopMasks forOne);

// The same into an 8-bit destination: forZero/forOne are the operation's
// masks for the pixel values that a source 0 and a source 1 translate to.
void BlitMonoToIndex8Span(std::uint8_t* row, const std::uint8_t* sourceRow, int sourceRowBytes,
                          int x0, int x1, int dx, RopMasks forZero, RopMasks forOne);

// Stores `pixel` into the 8-bit pixels [x0, x1) of `rows` rows (the first at
// `row`, each next one rowStep bytes on, each rowPixels bytes long) wherever
// mask pixel x + dx of the matching mask row is set; other pixels keep their
// value. Mask rows are maskStride bytes apart and hold maskRowBytes bytes
// that may be read. Callers clip, as for the spans above. Pixels of a row
// outside [x0, x1) may be read and stored back unchanged.
void StoreMaskIntoIndex8(std::uint8_t* row, std::ptrdiff_t rowStep, int rowPixels, int rows,
                         const std::uint8_t* maskRow, int maskStride, int maskRowBytes, int x0,
                         int x1, int dx, std::uint8_t pixel);

}  // namespace vareko::gdi
