// Blocking-with-timeout control connection used by the CLI and the terminal view.
#include "tools/display-service/service/control_client.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "tools/display-service/protocol/service_trust.h"

namespace vareko::displayservice {

ControlClient::~ControlClient() {
    if (fd_ >= 0) close(fd_);
}

std::string ControlClient::Connect(const std::string& path, int timeoutMs) {
    ServiceConnection connection = ConnectToOwnService(path);
    if (connection.check != ServiceCheck::kOk) return connection.detail;
    fd_ = connection.fd;
    return Greet(timeoutMs);
}

bool ControlClient::Send(const ClientMessage& message) {
    const auto bytes = EncodeClientMessage(message);
    pollfd p{fd_, POLLOUT, 0};
    if (poll(&p, 1, 1000) <= 0) return false;
    return send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
}

ControlClient::Wait ControlClient::Receive(ServiceMessage& out, int timeoutMs) {
    pollfd p{fd_, POLLIN, 0};
    const int ready = poll(&p, 1, timeoutMs);
    if (ready == 0) return Wait::kTimeout;
    if (ready < 0) return errno == EINTR ? Wait::kTimeout : Wait::kGone;
    const ssize_t n = recv(fd_, buffer_.data(), buffer_.size(), MSG_DONTWAIT);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return Wait::kTimeout;
    if (n <= 0) return Wait::kGone;
    return DecodeServiceMessage({buffer_.data(), static_cast<std::size_t>(n)}, out) == DecodeStatus::kOk ? Wait::kMessage
                                                                                                  : Wait::kGone;
}

}  // namespace vareko::displayservice
