// The Linux library's transport: the service's Unix SOCK_SEQPACKET socket, so
// every send and receive is one whole message; frames go through a frame
// slot in shared memory once the service has it. Linux only.
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include "tools/display-service/protocol/descriptor_passing.h"
#include "tools/display-service/protocol/frame_slot.h"
#include "tools/display-service/protocol/frame_slot_memory.h"
#include "tools/display-service/library/link_transport.h"
#include "tools/display-service/protocol/service_socket.h"
#include "tools/display-service/protocol/service_trust.h"

namespace vareko::displayservice {
namespace {

// With a frame slot, the socket is drained only when the service's message
// count has moved, or when the service may have ended without closing its
// side in order. The library tells the second from the service's look count
// every kLookCheckEvery: a count that has moved since the check before,
// made no more than two such spans ago, shows the service at work, and only
// a count that stands still (or a check after a longer gap) costs a drain,
// a receive that can take 10 us. So a program that updates more often than
// kLookCheckEvery makes no system call for the drain while the service is
// there, and notices a killed service within two spans (one that restarts
// in less than that costs the program no more than that of frames); one
// that updates less often drains at each update.
constexpr auto kLookCheckEvery = std::chrono::milliseconds(50);

class UnixPacketTransport final : public LinkTransport {
public:
    explicit UnixPacketTransport(int fd) : fd_(fd) {}
    ~UnixPacketTransport() override { close(fd_); }
    UnixPacketTransport(const UnixPacketTransport&) = delete;
    UnixPacketTransport& operator=(const UnixPacketTransport&) = delete;

    Receive ReceiveOne(ServiceMessage& message) override {
        for (;;) {
            iovec part{buffer_.data(), buffer_.size()};
            msghdr header{};
            header.msg_iov = &part;
            header.msg_iovlen = 1;
            const ssize_t n = recvmsg(fd_, &header, MSG_DONTWAIT);
            if (n > 0) {
                if ((header.msg_flags & MSG_TRUNC) != 0) return Receive::kGone;
                const auto status = DecodeServiceMessage({buffer_.data(), static_cast<std::size_t>(n)}, message);
                return status == DecodeStatus::kOk ? Receive::kMessage : Receive::kGone;
            }
            if (n == 0) return Receive::kGone;
            if (errno == EINTR) continue;
            return (errno == EAGAIN || errno == EWOULDBLOCK) ? Receive::kNothing : Receive::kGone;
        }
    }

    bool MayHaveMessages() override {
        if (!slot_) return true;
        // The service counts a message only once it is on the socket, so a
        // count read here means those messages are there to be drained.
        const std::uint32_t count = ReadMessageCount(slot_->Slot());
        const bool serviceAtWork = ServiceSeenAtWork();
        if (count == messagesSeen_ && serviceAtWork) return false;
        messagesSeen_ = count;
        return true;
    }

    bool WaitReadable(int timeoutMs) override {
        pollfd p{fd_, POLLIN, 0};
        return poll(&p, 1, timeoutMs) > 0;
    }

    bool Send(std::span<const std::uint8_t> message) override {
        iovec part{const_cast<std::uint8_t*>(message.data()), message.size()};
        return SendParts(&part, 1);
    }

    bool SendFrame(std::uint32_t priority, const DeviceBitmap& bitmap) override {
        if (slot_) {
            // Memory, and an eventfd write only when the service waits for
            // one: neither can wait for the service. A saturated eventfd
            // still has the frame in the slot.
            WriteFrameSlot(slot_->Slot(), priority, bitmap);
            if (TakeWakeRequest(slot_->Slot())) slot_->Wake();
            return true;
        }
        std::uint8_t prefix[12];
        WriteFramePrefix(prefix, priority);
        iovec parts[2] = {{prefix, sizeof prefix}, {const_cast<DeviceBitmap*>(&bitmap), sizeof bitmap}};
        return SendParts(parts, 2);
    }

    bool OfferFrameSlot() override {
        if (slot_) return true;
        int memoryFd = -1;
        std::unique_ptr<FrameSlotMemory> slot = FrameSlotMemory::Create(memoryFd);
        if (!slot) return true;  // no memory file here: frames stay on the socket
        const auto message = EncodeClientMessage(FrameSlotMessage{});
        const int fds[kMaxPassedDescriptors] = {memoryFd, slot->WakeFd()};
        const ssize_t sent = SendPacketWithDescriptors(fd_, message, fds);
        const int sendError = errno;
        close(memoryFd);  // the service has its own; the mapping stays
        if (sent >= 0) {
            slot_ = std::move(slot);
            return true;
        }
        // A full socket buffer: the slot is offered again at the next Open.
        return sendError == EAGAIN || sendError == EWOULDBLOCK || sendError == ENOBUFS;
    }

private:
    // False when the service has not been seen looking at the slot lately.
    bool ServiceSeenAtWork() {
        const auto now = std::chrono::steady_clock::now();
        const auto sinceCheck = now - lastLookCheck_;
        if (sinceCheck < kLookCheckEvery) return true;
        const std::uint32_t looks = ReadLookCount(slot_->Slot());
        const bool moved = looks != looksSeen_ && sinceCheck < 2 * kLookCheckEvery;
        looksSeen_ = looks;
        lastLookCheck_ = now;
        return moved;
    }

    // One packet from several parts, without copying them together.
    bool SendParts(iovec* parts, std::size_t count) {
        msghdr header{};
        header.msg_iov = parts;
        header.msg_iovlen = count;
        for (;;) {
            if (sendmsg(fd_, &header, MSG_DONTWAIT | MSG_NOSIGNAL) >= 0) return true;
            if (errno == EINTR) continue;
            // A full socket buffer means the service is behind: the message is
            // dropped, which for frames is what the library wants.
            return errno == EAGAIN || errno == EWOULDBLOCK || errno == ENOBUFS;
        }
    }

    // What every frame touches comes first, beside the object's start, so
    // that a frame reads a line or two of this object and not also one
    // 60 KB further on, past the receive buffer.
    int fd_;
    std::uint32_t messagesSeen_ = 0;         // the service's message count at the last drain
    std::uint32_t looksSeen_ = 0;            // its look count at the last check
    std::unique_ptr<FrameSlotMemory> slot_;  // set once the service has it
    std::chrono::steady_clock::time_point lastLookCheck_{};
    // Per link: links opened on different threads never share a buffer.
    std::array<std::uint8_t, kMaxServiceMessageBytes> buffer_{};
};

}  // namespace

std::unique_ptr<LinkTransport> ConnectUnixTransport(link::LinkResult& failure) {
    const ServiceConnection connection = ConnectToOwnService(ResolveSocketPath());
    if (connection.check != ServiceCheck::kOk) {
        failure = IsUntrusted(connection.check) ? link::kLinkDeviceNotConnected : link::kLinkServerUnavailable;
        return nullptr;
    }
    return std::make_unique<UnixPacketTransport>(connection.fd);
}

}  // namespace vareko::displayservice
