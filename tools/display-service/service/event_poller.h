// What the service loop waits on: its sockets becoming readable or writable,
// and a wake-up that any thread (or a signal handler) may trigger. One file
// per platform implements it: epoll with an eventfd on Linux, WSAPoll with a
// loopback datagram socket on Windows. Sockets are ints on both: a Winsock
// SOCKET is a kernel handle, and only its low 32 bits are significant.
#pragma once

#include <ctime>
#include <span>
#include <string>
#include <vector>

namespace vareko::displayservice {

struct PollEvent {
    int fd = -1;
    bool readable = false;  // input, the end of the stream or an error
    bool writable = false;
};

class EventPoller {
public:
    EventPoller();
    ~EventPoller();
    EventPoller(const EventPoller&) = delete;
    EventPoller& operator=(const EventPoller&) = delete;

    // Empty string, or why the poller could not be set up.
    const std::string& Failure() const { return failure_; }

    // Watches `fd` for input; false when it cannot be watched.
    bool Watch(int fd);
    // Watches `fd` for input, edge-triggered: each write to it by its owner is
    // one event and the loop never reads it (Linux: a frame slot's eventfd).
    // False where that is not possible, with errno set.
    bool WatchEdges(int fd);
    // Adds or removes interest in `fd` becoming writable.
    void WantWrite(int fd, bool want);
    void Forget(int fd);

    // Waits up to `timeout` (Windows: in whole milliseconds, rounded up) and
    // fills `events`; the count, or -1 when waiting failed for good. `woken`
    // tells whether Wake was called.
    int Wait(std::span<PollEvent> events, const timespec& timeout, bool& woken);
    // Ends the current or next Wait early; safe from any thread and from a
    // signal handler.
    void Wake();

private:
    std::string failure_;
    int pollFd_ = -1;  // Linux: the epoll descriptor
    int wakeFd_ = -1;  // Linux: an eventfd; Windows: a datagram socket sending to itself
    struct Watched {
        int fd;
        bool write;
    };
    std::vector<Watched> watched_;  // Windows: what each WSAPoll call is given
};

}  // namespace vareko::displayservice
