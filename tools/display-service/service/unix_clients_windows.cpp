// What the service keeps for clients of its Unix socket (descriptors passed
// with a packet, the shared-memory frame slot, the reserve of spare
// descriptors) on Windows, where it has no Unix socket and so no such
// clients: every call does nothing or reports that it cannot.
#include <cerrno>

#include "tools/display-service/protocol/descriptor_passing.h"
#include "tools/display-service/service/descriptor_reserve.h"
#include "tools/display-service/protocol/frame_slot_memory.h"

namespace vareko::displayservice {

PassedDescriptors::~PassedDescriptors() = default;

int PassedDescriptors::Take(std::size_t) { return -1; }

bool PassedDescriptors::Add(int) { return false; }

ssize_t ReceivePacket(int, std::span<std::uint8_t>, PassedDescriptors&, bool& truncated) {
    truncated = false;
    errno = ENOTSUP;
    return -1;
}

ssize_t SendPacketWithDescriptors(int, std::span<const std::uint8_t>, std::span<const int>) {
    errno = ENOTSUP;
    return -1;
}

FrameSlotMemory::~FrameSlotMemory() = default;

std::unique_ptr<FrameSlotMemory> FrameSlotMemory::Create(int& memoryFd) {
    memoryFd = -1;
    return nullptr;
}

std::unique_ptr<FrameSlotMemory> FrameSlotMemory::Adopt(int, int, std::string& why) {
    why = "Windows has no shared-memory frame slot";
    return nullptr;
}

bool FrameSlotMemory::Wake() const { return false; }

// Winsock sockets are not bounded by a descriptor limit.
long RaiseDescriptorLimit() { return -1; }

bool IsOutOfDescriptors(int error) { return error == EMFILE || error == ENFILE; }

DescriptorReserve::DescriptorReserve() = default;

DescriptorReserve::~DescriptorReserve() = default;

bool DescriptorReserve::ReleaseSpare() { return false; }

void DescriptorReserve::Refill() {}

bool DescriptorReserve::Shed(int) { return false; }

}  // namespace vareko::displayservice
