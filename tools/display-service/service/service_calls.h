// The service loop's socket calls, with each platform's error codes sorted
// into what the loop does about them, and its thread's scheduling. One file
// per platform implements them (POSIX, Winsock). Sockets are ints, as in
// event_poller.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace vareko::displayservice {

enum class SocketStatus {
    kDone,         // `bytes` moved; never 0 for a receive
    kInterrupted,  // try again now
    kWouldBlock,   // nothing now (a full socket buffer included)
    kGone,         // the peer closed or the connection failed
};

struct SocketResult {
    SocketStatus status;
    std::size_t bytes;
};

// One non-blocking send; never raises SIGPIPE.
SocketResult SendSome(int fd, std::span<const std::uint8_t> bytes);
// One non-blocking receive.
SocketResult ReceiveSome(int fd, std::span<std::uint8_t> into);

enum class AcceptStatus {
    kAccepted,
    kRetry,          // interrupted, or the peer gave up before the accept
    kNoneWaiting,
    kNoDescriptors,  // the process or the system has no descriptor left
    kFailed,
};

// Accepts one connection as a non-blocking, non-inherited socket into `fd`;
// `peerPort`, when given, receives a TCP peer's port.
AcceptStatus AcceptConnection(int listenFd, int& fd, int* peerPort = nullptr);
void CloseDescriptor(int fd);

// Makes the calling thread one that a waking sender never waits for: on
// Linux a batch task (SCHED_BATCH); nothing on Windows.
void BecomeBatchTask();

}  // namespace vareko::displayservice
