// Connection table and entry behaviour of the device library. Transports
// never block; the service pushes device state and button words, which are
// drained at each call, so LinkUpdate and LinkReadButtons never wait.
#include "tools/display-service/library/link_client.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstring>

#include "tools/display-service/protocol/message_codec.h"

namespace vareko::displayservice {
namespace {

static_assert(std::endian::native == std::endian::little,
              "the frame is sent in place, so the host must match the little-endian wire format");

using link::LinkResult;

constexpr std::size_t kMaxScannedNameUnits = 256;

// UTF-16 code units (one per wchar_t) to UTF-8, cut at kMaxNameBytes on a
// character boundary; unpaired surrogates become U+FFFD.
std::string NameToUtf8(const wchar_t* name) {
    std::string out;
    if (name == nullptr) return out;
    for (std::size_t i = 0; i < kMaxScannedNameUnits && name[i] != 0; ++i) {
        std::uint32_t cp = static_cast<std::uint32_t>(name[i]) & 0xFFFF;
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            const std::uint32_t low = static_cast<std::uint32_t>(name[i + 1]) & 0xFFFF;
            if (low >= 0xDC00 && low <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            } else {
                cp = 0xFFFD;
            }
        } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        char bytes[4];
        std::size_t n = 0;
        if (cp < 0x80) {
            bytes[n++] = static_cast<char>(cp);
        } else if (cp < 0x800) {
            bytes[n++] = static_cast<char>(0xC0 | (cp >> 6));
            bytes[n++] = static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            bytes[n++] = static_cast<char>(0xE0 | (cp >> 12));
            bytes[n++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            bytes[n++] = static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            bytes[n++] = static_cast<char>(0xF0 | (cp >> 18));
            bytes[n++] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            bytes[n++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            bytes[n++] = static_cast<char>(0x80 | (cp & 0x3F));
        }
        if (out.size() + n > kMaxNameBytes) break;
        out.append(bytes, n);
    }
    return out;
}

int MillisecondsLeft(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<long long>(0, left.count()));
}

}  // namespace

LinkClient::~LinkClient() { Deinit(); }

LinkResult LinkClient::Init() {
    initialized_ = true;
    return link::kLinkOk;
}

LinkResult LinkClient::Deinit() {
    for (auto& c : connections_) Drop(c);
    connections_.clear();
    initialized_ = false;
    return link::kLinkOk;
}

link::LinkHandle LinkClient::NextHandle() {
    // Handles are never reused while the process lives, so a stale handle from
    // a connection to an earlier service can never name a new one.
    lastHandle_ = lastHandle_ == INT32_MAX ? 1 : lastHandle_ + 1;
    return lastHandle_;
}

LinkClient::Connection* LinkClient::FindConnection(link::LinkHandle handle) {
    auto it = std::find_if(connections_.begin(), connections_.end(),
                           [&](const Connection& c) { return c.handle == handle; });
    return it == connections_.end() ? nullptr : &*it;
}

LinkClient::Connection* LinkClient::FindByDevice(link::LinkHandle device) {
    if (device == link::kNoHandle) return nullptr;
    auto it = std::find_if(connections_.begin(), connections_.end(),
                           [&](const Connection& c) { return c.device == device; });
    return it == connections_.end() ? nullptr : &*it;
}

void LinkClient::Drop(Connection& c) { c.transport.reset(); }

bool LinkClient::SendMessage(Connection& c, const std::vector<std::uint8_t>& bytes) {
    if (!c.transport) return false;
    if (c.transport->Send(bytes)) return true;
    Drop(c);
    return false;
}

void LinkClient::Apply(Connection& c, const ServiceMessage& message) {
    if (const auto* welcome = std::get_if<WelcomeMessage>(&message)) {
        if (welcome->result != 0 || welcome->version != kProtocolVersion) {
            Drop(c);
            return;
        }
        c.welcomed = true;
        c.plugged = welcome->plugged;
    } else if (const auto* reply = std::get_if<OpenReplyMessage>(&message)) {
        if (c.openAwaited == 0 || reply->requestId != c.openAwaited) return;
        c.openAwaited = 0;
        c.openRefusal = reply->result;
    } else if (const auto* state = std::get_if<DeviceStateMessage>(&message)) {
        c.plugged = state->plugged;
        if (!state->plugged && c.device != link::kNoHandle) c.deviceLost = true;
    } else if (const auto* buttons = std::get_if<ButtonsMessage>(&message)) {
        if (c.device == link::kNoHandle || c.deviceLost) return;
        // Words are kept in order so that a press and release arriving between
        // two polls still show up as two edges; a client that stops polling
        // keeps only the newest words.
        if (c.pendingButtons.size() == kMaxQueuedButtonWords) c.pendingButtons.pop_front();
        c.pendingButtons.push_back(buttons->word);
    }
}

bool LinkClient::Drain(Connection& c) {
    if (!c.transport) return false;
    if (!c.transport->MayHaveMessages()) return true;
    ServiceMessage message;
    for (;;) {
        switch (c.transport->ReceiveOne(message)) {
            case Receive::kMessage:
                Apply(c, message);
                if (!c.transport) return false;
                break;
            case Receive::kNothing: return true;
            case Receive::kGone: Drop(c); return false;
        }
    }
}

template <typename Accept>
bool LinkClient::Await(Connection& c, Accept accept) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kReplyWaitMs);
    ServiceMessage message;
    for (;;) {
        if (!c.transport) return false;
        switch (c.transport->ReceiveOne(message)) {
            case Receive::kMessage:
                if (accept(message)) return true;
                Apply(c, message);
                continue;
            case Receive::kGone: Drop(c); return false;
            case Receive::kNothing: break;
        }
        const int left = MillisecondsLeft(deadline);
        if (left == 0) return false;
        c.transport->WaitReadable(left);
    }
}

