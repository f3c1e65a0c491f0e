// SCM_RIGHTS on both ends, with a control buffer of fixed size.
#include "tools/display-service/protocol/descriptor_passing.h"

#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cassert>
#include <cerrno>
#include <cstring>

namespace vareko::displayservice {
namespace {

constexpr std::size_t kControlBytes = CMSG_SPACE(sizeof(int) * kMaxPassedDescriptors);

}  // namespace

PassedDescriptors::~PassedDescriptors() {
    for (std::size_t i = 0; i < count_; ++i) {
        if (fds_[i] >= 0) close(fds_[i]);
    }
}

int PassedDescriptors::Take(std::size_t index) {
    const int fd = fds_[index];
    fds_[index] = -1;
    return fd;
}

bool PassedDescriptors::Add(int fd) {
    if (count_ == fds_.size()) {
        close(fd);
        return false;
    }
    fds_[count_++] = fd;
    return true;
}

ssize_t ReceivePacket(int fd, std::span<std::uint8_t> buffer, PassedDescriptors& passed, bool& truncated) {
    alignas(cmsghdr) std::uint8_t control[kControlBytes];
    iovec part{buffer.data(), buffer.size()};
    msghdr header{};
    header.msg_iov = &part;
    header.msg_iovlen = 1;
    header.msg_control = control;
    header.msg_controllen = sizeof control;
    const ssize_t n = recvmsg(fd, &header, MSG_DONTWAIT | MSG_CMSG_CLOEXEC);
    truncated = n >= 0 && (header.msg_flags & (MSG_TRUNC | MSG_CTRUNC)) != 0;
    if (n < 0) return n;
    for (cmsghdr* c = CMSG_FIRSTHDR(&header); c != nullptr; c = CMSG_NXTHDR(&header, c)) {
        if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_RIGHTS) continue;
        const std::size_t count = (c->cmsg_len - CMSG_LEN(0)) / sizeof(int);
        for (std::size_t i = 0; i < count; ++i) {
            int received = -1;
            std::memcpy(&received, CMSG_DATA(c) + i * sizeof(int), sizeof received);
            if (!passed.Add(received)) truncated = true;
        }
    }
    return n;
}

ssize_t SendPacketWithDescriptors(int fd, std::span<const std::uint8_t> bytes, std::span<const int> fds) {
    assert(!fds.empty() && fds.size() <= kMaxPassedDescriptors);
    alignas(cmsghdr) std::uint8_t control[kControlBytes] = {};
    iovec part{const_cast<std::uint8_t*>(bytes.data()), bytes.size()};
    msghdr header{};
    header.msg_iov = &part;
    header.msg_iovlen = 1;
    header.msg_control = control;
    header.msg_controllen = CMSG_SPACE(sizeof(int) * fds.size());
    cmsghdr* c = CMSG_FIRSTHDR(&header);
    c->cmsg_level = SOL_SOCKET;
    c->cmsg_type = SCM_RIGHTS;
    c->cmsg_len = CMSG_LEN(sizeof(int) * fds.size());
    std::memcpy(CMSG_DATA(c), fds.data(), sizeof(int) * fds.size());
    for (;;) {
        const ssize_t n = sendmsg(fd, &header, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n >= 0 || errno != EINTR) return n;
    }
}

}  // namespace vareko::displayservice
