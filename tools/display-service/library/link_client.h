// The device library's connection table: one entry per LinkConnect, holding
// the transport to the display service and the state the service pushed
// (device plugged, button words). Per-frame calls drain pushed messages
// without blocking and send with one non-blocking call; only connect and open
// wait, and never longer than kReplyWaitMs. A Welcome or OpenReply that comes
// later is taken by a later call: meanwhile the connection and the device
// count as accepted and frames queue behind the request, so a program that
// calls nothing more still has its last frame shown once the service answers.
// No threads, no callbacks. The protocol is here; sockets are in the
// transport (link_transport.h).
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "display/devicelink/link_interface.h"
#include "tools/display-service/library/link_transport.h"
#include "tools/display-service/protocol/message_codec.h"

namespace vareko::displayservice {

constexpr int kReplyWaitMs = 10;
constexpr std::size_t kMaxQueuedButtonWords = 64;
constexpr std::uint32_t kErrorInvalidHandle = 6;       // ERROR_INVALID_HANDLE
constexpr std::uint32_t kErrorNotSupported = 50;       // ERROR_NOT_SUPPORTED
constexpr std::uint32_t kErrorInvalidParameter = 87;   // ERROR_INVALID_PARAMETER

class LinkClient {
public:
    explicit LinkClient(TransportFactory connect = ConnectDefaultTransport) : connect_(connect) {}
    ~LinkClient();
    LinkClient(const LinkClient&) = delete;
    LinkClient& operator=(const LinkClient&) = delete;

    link::LinkResult Init();
    link::LinkResult Deinit();
    link::LinkResult Connect(link::ConnectionRecord* record);
    link::LinkResult Disconnect(link::LinkHandle connection);
    link::LinkResult Enumerate(link::LinkHandle connection, std::uint32_t index, void* buffer16);
    link::LinkResult Open(link::OpenRecord* record);
    link::LinkResult Close(link::LinkHandle device);
    link::LinkResult ReadButtons(link::LinkHandle device, std::uint32_t* buttons);
    link::LinkResult Update(link::LinkHandle device, const DeviceBitmap* bitmap, std::uint32_t priority);
    link::LinkResult SetDeviceFlag(link::LinkHandle device, std::uint32_t flag);

private:
    struct Connection {
        link::LinkHandle handle = link::kNoHandle;
        std::unique_ptr<LinkTransport> transport;  // null once the service went away
        bool plugged = false;
        link::LinkHandle device = link::kNoHandle;
        bool deviceLost = false;   // the device was unplugged under an open handle
        std::uint32_t buttons = 0;
        std::deque<std::uint32_t> pendingButtons;
        std::uint32_t nextRequestId = 1;
        bool welcomed = false;             // the service's Welcome has arrived
        std::uint32_t openAwaited = 0;     // request id of an unanswered Open, 0 for none
        link::LinkResult openRefusal = link::kLinkOk;  // what a late OpenReply refused
    };

    Connection* FindConnection(link::LinkHandle handle);
    Connection* FindByDevice(link::LinkHandle device);
    link::LinkHandle NextHandle();
    void Drop(Connection& c);
    // Reads every message already waiting; false once the connection is gone.
    bool Drain(Connection& c);
    // Takes a pushed message, or a late Welcome or OpenReply; a refusing
    // Welcome drops the connection.
    void Apply(Connection& c, const ServiceMessage& message);
    // Waits up to kReplyWaitMs for a message that `accept` takes, applying
    // every other message on the way; false on timeout or loss.
    template <typename Accept>
    bool Await(Connection& c, Accept accept);
    bool SendMessage(Connection& c, const std::vector<std::uint8_t>& bytes);
    link::LinkResult DeviceStatus(Connection& c);

    TransportFactory connect_;
    bool initialized_ = false;
    std::vector<Connection> connections_;
    link::LinkHandle lastHandle_ = 0;
};

}  // namespace vareko::displayservice