LinkResult LinkClient::Connect(link::ConnectionRecord* record) {
    if (record == nullptr) return kErrorInvalidParameter;
    if (!initialized_) return link::kLinkNotActive;
    Connection c;
    LinkResult failure = link::kLinkServerUnavailable;
    c.transport = connect_(failure);
    if (!c.transport) return failure;
    HelloMessage hello;
    hello.role = ClientRole::kApplication;
    hello.connectFlag1 = record->connectFlag1;
    hello.connectFlag2 = record->connectFlag2;
    hello.name = NameToUtf8(record->appName);
    if (!SendMessage(c, EncodeClientMessage(hello))) return link::kLinkServerUnavailable;
    Await(c, [&](const ServiceMessage& m) {
        if (!std::holds_alternative<WelcomeMessage>(m)) return false;
        Apply(c, m);
        return true;
    });
    if (!c.transport) return link::kLinkServerUnavailable;
    // A service that has not answered yet is taken at its word later: until
    // its Welcome says otherwise the device counts as plugged, so the program
    // opens it now and its first frame waits behind the Open.
    if (!c.welcomed) c.plugged = true;
    c.handle = NextHandle();
    record->connection = c.handle;
    connections_.push_back(std::move(c));
    return link::kLinkOk;
}

LinkResult LinkClient::Disconnect(link::LinkHandle connection) {
    auto it = std::find_if(connections_.begin(), connections_.end(),
                           [&](const Connection& c) { return c.handle == connection; });
    if (connection == link::kNoHandle || it == connections_.end()) return kErrorInvalidHandle;
    Drop(*it);
    connections_.erase(it);
    return link::kLinkOk;
}

LinkResult LinkClient::Enumerate(link::LinkHandle connection, std::uint32_t index, void* buffer16) {
    Connection* c = FindConnection(connection);
    if (connection == link::kNoHandle || c == nullptr) return kErrorInvalidHandle;
    if (!Drain(*c)) return link::kLinkServerUnavailable;
    if (index != 0 || !c->plugged) return link::kLinkNoMoreItems;
    if (buffer16 != nullptr) {
        // Device description: width, height, soft buttons, bitmap format.
        const std::uint32_t words[4] = {kDisplayWidth, kDisplayHeight, kButtonCount, kDeviceBitmapFormat};
        std::memcpy(buffer16, words, sizeof words);
    }
    return link::kLinkOk;
}

