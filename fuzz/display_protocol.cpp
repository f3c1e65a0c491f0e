// Fuzz target for the display-service message decoder and the frame slot
// reader: any byte string is decoded in both directions, and whatever decodes
// must encode back to the same bytes; the same bytes (zero-padded) are then
// the contents of a frame slot a client shares, and a frame taken from it
// must be exactly what the slot holds; the words the service stores there
// and the library's wake request, whatever they held, leave the frame as
// it was.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "tools/display-service/protocol/frame_slot.h"
#include "tools/display-service/protocol/message_codec.h"

namespace {

using namespace vareko::displayservice;

void CheckSlotRead(const std::uint8_t* data, std::size_t size) {
    alignas(4) static std::uint8_t slot[kFrameSlotBytes];
    std::memset(slot, 0, sizeof slot);
    std::memcpy(slot, data, std::min(size, sizeof slot));
    // Bytes behind the slot, if any, name the sequence read before.
    std::uint32_t last = 0;
    if (size >= sizeof slot + sizeof last) std::memcpy(&last, data + sizeof slot, sizeof last);
    static SlotFrame frame;
    const SlotRead result = ReadFrameSlot(slot, last, frame);
    std::uint32_t sequence = 0;
    std::uint32_t priority = 0;
    std::uint32_t format = 0;
    std::memcpy(&sequence, slot, 4);
    std::memcpy(&priority, slot + 4, 4);
    std::memcpy(&format, slot + 8, 4);
    const bool fresh = sequence != last && sequence != 0;
    const bool whole = fresh && sequence % 2 == 0;
    switch (result) {
        case SlotRead::kUnchanged: if (fresh) std::abort(); break;
        case SlotRead::kTorn: if (!fresh || whole) std::abort(); break;
        case SlotRead::kBadFormat: if (!whole || format == vareko::kDeviceBitmapFormat) std::abort(); break;
        case SlotRead::kFrame:
            if (!whole || format != vareko::kDeviceBitmapFormat || frame.sequence != sequence ||
                frame.priority != priority || std::memcmp(frame.pixels.data(), slot + 12, frame.pixels.size()) != 0) {
                std::abort();
            }
            break;
    }
    // The service announces and counts; the library takes the request back.
    const bool requested = std::any_of(slot + kFrameSlotWakeOffset, slot + kFrameSlotWakeOffset + 4,
                                       [](std::uint8_t b) { return b != 0; });
    if (TakeWakeRequest(slot) != requested || TakeWakeRequest(slot)) std::abort();
    AnnounceWaitForWake(slot);
    PublishMessageCount(slot, sequence);
    PublishLookCount(slot, ~sequence);
    if (!TakeWakeRequest(slot) || ReadMessageCount(slot) != sequence || ReadLookCount(slot) != ~sequence) {
        std::abort();
    }
    if (ReadFrameSlot(slot, last, frame) != result) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    ClientMessage client;
    if (DecodeClientMessage(bytes, client) == DecodeStatus::kOk) {
        const auto again = EncodeClientMessage(client);
        if (again.size() != size || !std::equal(again.begin(), again.end(), data)) std::abort();
    }
    ServiceMessage service;
    if (DecodeServiceMessage(bytes, service) == DecodeStatus::kOk) {
        const auto again = EncodeServiceMessage(service);
        if (again.size() != size || !std::equal(again.begin(), again.end(), data)) std::abort();
    }
    CheckSlotRead(data, size);
    return 0;
}
