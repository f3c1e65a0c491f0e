// A control connection to the display service for the command-line tools:
// connect, send one message, wait (bounded) for replies. One file per
// platform implements it: the Unix socket on Linux, loopback TCP with the
// token (the device library's transport) on Windows.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tools/display-service/library/link_transport.h"
#include "tools/display-service/protocol/message_codec.h"

namespace vareko::displayservice {

class ControlClient {
public:
    ControlClient() = default;
    ~ControlClient();
    ControlClient(const ControlClient&) = delete;
    ControlClient& operator=(const ControlClient&) = delete;

    // Connects to `path` after the checks of service_trust.h (on Windows to
    // the port of the token file, token first) and completes the
    // Hello/Welcome exchange; returns an empty string or the reason.
    std::string Connect(const std::string& path, int timeoutMs);
    bool Send(const ClientMessage& message);

    enum class Wait { kMessage, kTimeout, kGone };
    Wait Receive(ServiceMessage& out, int timeoutMs);

    // Sends `request` and waits for the first reply of type Reply.
    template <typename Reply>
    bool Request(const ClientMessage& request, Reply& reply, int timeoutMs) {
        if (!Send(request)) return false;
        ServiceMessage message;
        while (Receive(message, timeoutMs) == Wait::kMessage) {
            if (auto* r = std::get_if<Reply>(&message)) {
                reply = std::move(*r);
                return true;
            }
        }
        return false;
    }

    int Fd() const { return fd_; }

private:
    // The Hello/Welcome exchange once connected, the same on both platforms.
    std::string Greet(int timeoutMs) {
        HelloMessage hello;
        hello.role = ClientRole::kControl;
        hello.name = "vareko-display";
        WelcomeMessage welcome;
        if (!Request(hello, welcome, timeoutMs)) return "the display service did not answer";
        if (welcome.result != 0) return "the display service refused this protocol version";
        return {};
    }

    int fd_ = -1;                              // the Unix socket
    std::unique_ptr<LinkTransport> tcp_;       // Windows: the loopback TCP link
    // Per connection: clients on different threads never share a buffer.
    std::vector<std::uint8_t> buffer_ = std::vector<std::uint8_t>(kMaxServiceMessageBytes);
};

}  // namespace vareko::displayservice
