// The frame slot that the Linux library shares with the service through a
// memory file: one frame behind a sequence counter, and three words the
// service writes for the library. The library is the frame's only writer; the service
// reads the frame when the library wakes it or when it looks on its own, and
// keeps a copy only when the counter says the frame is whole. The slot's
// bytes come from another process, so the reader checks what it copies like
// any frame, and the service never acts on a word it reads back from its own
// three (it only stores to them).
// Layout, little-endian, offsets in bytes:
//    0  u32 sequence: odd while a frame is being written, even once it is
//       whole; 0 before the first frame
//    4  u32 priority
//    8  u32 format (1)
//   12  6,880 pixel bytes (rows top to bottom; 0-128 black, 129-255 white)
// 6912  u32 messages: how many messages the service has put on the socket
//       for this client (wraps); written by the service
// 6916  u32 wake wanted: 1 while the service waits for the eventfd before
//       it looks at the slot again, 0 while it looks on its own; the service
//       stores it, the library takes it back to 0 when it wakes the service
// 6976  u32 looks: how many times the service has looked at the slot for a
//       frame (wraps); written by the service, on a line of its own because
//       it changes at every look while the library reads it only now and then
// Depends only on the DeviceBitmap layout.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "display/devicelink/device_bitmap.h"

namespace vareko::displayservice {

// The service's words start on their own 64-byte line, away from the pixels.
constexpr std::size_t kFrameSlotMessagesOffset = (8 + sizeof(DeviceBitmap) + 63) / 64 * 64;
constexpr std::size_t kFrameSlotWakeOffset = kFrameSlotMessagesOffset + 4;
constexpr std::size_t kFrameSlotLooksOffset = kFrameSlotMessagesOffset + 64;
constexpr std::size_t kFrameSlotBytes = kFrameSlotLooksOffset + 4;
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

// How a wake-up is never lost. The library publishes a frame (the sequence
// store in WriteFrameSlot), then reads the wake word; the service stores the
// wake word, then reads the sequence before it waits. A sequentially
// consistent fence sits between the store and the load on each side
// (TakeWakeRequest, AnnounceWaitForWake), so the two fences are ordered one
// way or the other: if the library's comes first, the service's later read
// of the sequence sees the new frame and it does not wait; if the service's
// comes first, the library's read of the wake word sees 1 and it writes the
// eventfd. Either way the frame is taken without waiting for the next one.

// The library's side, after WriteFrameSlot: true when the service asked to
// be woken, and takes the request back, so that frames written before the
// service has looked again cost no second wake-up.
bool TakeWakeRequest(std::uint8_t* slot);

// The service's side. Asks to be woken for the next frame; once every slot
// has asked, the caller reads each slot once more before it waits.
void AnnounceWaitForWake(std::uint8_t* slot);
// Needs no wake-up: the service looks at the slot on its own for now.
void AnnounceLooking(std::uint8_t* slot);
// A fence that orders the announcements above before the sequence reads
// that follow them.
void FenceAfterAnnouncing();

// The service publishes how many messages it has put on the socket; the
// library reads the count and drains the socket only when it has changed.
void PublishMessageCount(std::uint8_t* slot, std::uint32_t count);
std::uint32_t ReadMessageCount(const std::uint8_t* slot);

// The service publishes how many times it has looked at the slot; a count
// that moves tells the library that the service is still there without a
// system call.
void PublishLookCount(std::uint8_t* slot, std::uint32_t count);
std::uint32_t ReadLookCount(const std::uint8_t* slot);

}  // namespace vareko::displayservice
