// The frame slot that the Linux library shares with the service through a
// memory file: one frame behind a sequence counter. The library is its only
// writer; the service reads it whenever the library wakes it and keeps a copy
// only when the counter says the frame is whole. The slot's bytes come from
// another process, so the reader checks what it copies like any frame.
// Layout, little-endian, offsets in bytes:
//    0  u32 sequence: odd while a frame is being written, even once it is
//       whole; 0 before the first frame
//    4  u32 priority
//    8  u32 format (1)
//   12  6,880 pixel bytes (rows top to bottom; 0-128 black, 129-255 white)
// Depends only on the DeviceBitmap layout.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "toolkit/device_bitmap.h"

namespace vareko::displayservice {

constexpr std::size_t kFrameSlotBytes = 8 + sizeof(DeviceBitmap);
// A reader that finds the writer inside a frame this many times in a row
// gives up for now and tries again later.
constexpr int kFrameSlotReadTries = 8;

// Writes one frame into `slot` (kFrameSlotBytes, 4-byte aligned).
void WriteFrameSlot(std::uint8_t* slot, std::uint32_t priority, const DeviceBitmap& bitmap);

enum class SlotRead {
    kFrame,      // a whole new frame was copied
    kUnchanged,  // the sequence is the one read before (or no frame yet)
    kTorn,       // the writer was inside a frame at every try
    kBadFormat,  // a whole frame whose format word is not 1
};

struct SlotFrame {
    std::uint32_t sequence = 0;
    std::uint32_t priority = 0;
    std::array<std::uint8_t, kDevicePixelBytes> pixels{};
};

// Copies the frame in `slot` into `out` when its sequence differs from
// `lastSequence` (the sequence of the frame read before). Never waits.
SlotRead ReadFrameSlot(const std::uint8_t* slot, std::uint32_t lastSequence, SlotFrame& out);

}  // namespace vareko::displayservice
