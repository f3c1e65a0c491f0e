// The service loop's socket calls and scheduling on POSIX (Linux).
#include "tools/display-service/service/service_calls.h"

#include <cerrno>
#include <netinet/in.h>
#include <pthread.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

#include "tools/display-service/service/descriptor_reserve.h"

namespace vareko::displayservice {
namespace {

SocketResult Outcome(ssize_t n, bool receiving) {
    if (n > 0 || (n == 0 && !receiving)) return {SocketStatus::kDone, static_cast<std::size_t>(n)};
    if (n == 0) return {SocketStatus::kGone, 0};
    if (errno == EINTR) return {SocketStatus::kInterrupted, 0};
    // A packet socket whose peer has no room left says ENOBUFS.
    if (errno == EAGAIN || errno == EWOULDBLOCK || (!receiving && errno == ENOBUFS)) {
        return {SocketStatus::kWouldBlock, 0};
    }
    return {SocketStatus::kGone, 0};
}

}  // namespace

SocketResult SendSome(int fd, std::span<const std::uint8_t> bytes) {
    return Outcome(send(fd, bytes.data(), bytes.size(), MSG_DONTWAIT | MSG_NOSIGNAL), false);
}

SocketResult ReceiveSome(int fd, std::span<std::uint8_t> into) {
    return Outcome(recv(fd, into.data(), into.size(), MSG_DONTWAIT), true);
}

AcceptStatus AcceptConnection(int listenFd, int& fd, int* peerPort) {
    sockaddr_in peer{};
    socklen_t size = sizeof peer;
    fd = accept4(listenFd, peerPort != nullptr ? reinterpret_cast<sockaddr*>(&peer) : nullptr,
                 peerPort != nullptr ? &size : nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd >= 0) {
        if (peerPort != nullptr) *peerPort = ntohs(peer.sin_port);
        return AcceptStatus::kAccepted;
    }
    if (errno == EINTR || errno == ECONNABORTED) return AcceptStatus::kRetry;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return AcceptStatus::kNoneWaiting;
    return IsOutOfDescriptors(errno) ? AcceptStatus::kNoDescriptors : AcceptStatus::kFailed;
}

void CloseDescriptor(int fd) { close(fd); }

void BecomeBatchTask() {
    const sched_param unused{};
    pthread_setschedparam(pthread_self(), SCHED_BATCH, &unused);
}

}  // namespace vareko::displayservice
