// The device library's view of its connection to the display service: whole
// messages in, whole messages out, never blocking except in WaitReadable.
// LinkClient holds the protocol; a transport holds one platform's socket:
// the Unix packet socket on Linux, loopback TCP with the token on Windows.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "display/devicelink/link_interface.h"
#include "tools/display-service/protocol/message_codec.h"
#include "display/devicelink/device_bitmap.h"

namespace vareko::displayservice {

enum class Receive { kMessage, kNothing, kGone };

class LinkTransport {
public:
    virtual ~LinkTransport() = default;

    // One whole message if one has arrived, without waiting. Malformed input
    // counts as gone: the service never sends it, so the link is not trusted.
    virtual Receive ReceiveOne(ServiceMessage& message) = 0;
    // False when the link knows, without a system call, that nothing has
    // arrived since it last said true; the caller then skips its drain.
    virtual bool MayHaveMessages() { return true; }
    // Waits up to `timeoutMs` for input; false on timeout.
    virtual bool WaitReadable(int timeoutMs) = 0;
    // Sends one encoded message; false once the link is gone.
    virtual bool Send(std::span<const std::uint8_t> message) = 0;
    // Sends a Frame straight from the caller's bitmap. A link that cannot take
    // it now drops it (the next frame replaces it); false once it is gone.
    virtual bool SendFrame(std::uint32_t priority, const DeviceBitmap& bitmap) = 0;
    // Called before each Open: a transport that can share memory with the
    // service hands it a frame slot once, and from then on SendFrame writes
    // there instead of sending. Where that is not possible frames stay on
    // the link; false only once the link is gone.
    virtual bool OfferFrameSlot() = 0;
};

// A factory returns null and sets `failure` when it gets no link: the
// library's code for "no service" (kLinkServerUnavailable), or "device not
// connected" (kLinkDeviceNotConnected) when something answers that is not
// this user's service.
using TransportFactory = std::unique_ptr<LinkTransport> (*)(link::LinkResult& failure);

// The platform's way to the service.
std::unique_ptr<LinkTransport> ConnectDefaultTransport(link::LinkResult& failure);
// The Unix packet socket at ResolveSocketPath(), after the checks of
// service_trust.h (Linux only).
std::unique_ptr<LinkTransport> ConnectUnixTransport(link::LinkResult& failure);
// Loopback TCP to the port in the token file at ResolveTokenPath(), token
// first, connected within kReplyWaitMs (or `connectTimeoutMs`: the
// command-line tools can wait longer than a program's frame loop).
std::unique_ptr<LinkTransport> ConnectTcpTransport(link::LinkResult& failure);
std::unique_ptr<LinkTransport> ConnectTcpTransport(link::LinkResult& failure, int connectTimeoutMs);

}  // namespace vareko::displayservice
