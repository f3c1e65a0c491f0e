// Wire format of the display-service protocol: message types, fixed sizes and
// the little-endian byte reader and writer every encoder and decoder uses.
// Shared by the service, the device library and the command-line tools; it
// depends only on the standard library and the DeviceBitmap layout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "display/devicelink/device_bitmap.h"

namespace vareko::displayservice {

constexpr std::uint32_t kProtocolMagic = 0x504B4456;  // bytes "VDKP" on the wire
constexpr std::uint16_t kProtocolVersion = 3;

// Every message: u32 payload length, u16 type, u16 reserved (0), payload.
constexpr std::size_t kHeaderBytes = 8;
constexpr std::size_t kMaxNameBytes = 64;
constexpr std::size_t kFramePayloadBytes = 8 + kDevicePixelBytes;  // priority, format, pixels
constexpr std::size_t kMaxClientMessageBytes = kHeaderBytes + kFramePayloadBytes;
constexpr std::size_t kMaxStatusTextBytes = 60000;
constexpr std::size_t kMaxServiceMessageBytes = kHeaderBytes + kMaxStatusTextBytes;
constexpr int kButtonCount = 4;

enum class MessageType : std::uint16_t {
    // client -> service
    kHello = 1,
    kOpen = 2,
    kClose = 3,
    kFrame = 4,
    kSetDeviceFlag = 5,
    kFrameSlot = 6,  // Unix socket only: carries two descriptors
    kButton = 16,
    kPlug = 17,
    kSnapshotRequest = 18,
    kStatusRequest = 19,
    kWatch = 20,
    kRotateSecret = 21,
    kViewerUrlsRequest = 22,
    // service -> client
    kWelcome = 64,
    kDeviceState = 65,
    kButtons = 66,
    kOpenReply = 67,
    kControlReply = 68,
    kSnapshot = 69,
    kStatus = 70,
    kViewerUrls = 71,
};

// ControlReply results beyond the link's own, as Win32 error numbers: the
// service runs without its viewer, and a new viewer secret could not be saved.
constexpr std::uint32_t kControlViewerOff = 1062;     // ERROR_SERVICE_NOT_ACTIVE
constexpr std::uint32_t kControlSecretNotSaved = 29;  // ERROR_WRITE_FAULT

// What a client says it is in its Hello: an application drives the device, a
// control client (CLI, terminal view) inspects and operates it.
enum class ClientRole : std::uint16_t { kApplication = 0, kControl = 1 };

class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::size_t Remaining() const { return bytes_.size() - offset_; }
    std::uint16_t U16() {
        std::uint16_t v = static_cast<std::uint16_t>(bytes_[offset_] | (bytes_[offset_ + 1] << 8));
        offset_ += 2;
        return v;
    }
    std::uint32_t U32() {
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = (v << 8) | bytes_[offset_ + static_cast<std::size_t>(i)];
        offset_ += 4;
        return v;
    }
    std::span<const std::uint8_t> Bytes(std::size_t count) {
        auto s = bytes_.subspan(offset_, count);
        offset_ += count;
        return s;
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t offset_ = 0;
};

// Builds one message; Finish() writes the payload length into the header.
class MessageWriter {
public:
    explicit MessageWriter(MessageType type) : bytes_(kHeaderBytes + 16, 0) {
        bytes_.resize(kHeaderBytes);
        bytes_[4] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(type) & 0xFF);
        bytes_[5] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(type) >> 8);
    }
    MessageWriter& U16(std::uint16_t v) {
        bytes_.push_back(static_cast<std::uint8_t>(v & 0xFF));
        bytes_.push_back(static_cast<std::uint8_t>(v >> 8));
        return *this;
    }
    MessageWriter& U32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        return *this;
    }
    MessageWriter& Bytes(const void* data, std::size_t count) {
        const auto* p = static_cast<const std::uint8_t*>(data);
        bytes_.insert(bytes_.end(), p, p + count);
        return *this;
    }
    std::vector<std::uint8_t> Finish() {
        const auto payload = static_cast<std::uint32_t>(bytes_.size() - kHeaderBytes);
        for (int i = 0; i < 4; ++i) bytes_[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(payload >> (8 * i));
        return std::move(bytes_);
    }

private:
    std::vector<std::uint8_t> bytes_;
};

// Writes the 12-byte prefix of a Frame message (header plus priority) so that
// the sender can hand the DeviceBitmap itself to the kernel without a copy.
inline void WriteFramePrefix(std::uint8_t (&prefix)[12], std::uint32_t priority) {
    const auto payload = static_cast<std::uint32_t>(kFramePayloadBytes);
    const auto type = static_cast<std::uint16_t>(MessageType::kFrame);
    for (int i = 0; i < 4; ++i) prefix[i] = static_cast<std::uint8_t>(payload >> (8 * i));
    prefix[4] = static_cast<std::uint8_t>(type & 0xFF);
    prefix[5] = static_cast<std::uint8_t>(type >> 8);
    prefix[6] = 0;
    prefix[7] = 0;
    for (int i = 0; i < 4; ++i) prefix[8 + i] = static_cast<std::uint8_t>(priority >> (8 * i));
}

}  // namespace vareko::displayservice
