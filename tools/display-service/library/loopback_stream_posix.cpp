// LoopbackStream on POSIX sockets (Linux: the TCP transport's tests).
#include "tools/display-service/library/loopback_stream.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include "tools/display-service/protocol/service_socket.h"

namespace vareko::displayservice {
namespace {

int Fd(std::uintptr_t socket) { return static_cast<int>(socket); }

IoResult Outcome(ssize_t n) {
    if (n > 0) return {IoStatus::kDone, static_cast<std::size_t>(n)};
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return {IoStatus::kWouldBlock, 0};
    return {IoStatus::kGone, 0};
}

}  // namespace

std::unique_ptr<LoopbackStream> LoopbackStream::Connect(std::uint16_t port, int timeoutMs) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return nullptr;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int error = 0;
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        error = errno;
        if (error == EINPROGRESS) {
            pollfd p{fd, POLLOUT, 0};
            socklen_t size = sizeof error;
            if (poll(&p, 1, timeoutMs) <= 0 || getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0) {
                error = ETIMEDOUT;
            }
        }
    }
    if (error != 0) {
        close(fd);
        return nullptr;
    }
    SetNoDelay(fd);
    return std::unique_ptr<LoopbackStream>(new LoopbackStream(static_cast<std::uintptr_t>(fd)));
}

LoopbackStream::~LoopbackStream() { close(Fd(socket_)); }

IoResult LoopbackStream::Send(std::span<const std::uint8_t> first, std::span<const std::uint8_t> second) {
    iovec parts[2] = {{const_cast<std::uint8_t*>(first.data()), first.size()},
                      {const_cast<std::uint8_t*>(second.data()), second.size()}};
    msghdr header{};
    header.msg_iov = parts;
    header.msg_iovlen = second.empty() ? 1 : 2;
    for (;;) {
        const ssize_t n = sendmsg(Fd(socket_), &header, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        return Outcome(n);
    }
}

IoResult LoopbackStream::Receive(std::span<std::uint8_t> into) {
    for (;;) {
        const ssize_t n = recv(Fd(socket_), into.data(), into.size(), MSG_DONTWAIT);
        if (n < 0 && errno == EINTR) continue;
        return Outcome(n);
    }
}

bool LoopbackStream::WaitReadable(int timeoutMs) {
    pollfd p{Fd(socket_), POLLIN, 0};
    return poll(&p, 1, timeoutMs) > 0;
}

}  // namespace vareko::displayservice