LinkResult LinkClient::Open(link::OpenRecord* record) {
    if (record == nullptr) return kErrorInvalidParameter;
    Connection* c = FindConnection(record->connection);
    if (record->connection == link::kNoHandle || c == nullptr) return kErrorInvalidHandle;
    if (!Drain(*c)) return link::kLinkServerUnavailable;
    if (record->deviceIndex != 0) return link::kLinkNoMoreItems;
    if (!c->plugged) return link::kLinkDeviceNotConnected;
    if (!c->transport->OfferFrameSlot()) {
        Drop(*c);
        return link::kLinkServerUnavailable;
    }
    const std::uint32_t requestId = c->nextRequestId++;
    if (!SendMessage(*c, EncodeClientMessage(OpenMessage{0, requestId}))) return link::kLinkServerUnavailable;
    c->openAwaited = requestId;
    c->openRefusal = link::kLinkOk;
    Await(*c, [&](const ServiceMessage& m) {
        const auto* reply = std::get_if<OpenReplyMessage>(&m);
        if (reply == nullptr || reply->requestId != requestId) return false;
        Apply(*c, m);
        return true;
    });
    if (!c->transport) return link::kLinkServerUnavailable;
    // Refused in time: no device. Not answered yet: the device is open until
    // a late refusal shows at the next call.
    if (c->openAwaited == 0 && c->openRefusal != link::kLinkOk) return c->openRefusal;
    c->device = NextHandle();
    c->deviceLost = false;
    c->buttons = 0;
    c->pendingButtons.clear();
    record->device = c->device;
    return link::kLinkOk;
}

LinkResult LinkClient::Close(link::LinkHandle device) {
    Connection* c = FindByDevice(device);
    if (c == nullptr) return kErrorInvalidHandle;
    if (c->transport) SendMessage(*c, EncodeClientMessage(CloseMessage{}));
    c->device = link::kNoHandle;
    c->deviceLost = false;
    c->openAwaited = 0;
    c->openRefusal = link::kLinkOk;
    c->buttons = 0;
    c->pendingButtons.clear();
    return link::kLinkOk;
}

LinkResult LinkClient::DeviceStatus(Connection& c) {
    if (!Drain(c)) return link::kLinkServerUnavailable;
    if (c.deviceLost) return link::kLinkDeviceNotConnected;
    return c.openRefusal;
}

LinkResult LinkClient::ReadButtons(link::LinkHandle device, std::uint32_t* buttons) {
    Connection* c = FindByDevice(device);
    if (c == nullptr) return kErrorInvalidHandle;
    if (buttons == nullptr) return kErrorInvalidParameter;
    if (const LinkResult r = DeviceStatus(*c); r != link::kLinkOk) return r;
    if (!c->pendingButtons.empty()) {
        c->buttons = c->pendingButtons.front();
        c->pendingButtons.pop_front();
    }
    *buttons = c->buttons;
    return link::kLinkOk;
}

LinkResult LinkClient::Update(link::LinkHandle device, const DeviceBitmap* bitmap, std::uint32_t priority) {
    Connection* c = FindByDevice(device);
    if (c == nullptr) return kErrorInvalidHandle;
    if (const LinkResult r = DeviceStatus(*c); r != link::kLinkOk) return r;
    if (bitmap == nullptr || bitmap->format != kDeviceBitmapFormat) return kErrorInvalidParameter;
    // A busy link drops this frame and the next one replaces it: not a failure.
    if (c->transport->SendFrame(priority, *bitmap)) return link::kLinkOk;
    Drop(*c);
    return link::kLinkServerUnavailable;
}

LinkResult LinkClient::SetDeviceFlag(link::LinkHandle device, std::uint32_t flag) {
    Connection* c = FindByDevice(device);
    if (c == nullptr) return kErrorInvalidHandle;
    if (const LinkResult r = DeviceStatus(*c); r != link::kLinkOk) return r;
    return SendMessage(*c, EncodeClientMessage(SetDeviceFlagMessage{flag})) ? link::kLinkOk
                                                                          : link::kLinkServerUnavailable;
}

}  // namespace vareko::displayservice
