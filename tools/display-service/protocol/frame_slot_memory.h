// The memory behind the frame slot (frame_slot.h) and the descriptor that
// wakes the service, on Linux. The library creates a memory file of exactly
// kFrameSlotBytes, seals it against shrinking and growing (so that a mapping
// of it can never fault) and an eventfd; it hands both to the service over
// the Unix socket. The service adopts them only after checking the file's
// kind, size and seals, and maps it for reading and for storing its own three
// words (frame_slot.h). Linux only (memfd, eventfd).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "tools/display-service/protocol/frame_slot.h"

namespace vareko::displayservice {

class FrameSlotMemory {
public:
    ~FrameSlotMemory();
    FrameSlotMemory(const FrameSlotMemory&) = delete;
    FrameSlotMemory& operator=(const FrameSlotMemory&) = delete;

    // The library's side: a new sealed memory file mapped for writing and a
    // non-blocking eventfd. `memoryFd` receives the file's descriptor, which
    // the caller sends and then closes; the mapping stays. Null on failure.
    static std::unique_ptr<FrameSlotMemory> Create(int& memoryFd);
    // The service's side: takes both descriptors (closing the memory file's
    // once it is mapped, and both on failure). Null, with the reason, when
    // the memory file is not a sealed memory file of the slot's size.
    static std::unique_ptr<FrameSlotMemory> Adopt(int memoryFd, int wakeFd, std::string& why);

    std::uint8_t* Slot() const { return slot_; }
    int WakeFd() const { return wakeFd_; }
    // Adds one to the eventfd without ever waiting; false once it cannot
    // take more (the service has not looked at it for 2^64 - 2 wake-ups).
    bool Wake() const;
    // The service's side: one more message is on the socket for the library.
    // The count is kept here, never read back from the shared page.
    void CountMessage() { PublishMessageCount(slot_, ++messagesSent_); }
    // The service's side: it has looked at the slot once more.
    void CountLook() { PublishLookCount(slot_, ++looks_); }

private:
    FrameSlotMemory(std::uint8_t* slot, int wakeFd) : slot_(slot), wakeFd_(wakeFd) {}

    std::uint8_t* slot_;
    int wakeFd_;
    std::uint32_t messagesSent_ = 0;
    std::uint32_t looks_ = 0;
};

}  // namespace vareko::displayservice
