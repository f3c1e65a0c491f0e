// memfd_create, seals and mmap for the frame slot; the checks the service
// makes before it maps a descriptor that a client sent.
#include "tools/display-service/protocol/frame_slot_memory.h"

#include <fcntl.h>
#include <sys/eventfd.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>


namespace vareko::displayservice {
namespace {

constexpr int kRequiredSeals = F_SEAL_SHRINK | F_SEAL_GROW;

std::uint8_t* Map(int fd, int protection) {
    void* base = mmap(nullptr, kFrameSlotBytes, protection, MAP_SHARED, fd, 0);
    return base == MAP_FAILED ? nullptr : static_cast<std::uint8_t*>(base);
}

// Empty when `fd` is a memory file of the slot's size that can neither
// shrink nor grow; else the reason.
std::string CheckMemoryFile(int fd) {
    struct stat info{};
    if (fstat(fd, &info) != 0) return std::string("fstat: ") + std::strerror(errno);
    if (!S_ISREG(info.st_mode)) return "not a memory file";
    if (info.st_size != static_cast<off_t>(kFrameSlotBytes)) {
        return "size " + std::to_string(info.st_size) + ", not " + std::to_string(kFrameSlotBytes);
    }
    const int seals = fcntl(fd, F_GET_SEALS);
    if (seals < 0) return "not a sealable memory file";
    if ((seals & kRequiredSeals) != kRequiredSeals) return "not sealed against shrinking and growing";
    return {};
}

}  // namespace

FrameSlotMemory::~FrameSlotMemory() {
    munmap(slot_, kFrameSlotBytes);
    close(wakeFd_);
}

std::unique_ptr<FrameSlotMemory> FrameSlotMemory::Create(int& memoryFd) {
    memoryFd = memfd_create("vareko-frame-slot", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (memoryFd < 0) return nullptr;
    std::uint8_t* slot = nullptr;
    const bool ready = ftruncate(memoryFd, static_cast<off_t>(kFrameSlotBytes)) == 0 &&
                       fcntl(memoryFd, F_ADD_SEALS, kRequiredSeals | F_SEAL_SEAL) == 0 &&
                       (slot = Map(memoryFd, PROT_READ | PROT_WRITE)) != nullptr;
    const int wakeFd = ready ? eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC) : -1;
    if (wakeFd < 0) {
        if (slot != nullptr) munmap(slot, kFrameSlotBytes);
        close(memoryFd);
        memoryFd = -1;
        return nullptr;
    }
    return std::unique_ptr<FrameSlotMemory>(new FrameSlotMemory(slot, wakeFd));
}

std::unique_ptr<FrameSlotMemory> FrameSlotMemory::Adopt(int memoryFd, int wakeFd, std::string& why) {
    why = CheckMemoryFile(memoryFd);
    // Writable for the service's own words; the seals keep every access
    // inside the file. A file sealed against writing cannot be mapped so and
    // is refused here.
    std::uint8_t* slot = why.empty() ? Map(memoryFd, PROT_READ | PROT_WRITE) : nullptr;
    if (why.empty() && slot == nullptr) why = std::string("mmap: ") + std::strerror(errno);
    close(memoryFd);
    if (slot == nullptr) {
        close(wakeFd);
        return nullptr;
    }
    return std::unique_ptr<FrameSlotMemory>(new FrameSlotMemory(slot, wakeFd));
}

bool FrameSlotMemory::Wake() const {
    const std::uint64_t one = 1;
    for (;;) {
        if (write(wakeFd_, &one, sizeof one) == static_cast<ssize_t>(sizeof one)) return true;
        if (errno != EINTR) return false;
    }
}

}  // namespace vareko::displayservice
