// EventPoller on Linux: level-triggered epoll (waits to the nanosecond with
// epoll_pwait2), and an eventfd for Wake.
#include "tools/display-service/service/event_poller.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace vareko::displayservice {
namespace {

constexpr int kMaxEventsPerWait = 64;

}  // namespace

EventPoller::EventPoller()
    : pollFd_(epoll_create1(EPOLL_CLOEXEC)), wakeFd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    if (pollFd_ < 0) {
        failure_ = std::string("epoll: ") + std::strerror(errno);
    } else if (wakeFd_ < 0) {
        failure_ = std::string("eventfd: ") + std::strerror(errno);
    } else {
        Watch(wakeFd_);
    }
}

EventPoller::~EventPoller() {
    if (pollFd_ >= 0) close(pollFd_);
    if (wakeFd_ >= 0) close(wakeFd_);
}

bool EventPoller::Watch(int fd) {
    epoll_event event{EPOLLIN, {.fd = fd}};
    return epoll_ctl(pollFd_, EPOLL_CTL_ADD, fd, &event) == 0;
}

bool EventPoller::WatchEdges(int fd) {
    epoll_event event{EPOLLIN | EPOLLET, {.fd = fd}};
    return epoll_ctl(pollFd_, EPOLL_CTL_ADD, fd, &event) == 0;
}

void EventPoller::WantWrite(int fd, bool want) {
    epoll_event event{want ? (EPOLLIN | EPOLLOUT) : EPOLLIN, {.fd = fd}};
    epoll_ctl(pollFd_, EPOLL_CTL_MOD, fd, &event);
}

void EventPoller::Forget(int fd) { epoll_ctl(pollFd_, EPOLL_CTL_DEL, fd, nullptr); }

int EventPoller::Wait(std::span<PollEvent> events, const timespec& timeout, bool& woken) {
    woken = false;
    epoll_event ready[kMaxEventsPerWait];
    const int room = static_cast<int>(std::min<std::size_t>(events.size(), kMaxEventsPerWait));
    const int n = epoll_pwait2(pollFd_, ready, room, &timeout, nullptr);
    if (n < 0) return errno == EINTR ? 0 : -1;
    int count = 0;
    for (int i = 0; i < n; ++i) {
        if (ready[i].data.fd == wakeFd_) {
            std::uint64_t wakeups;
            [[maybe_unused]] const ssize_t r = read(wakeFd_, &wakeups, sizeof wakeups);
            woken = true;
            continue;
        }
        events[count++] = {ready[i].data.fd, (ready[i].events & (EPOLLIN | EPOLLHUP | EPOLLERR)) != 0,
                           (ready[i].events & EPOLLOUT) != 0};
    }
    return count;
}

void EventPoller::Wake() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = write(wakeFd_, &one, sizeof one);
}

}  // namespace vareko::displayservice
