// Descriptors the service keeps back so that running out of them never
// locks the owner out or makes the loop spin. At start the soft descriptor
// limit is raised to the hard one. Spare descriptors (on /dev/null) are held
// for the Unix listener alone: when accept() fails for want of descriptors, a
// spare is closed and the owner's program gets its place; TCP and HTTP
// clients can never take them. One more descriptor is held for shedding:
// closed to accept a connection that has no place and close it at once, so
// the kernel's queue drains instead of waking the loop again and again.
// POSIX.
#pragma once

#include <cstddef>
#include <vector>

namespace vareko::displayservice {

constexpr std::size_t kUnixSpareDescriptors = 16;

// Raises the soft RLIMIT_NOFILE to the hard limit; returns the soft limit now
// in force.
long RaiseDescriptorLimit();

// True for the accept() errors that mean "no descriptor left".
bool IsOutOfDescriptors(int error);

class DescriptorReserve {
public:
    DescriptorReserve();
    ~DescriptorReserve();
    DescriptorReserve(const DescriptorReserve&) = delete;
    DescriptorReserve& operator=(const DescriptorReserve&) = delete;

    // Gives one spare back to the process for a Unix client; false when none
    // is left.
    bool ReleaseSpare();
    // Opens spares again up to kUnixSpareDescriptors, as far as descriptors
    // allow.
    void Refill();
    std::size_t Spares() const { return spares_.size(); }

    // Accepts one pending connection on `listenFd` with the shedding
    // descriptor and closes it at once; false when even that failed.
    bool Shed(int listenFd);

private:
    std::vector<int> spares_;
    int shedFd_ = -1;
};

}  // namespace vareko::displayservice
