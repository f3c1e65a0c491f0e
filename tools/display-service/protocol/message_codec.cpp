// Message table and codec of the display-service protocol. Each row gives a
// message's direction, payload size bounds and its field decoder; the header
// checks run once for every message before the row's decoder sees the payload.
#include "tools/display-service/protocol/message_codec.h"

#include <algorithm>
#include <iterator>

#include "tools/display-service/protocol/utf8_cut.h"

namespace vareko::displayservice {
namespace {

enum class Direction { kToService, kToClient };

template <typename Out>
using Decoder = DecodeStatus (*)(ByteReader& in, Out& out);

template <typename Out>
struct MessageRow {
    MessageType type;
    std::size_t minPayload;
    std::size_t maxPayload;
    Decoder<Out> decode;
};

bool IsBool(std::uint32_t v) { return v <= 1; }

// Names travel as UTF-8; anything that is not well-formed UTF-8 is refused
// so that every consumer (status text, JSON for the viewer) can trust it.
bool IsWellFormedUtf8(std::span<const std::uint8_t> s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const std::uint8_t b = s[i];
        std::size_t extra = 0;
        std::uint32_t cp = 0;
        if (b < 0x80) { ++i; continue; }
        if ((b & 0xE0) == 0xC0) { extra = 1; cp = b & 0x1Fu; }
        else if ((b & 0xF0) == 0xE0) { extra = 2; cp = b & 0x0Fu; }
        else if ((b & 0xF8) == 0xF0) { extra = 3; cp = b & 0x07u; }
        else return false;
        if (i + extra >= s.size()) return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            if ((s[i + k] & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (s[i + k] & 0x3Fu);
        }
        static constexpr std::uint32_t kMinForLength[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMinForLength[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += extra + 1;
    }
    return true;
}

// --- client -> service decoders (one line each says the payload) ---------

// u32 magic, u16 version, u16 role, u32 flag1, u32 flag2, name bytes
DecodeStatus DecodeHello(ByteReader& in, ClientMessage& out) {
    HelloMessage m;
    m.magic = in.U32();
    m.version = in.U16();
    const std::uint16_t role = in.U16();
    m.connectFlag1 = in.U32();
    m.connectFlag2 = in.U32();
    auto name = in.Bytes(in.Remaining());
    if (m.magic != kProtocolMagic || role > 1 || !IsWellFormedUtf8(name)) return DecodeStatus::kBadValue;
    m.role = static_cast<ClientRole>(role);
    m.name.assign(name.begin(), name.end());
    out = std::move(m);
    return DecodeStatus::kOk;
}
// empty: the type is the whole message
template <typename Empty>
DecodeStatus DecodeEmpty(ByteReader&, ClientMessage& out) {
    out = Empty{};
    return DecodeStatus::kOk;
}
// u32 device index, u32 request id
DecodeStatus DecodeOpen(ByteReader& in, ClientMessage& out) {
    OpenMessage m;
    m.deviceIndex = in.U32();
    m.requestId = in.U32();
    out = m;
    return DecodeStatus::kOk;
}
// u32 priority, u32 format (1), 6,880 pixel bytes
DecodeStatus DecodeFrame(ByteReader& in, ClientMessage& out) {
    FrameMessage m;
    m.priority = in.U32();
    if (in.U32() != kDeviceBitmapFormat) return DecodeStatus::kBadValue;
    m.pixels = in.Bytes(kDevicePixelBytes);
    out = m;
    return DecodeStatus::kOk;
}
// u32 flag
DecodeStatus DecodeSetDeviceFlag(ByteReader& in, ClientMessage& out) {
    out = SetDeviceFlagMessage{in.U32()};
    return DecodeStatus::kOk;
}
// u32 slot size in bytes (6,980)
DecodeStatus DecodeFrameSlot(ByteReader& in, ClientMessage& out) {
    const std::uint32_t bytes = in.U32();
    if (bytes != kFrameSlotBytes) return DecodeStatus::kBadValue;
    out = FrameSlotMessage{bytes};
    return DecodeStatus::kOk;
}
// u32 button index (0..3), u32 down (0/1)
DecodeStatus DecodeButton(ByteReader& in, ClientMessage& out) {
    ButtonMessage m;
    m.index = in.U32();
    const std::uint32_t down = in.U32();
    if (m.index >= kButtonCount || !IsBool(down)) return DecodeStatus::kBadValue;
    m.down = down == 1;
    out = m;
    return DecodeStatus::kOk;
}
// u32 plugged (0/1)
DecodeStatus DecodePlug(ByteReader& in, ClientMessage& out) {
    const std::uint32_t plugged = in.U32();
    if (!IsBool(plugged)) return DecodeStatus::kBadValue;
    out = PlugMessage{plugged == 1};
    return DecodeStatus::kOk;
}
constexpr MessageRow<ClientMessage> kClientRows[] = {
    {MessageType::kHello, 16, 16 + kMaxNameBytes, DecodeHello},
    {MessageType::kOpen, 8, 8, DecodeOpen},
    {MessageType::kClose, 0, 0, DecodeEmpty<CloseMessage>},
    {MessageType::kFrame, kFramePayloadBytes, kFramePayloadBytes, DecodeFrame},
    {MessageType::kSetDeviceFlag, 4, 4, DecodeSetDeviceFlag},
    {MessageType::kFrameSlot, 4, 4, DecodeFrameSlot},
    {MessageType::kButton, 8, 8, DecodeButton},
    {MessageType::kPlug, 4, 4, DecodePlug},
    {MessageType::kSnapshotRequest, 0, 0, DecodeEmpty<SnapshotRequestMessage>},
    {MessageType::kStatusRequest, 0, 0, DecodeEmpty<StatusRequestMessage>},
    {MessageType::kWatch, 0, 0, DecodeEmpty<WatchMessage>},
    {MessageType::kRotateSecret, 0, 0, DecodeEmpty<RotateSecretMessage>},
    {MessageType::kViewerUrlsRequest, 0, 0, DecodeEmpty<ViewerUrlsRequestMessage>},
};

// --- service -> client decoders ------------------------------------------

// u16 version, u16 reserved, u32 result, u32 client id, u32 plugged
DecodeStatus DecodeWelcome(ByteReader& in, ServiceMessage& out) {
    WelcomeMessage m;
    m.version = in.U16();
    const std::uint16_t reserved = in.U16();
    m.result = in.U32();
    m.clientId = in.U32();
    const std::uint32_t plugged = in.U32();
    if (reserved != 0 || !IsBool(plugged)) return DecodeStatus::kBadValue;
    m.plugged = plugged == 1;
    out = m;
    return DecodeStatus::kOk;
}
// u32 plugged (0/1)
DecodeStatus DecodeDeviceState(ByteReader& in, ServiceMessage& out) {
    const std::uint32_t plugged = in.U32();
    if (!IsBool(plugged)) return DecodeStatus::kBadValue;
    out = DeviceStateMessage{plugged == 1};
    return DecodeStatus::kOk;
}
// u32 button word
DecodeStatus DecodeButtons(ByteReader& in, ServiceMessage& out) {
    out = ButtonsMessage{in.U32()};
    return DecodeStatus::kOk;
}
// u32 request id, u32 result
DecodeStatus DecodeOpenReply(ByteReader& in, ServiceMessage& out) {
    OpenReplyMessage m;
    m.requestId = in.U32();
    m.result = in.U32();
    out = m;
    return DecodeStatus::kOk;
}
// u32 result
DecodeStatus DecodeControlReply(ByteReader& in, ServiceMessage& out) {
    out = ControlReplyMessage{in.U32()};
    return DecodeStatus::kOk;
}
// u32 plugged, u32 shown client id, u32 buttons, 6,880 pixel bytes
DecodeStatus DecodeSnapshot(ByteReader& in, ServiceMessage& out) {
    SnapshotMessage m;
    const std::uint32_t plugged = in.U32();
    if (!IsBool(plugged)) return DecodeStatus::kBadValue;
    m.plugged = plugged == 1;
    m.shownClientId = in.U32();
    m.buttons = in.U32();
    auto px = in.Bytes(kDevicePixelBytes);
    std::copy(px.begin(), px.end(), m.pixels.begin());
    out = m;
    return DecodeStatus::kOk;
}
// UTF-8 text
DecodeStatus DecodeStatusText(ByteReader& in, ServiceMessage& out) {
    auto text = in.Bytes(in.Remaining());
    out = StatusMessage{std::string(text.begin(), text.end())};
    return DecodeStatus::kOk;
}

// URLs of printable ASCII, each ended by a newline
DecodeStatus DecodeViewerUrls(ByteReader& in, ServiceMessage& out) {
    const auto bytes = in.Bytes(in.Remaining());
    ViewerUrlsMessage m;
    std::string url;
    for (const std::uint8_t byte : bytes) {
        if (byte == '\n') {
            if (url.empty()) return DecodeStatus::kBadValue;
            m.urls.push_back(std::move(url));
            url.clear();
        } else if (byte > 0x20 && byte < 0x7f) {
            url += static_cast<char>(byte);
        } else {
            return DecodeStatus::kBadValue;
        }
    }
    if (!url.empty()) return DecodeStatus::kBadValue;
    out = std::move(m);
    return DecodeStatus::kOk;
}

constexpr MessageRow<ServiceMessage> kServiceRows[] = {
    {MessageType::kWelcome, 16, 16, DecodeWelcome},
    {MessageType::kDeviceState, 4, 4, DecodeDeviceState},
    {MessageType::kButtons, 4, 4, DecodeButtons},
    {MessageType::kOpenReply, 8, 8, DecodeOpenReply},
    {MessageType::kControlReply, 4, 4, DecodeControlReply},
    {MessageType::kSnapshot, 12 + kDevicePixelBytes, 12 + kDevicePixelBytes, DecodeSnapshot},
    {MessageType::kStatus, 0, kMaxStatusTextBytes, DecodeStatusText},
    {MessageType::kViewerUrls, 0, kMaxStatusTextBytes, DecodeViewerUrls},
};

template <typename Out, typename Other, std::size_t N, std::size_t K>
DecodeStatus DecodeWith(std::span<const std::uint8_t> bytes, std::size_t maxBytes,
                        const MessageRow<Out> (&rows)[N], const MessageRow<Other> (&otherRows)[K],
                        Out& out) {
    if (bytes.size() < kHeaderBytes) return DecodeStatus::kShorterThanHeader;
    if (bytes.size() > maxBytes) return DecodeStatus::kTooLong;
    ByteReader header(bytes.first(kHeaderBytes));
    const std::uint32_t length = header.U32();
    const std::uint16_t type = header.U16();
    const std::uint16_t reserved = header.U16();
    if (length != bytes.size() - kHeaderBytes) return DecodeStatus::kLengthMismatch;
    if (reserved != 0) return DecodeStatus::kBadReserved;
    const auto row = std::find_if(std::begin(rows), std::end(rows),
                                  [&](const auto& r) { return static_cast<std::uint16_t>(r.type) == type; });
    if (row == std::end(rows)) {
        const bool other = std::any_of(std::begin(otherRows), std::end(otherRows),
                                       [&](const auto& r) { return static_cast<std::uint16_t>(r.type) == type; });
        return other ? DecodeStatus::kWrongDirection : DecodeStatus::kUnknownType;
    }
    if (length < row->minPayload || length > row->maxPayload) return DecodeStatus::kBadPayloadSize;
    ByteReader payload(bytes.subspan(kHeaderBytes));
    return row->decode(payload, out);
}

}  // namespace

const char* DecodeStatusName(DecodeStatus status) {
    static constexpr const char* kNames[] = {
        "ok", "shorter than a header", "length mismatch", "too long", "reserved bits set",
        "unknown type", "wrong direction", "bad payload size", "value out of range",
    };
    return kNames[static_cast<int>(status)];
}

DecodeStatus DecodeClientMessage(std::span<const std::uint8_t> bytes, ClientMessage& out) {
    return DecodeWith(bytes, kMaxClientMessageBytes, kClientRows, kServiceRows, out);
}

DecodeStatus DecodeServiceMessage(std::span<const std::uint8_t> bytes, ServiceMessage& out) {
    return DecodeWith(bytes, kMaxServiceMessageBytes, kServiceRows, kClientRows, out);
}

namespace {

struct ClientEncoder {
    std::vector<std::uint8_t> operator()(const HelloMessage& m) const {
        return MessageWriter(MessageType::kHello)
            .U32(m.magic).U16(m.version).U16(static_cast<std::uint16_t>(m.role))
            .U32(m.connectFlag1).U32(m.connectFlag2).Bytes(m.name.data(), m.name.size())
            .Finish();
    }
    std::vector<std::uint8_t> operator()(const OpenMessage& m) const {
        return MessageWriter(MessageType::kOpen).U32(m.deviceIndex).U32(m.requestId).Finish();
    }
    std::vector<std::uint8_t> operator()(const CloseMessage&) const {
        return MessageWriter(MessageType::kClose).Finish();
    }
    std::vector<std::uint8_t> operator()(const FrameMessage& m) const {
        return MessageWriter(MessageType::kFrame)
            .U32(m.priority).U32(kDeviceBitmapFormat).Bytes(m.pixels.data(), m.pixels.size())
            .Finish();
    }
    std::vector<std::uint8_t> operator()(const SetDeviceFlagMessage& m) const {
        return MessageWriter(MessageType::kSetDeviceFlag).U32(m.flag).Finish();
    }
    std::vector<std::uint8_t> operator()(const FrameSlotMessage& m) const {
        return MessageWriter(MessageType::kFrameSlot).U32(m.slotBytes).Finish();
    }
    std::vector<std::uint8_t> operator()(const ButtonMessage& m) const {
        return MessageWriter(MessageType::kButton).U32(m.index).U32(m.down ? 1 : 0).Finish();
    }
    std::vector<std::uint8_t> operator()(const PlugMessage& m) const {
        return MessageWriter(MessageType::kPlug).U32(m.plugged ? 1 : 0).Finish();
    }
    std::vector<std::uint8_t> operator()(const SnapshotRequestMessage&) const {
        return MessageWriter(MessageType::kSnapshotRequest).Finish();
    }
    std::vector<std::uint8_t> operator()(const StatusRequestMessage&) const {
        return MessageWriter(MessageType::kStatusRequest).Finish();
    }
    std::vector<std::uint8_t> operator()(const WatchMessage&) const {
        return MessageWriter(MessageType::kWatch).Finish();
    }
    std::vector<std::uint8_t> operator()(const RotateSecretMessage&) const {
        return MessageWriter(MessageType::kRotateSecret).Finish();
    }
    std::vector<std::uint8_t> operator()(const ViewerUrlsRequestMessage&) const {
        return MessageWriter(MessageType::kViewerUrlsRequest).Finish();
    }
};

struct ServiceEncoder {
    std::vector<std::uint8_t> operator()(const WelcomeMessage& m) const {
        return MessageWriter(MessageType::kWelcome)
            .U16(m.version).U16(0).U32(m.result).U32(m.clientId).U32(m.plugged ? 1 : 0)
            .Finish();
    }
    std::vector<std::uint8_t> operator()(const DeviceStateMessage& m) const {
        return MessageWriter(MessageType::kDeviceState).U32(m.plugged ? 1 : 0).Finish();
    }
    std::vector<std::uint8_t> operator()(const ButtonsMessage& m) const {
        return MessageWriter(MessageType::kButtons).U32(m.word).Finish();
    }
    std::vector<std::uint8_t> operator()(const OpenReplyMessage& m) const {
        return MessageWriter(MessageType::kOpenReply).U32(m.requestId).U32(m.result).Finish();
    }
    std::vector<std::uint8_t> operator()(const ControlReplyMessage& m) const {
        return MessageWriter(MessageType::kControlReply).U32(m.result).Finish();
    }
    std::vector<std::uint8_t> operator()(const SnapshotMessage& m) const {
        return MessageWriter(MessageType::kSnapshot)
            .U32(m.plugged ? 1 : 0).U32(m.shownClientId).U32(m.buttons)
            .Bytes(m.pixels.data(), m.pixels.size())
            .Finish();
    }
    std::vector<std::uint8_t> operator()(const StatusMessage& m) const {
        const std::string text = CutAtCharacter(m.text, kMaxStatusTextBytes);
        return MessageWriter(MessageType::kStatus).Bytes(text.data(), text.size()).Finish();
    }
    // Whole URLs only, as many as fit.
    std::vector<std::uint8_t> operator()(const ViewerUrlsMessage& m) const {
        std::string text;
        for (const std::string& url : m.urls) {
            if (text.size() + url.size() + 1 > kMaxStatusTextBytes) break;
            text += url + "\n";
        }
        return MessageWriter(MessageType::kViewerUrls).Bytes(text.data(), text.size()).Finish();
    }
};

}  // namespace

std::vector<std::uint8_t> EncodeClientMessage(const ClientMessage& message) {
    return std::visit(ClientEncoder{}, message);
}

std::vector<std::uint8_t> EncodeServiceMessage(const ServiceMessage& message) {
    return std::visit(ServiceEncoder{}, message);
}

}  // namespace vareko::displayservice
