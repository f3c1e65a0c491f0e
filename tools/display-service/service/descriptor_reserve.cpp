// Descriptor limit and the service's reserve of spare descriptors.
#include "tools/display-service/service/descriptor_reserve.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vareko::displayservice {
namespace {

int OpenSpare() { return open("/dev/null", O_RDONLY | O_CLOEXEC); }

}  // namespace

long RaiseDescriptorLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return -1;
    if (limit.rlim_cur < limit.rlim_max) {
        rlimit raised = limit;
        raised.rlim_cur = limit.rlim_max;
        if (setrlimit(RLIMIT_NOFILE, &raised) == 0) limit = raised;
    }
    return limit.rlim_cur == RLIM_INFINITY ? -1 : static_cast<long>(limit.rlim_cur);
}

bool IsOutOfDescriptors(int error) { return error == EMFILE || error == ENFILE; }

DescriptorReserve::DescriptorReserve() : shedFd_(OpenSpare()) {
    spares_.reserve(kUnixSpareDescriptors);
    Refill();
}

DescriptorReserve::~DescriptorReserve() {
    for (const int fd : spares_) close(fd);
    if (shedFd_ >= 0) close(shedFd_);
}

bool DescriptorReserve::ReleaseSpare() {
    if (spares_.empty()) return false;
    close(spares_.back());
    spares_.pop_back();
    return true;
}

void DescriptorReserve::Refill() {
    if (shedFd_ < 0) shedFd_ = OpenSpare();
    while (spares_.size() < kUnixSpareDescriptors) {
        const int fd = OpenSpare();
        if (fd < 0) return;
        spares_.push_back(fd);
    }
}

bool DescriptorReserve::Shed(int listenFd) {
    if (shedFd_ < 0) return false;
    close(shedFd_);
    const int fd = accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd >= 0) close(fd);
    shedFd_ = OpenSpare();
    return fd >= 0;
}

}  // namespace vareko::displayservice
