// The slot's sequence lock. The writer makes the counter odd, writes, then
// makes it even; the reader copies between two loads of the counter and keeps
// the copy only if both loads saw the same even value. The fences order the
// pixel copies against the counter on both sides. The service's three words
// beside it: the message count, the wake request and the look count.
#include "tools/display-service/protocol/frame_slot.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstdint>
#include <cstring>

namespace vareko::displayservice {
namespace {

static_assert(std::endian::native == std::endian::little, "the slot holds little-endian words in place");

constexpr std::size_t kPriorityOffset = 4;
constexpr std::size_t kBitmapOffset = 8;

// A word of the slot, read and written as one atomic word.
std::atomic_ref<std::uint32_t> Word(const std::uint8_t* slot, std::size_t offset) {
    return std::atomic_ref<std::uint32_t>(*reinterpret_cast<std::uint32_t*>(const_cast<std::uint8_t*>(slot + offset)));
}

std::atomic_ref<std::uint32_t> Sequence(const std::uint8_t* slot) { return Word(slot, 0); }

constexpr std::size_t kLine = 64;

void CopyIfDiffers(std::uint8_t* to, const std::uint8_t* from, std::size_t size) {
    if (std::memcmp(to, from, size) != 0) std::memcpy(to, from, size);
}

// Copies `size` bytes to `to`, storing only the cache lines of `to` whose
// bytes differ. Consecutive frames mostly differ in a few lines, and every
// line stored is a line the reader's processor holds and must give up; a
// line compared is only read. Both sides are asked for up front: after the
// caller has slept they are rarely in this processor's caches, and the
// fetches then overlap instead of each waiting for the one before.
void CopyChangedLines(std::uint8_t* to, const std::uint8_t* from, std::size_t size) {
    for (std::size_t at = 0; at < size; at += kLine) {
        __builtin_prefetch(to + at);
        __builtin_prefetch(from + at);
    }
    const std::size_t head = std::min(size, (kLine - reinterpret_cast<std::uintptr_t>(to) % kLine) % kLine);
    CopyIfDiffers(to, from, head);
    std::size_t at = head;
    for (; at + kLine <= size; at += kLine) CopyIfDiffers(to + at, from + at, kLine);
    CopyIfDiffers(to + at, from + at, size - at);
}

}  // namespace

void WriteFrameSlot(std::uint8_t* slot, std::uint32_t priority, const DeviceBitmap& bitmap) {
    auto sequence = Sequence(slot);
    // Odd while writing; the even value after it is never 0, which means
    // "no frame yet" to the reader.
    std::uint32_t writing = sequence.load(std::memory_order_relaxed) | 1u;
    if (writing == UINT32_MAX) writing = 1;
    sequence.store(writing, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    std::memcpy(slot + kPriorityOffset, &priority, sizeof priority);
    CopyChangedLines(slot + kBitmapOffset, reinterpret_cast<const std::uint8_t*>(&bitmap), sizeof bitmap);
    sequence.store(writing + 1, std::memory_order_release);
}

SlotRead ReadFrameSlot(const std::uint8_t* slot, std::uint32_t lastSequence, SlotFrame& out) {
    auto sequence = Sequence(slot);
    for (int attempt = 0; attempt < kFrameSlotReadTries; ++attempt) {
        const std::uint32_t before = sequence.load(std::memory_order_acquire);
        if (before == lastSequence || before == 0) return SlotRead::kUnchanged;
        if ((before & 1u) != 0) continue;
        std::uint32_t format = 0;
        std::memcpy(&out.priority, slot + kPriorityOffset, sizeof out.priority);
        std::memcpy(&format, slot + kBitmapOffset, sizeof format);
        std::memcpy(out.pixels.data(), slot + kBitmapOffset + sizeof format, out.pixels.size());
        std::atomic_thread_fence(std::memory_order_acquire);
        if (sequence.load(std::memory_order_relaxed) != before) continue;
        out.sequence = before;
        return format == kDeviceBitmapFormat ? SlotRead::kFrame : SlotRead::kBadFormat;
    }
    return SlotRead::kTorn;
}

bool TakeWakeRequest(std::uint8_t* slot) {
    auto wake = Word(slot, kFrameSlotWakeOffset);
    std::atomic_thread_fence(std::memory_order_seq_cst);
    // Only a request costs the exchange; any value but 0 is one.
    return wake.load(std::memory_order_relaxed) != 0 && wake.exchange(0, std::memory_order_relaxed) != 0;
}

void AnnounceWaitForWake(std::uint8_t* slot) { Word(slot, kFrameSlotWakeOffset).store(1, std::memory_order_relaxed); }

void AnnounceLooking(std::uint8_t* slot) { Word(slot, kFrameSlotWakeOffset).store(0, std::memory_order_relaxed); }

void FenceAfterAnnouncing() { std::atomic_thread_fence(std::memory_order_seq_cst); }

void PublishMessageCount(std::uint8_t* slot, std::uint32_t count) {
    Word(slot, kFrameSlotMessagesOffset).store(count, std::memory_order_release);
}

std::uint32_t ReadMessageCount(const std::uint8_t* slot) {
    return Word(slot, kFrameSlotMessagesOffset).load(std::memory_order_acquire);
}

void PublishLookCount(std::uint8_t* slot, std::uint32_t count) {
    Word(slot, kFrameSlotLooksOffset).store(count, std::memory_order_relaxed);
}

std::uint32_t ReadLookCount(const std::uint8_t* slot) {
    return Word(slot, kFrameSlotLooksOffset).load(std::memory_order_relaxed);
}

}  // namespace vareko::displayservice
