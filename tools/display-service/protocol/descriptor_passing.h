// Packets with descriptors attached (SCM_RIGHTS) on the Unix packet socket:
// the library sends the frame slot's two descriptors with one packet, the
// service receives every packet with room for exactly those two. A packet
// that carried more loses the rest to the kernel and is reported as
// truncated. Linux only.
#pragma once

#include <sys/types.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace vareko::displayservice {

constexpr std::size_t kMaxPassedDescriptors = 2;

// Descriptors that arrived with one packet; those not taken are closed.
class PassedDescriptors {
public:
    PassedDescriptors() = default;
    ~PassedDescriptors();
    PassedDescriptors(const PassedDescriptors&) = delete;
    PassedDescriptors& operator=(const PassedDescriptors&) = delete;

    std::size_t Count() const { return count_; }
    // Hands descriptor `index` (below Count()) to the caller.
    int Take(std::size_t index);
    // Adds one received descriptor; false (and closed) beyond the room.
    bool Add(int fd);

private:
    std::array<int, kMaxPassedDescriptors> fds_{-1, -1};
    std::size_t count_ = 0;
};

// One non-blocking recvmsg into `buffer`, close-on-exec for what it brings.
// Returns recvmsg's result; `truncated` is set when the packet or its
// descriptors did not fit.
ssize_t ReceivePacket(int fd, std::span<std::uint8_t> buffer, PassedDescriptors& passed, bool& truncated);

// One non-blocking sendmsg of `bytes` with `fds` (1 to kMaxPassedDescriptors)
// attached: the byte count, or -1 with errno.
ssize_t SendPacketWithDescriptors(int fd, std::span<const std::uint8_t> bytes, std::span<const int> fds);

}  // namespace vareko::displayservice
