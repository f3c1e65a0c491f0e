// Typed messages of the display-service protocol and their codec. Decoding is
// parse-then-apply: a message is checked against its row of the message table
// (direction, payload size, value ranges) and turned into a typed struct
// before anyone acts on it; a failed check names the reason and the caller
// closes that one connection. Depends only on wire_format.h.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "tools/display-service/protocol/frame_slot.h"
#include "tools/display-service/protocol/wire_format.h"

namespace vareko::displayservice {

enum class DecodeStatus {
    kOk,
    kShorterThanHeader,
    kLengthMismatch,   // header length disagrees with the received size
    kTooLong,
    kBadReserved,
    kUnknownType,
    kWrongDirection,   // a service message sent by a client, or the reverse
    kBadPayloadSize,
    kBadValue,         // a field outside its range
};

const char* DecodeStatusName(DecodeStatus status);

// --- client -> service --------------------------------------------------
struct HelloMessage {
    std::uint32_t magic = kProtocolMagic;
    std::uint16_t version = kProtocolVersion;
    ClientRole role = ClientRole::kApplication;
    std::uint32_t connectFlag1 = 0;
    std::uint32_t connectFlag2 = 0;
    std::string name;  // UTF-8, at most kMaxNameBytes
};
struct OpenMessage {
    std::uint32_t deviceIndex = 0;
    std::uint32_t requestId = 0;
};
struct CloseMessage {};
struct FrameMessage {
    std::uint32_t priority = 0;
    std::span<const std::uint8_t> pixels;  // kDevicePixelBytes, points into the received bytes
};
struct SetDeviceFlagMessage {
    std::uint32_t flag = 0;
};
// Travels with two descriptors (SCM_RIGHTS): the memory file of the frame
// slot and the eventfd that wakes the service after each frame.
struct FrameSlotMessage {
    std::uint32_t slotBytes = kFrameSlotBytes;
};
struct ButtonMessage {
    std::uint32_t index = 0;  // 0..3
    bool down = false;
};
struct PlugMessage {
    bool plugged = true;
};
struct SnapshotRequestMessage {};
struct StatusRequestMessage {};
struct WatchMessage {};
struct RotateSecretMessage {};
struct ViewerUrlsRequestMessage {};

using ClientMessage =
    std::variant<HelloMessage, OpenMessage, CloseMessage, FrameMessage, SetDeviceFlagMessage,
                 ButtonMessage, PlugMessage, SnapshotRequestMessage, StatusRequestMessage,
                 WatchMessage, FrameSlotMessage, RotateSecretMessage, ViewerUrlsRequestMessage>;

// --- service -> client --------------------------------------------------
struct WelcomeMessage {
    std::uint16_t version = kProtocolVersion;
    std::uint32_t result = 0;  // 0 accepted; otherwise refused and closed
    std::uint32_t clientId = 0;
    bool plugged = true;
};
struct DeviceStateMessage {
    bool plugged = true;
};
struct ButtonsMessage {
    std::uint32_t word = 0;
};
struct OpenReplyMessage {
    std::uint32_t requestId = 0;
    std::uint32_t result = 0;
};
struct ControlReplyMessage {
    std::uint32_t result = 0;
};
struct SnapshotMessage {
    bool plugged = true;
    std::uint32_t shownClientId = 0;  // 0 = no client shown
    std::uint32_t buttons = 0;
    std::array<std::uint8_t, kDevicePixelBytes> pixels{};
};
struct StatusMessage {
    std::string text;
};
// The owner's addresses of the viewer, secret included: 127.0.0.1's first,
// then one per address it serves on the network; none when it is off.
struct ViewerUrlsMessage {
    std::vector<std::string> urls;
};

using ServiceMessage =
    std::variant<WelcomeMessage, DeviceStateMessage, ButtonsMessage, OpenReplyMessage,
                 ControlReplyMessage, SnapshotMessage, StatusMessage, ViewerUrlsMessage>;

// `bytes` is exactly one received message. FrameMessage::pixels refers into it.
DecodeStatus DecodeClientMessage(std::span<const std::uint8_t> bytes, ClientMessage& out);
DecodeStatus DecodeServiceMessage(std::span<const std::uint8_t> bytes, ServiceMessage& out);

std::vector<std::uint8_t> EncodeClientMessage(const ClientMessage& message);
std::vector<std::uint8_t> EncodeServiceMessage(const ServiceMessage& message);

}  // namespace vareko::displayservice
