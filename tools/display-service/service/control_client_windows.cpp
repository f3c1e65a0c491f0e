// The control connection on Windows: the device library's loopback TCP
// transport (token first, messages framed on the stream), used blocking
// with a timeout. The path argument names a Unix socket and is not used.
#include <chrono>

#include "tools/display-service/service/control_client.h"
#include "tools/display-service/protocol/token_path.h"

namespace vareko::displayservice {

ControlClient::~ControlClient() = default;

std::string ControlClient::Connect(const std::string&, int timeoutMs) {
    link::LinkResult failure = link::kLinkOk;
    tcp_ = ConnectTcpTransport(failure, timeoutMs);
    if (!tcp_) {
        return "no display service answers (token file " + ResolveTokenPath() + ")";
    }
    return Greet(timeoutMs);
}

bool ControlClient::Send(const ClientMessage& message) { return tcp_ && tcp_->Send(EncodeClientMessage(message)); }

ControlClient::Wait ControlClient::Receive(ServiceMessage& out, int timeoutMs) {
    if (!tcp_) return Wait::kGone;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        switch (tcp_->ReceiveOne(out)) {
            case Receive::kMessage: return Wait::kMessage;
            case Receive::kGone: return Wait::kGone;
            case Receive::kNothing: break;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !tcp_->WaitReadable(static_cast<int>(left.count()))) return Wait::kTimeout;
    }
}

}  // namespace vareko::displayservice
