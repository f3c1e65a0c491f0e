// Test harness for the display service: a private temp directory with its
// own socket path (exported as VAREKO_DISPLAY_SOCKET so that the library and
// the CLI find it), an in-process service on its own thread that can be
// stopped and started again, the device library loaded with dlopen, a raw
// protocol client, and a bounded wait for asynchronous delivery.
#pragma once

#include <dlfcn.h>
#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "display/devicelink/link_interface.h"
#include "tools/display-service/service/display_service.h"
#include "tools/display-service/protocol/message_codec.h"
#include "tools/display-service/protocol/service_socket.h"
#include "tools/display-service/protocol/token_path.h"

namespace vareko::displayservice::testing {

// Polls `condition` until it holds or `timeout` passes; for results that
// cross a thread or process boundary. Returns the final value.
template <typename Condition>
bool Eventually(Condition condition, std::chrono::milliseconds timeout = std::chrono::milliseconds(5000)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    return true;
}

// Collects the service's log lines (they come from the loop thread).
class LogCapture {
public:
    std::function<void(const std::string&)> Sink() {
        return [this](const std::string& line) {
            const std::lock_guard lock(mutex_);
            lines_.push_back(line);
        };
    }
    // Waits until a line holds every one of `parts`.
    bool Has(std::initializer_list<std::string> parts) {
        return Eventually([&] {
            const std::lock_guard lock(mutex_);
            for (const std::string& line : lines_) {
                bool all = true;
                for (const std::string& part : parts) all = all && line.find(part) != std::string::npos;
                if (all) return true;
            }
            return false;
        }, std::chrono::milliseconds(2000));
    }

private:
    std::mutex mutex_;
    std::vector<std::string> lines_;
};

class TempSocketDir {
public:
    TempSocketDir() {
        char pattern[] = "/tmp/vareko-test-XXXXXX";
        dir_ = mkdtemp(pattern);
        socketPath_ = dir_ + "/display.sock";
        setenv("VAREKO_DISPLAY_SOCKET", socketPath_.c_str(), 1);
        unsetenv(kTokenFileVariable);  // the token file goes beside the socket
    }
    ~TempSocketDir() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    const std::string& SocketPath() const { return socketPath_; }
    const std::string& Dir() const { return dir_; }

private:
    std::string dir_;
    std::string socketPath_;
};

class ServiceRunner {
public:
    explicit ServiceRunner(std::string socketPath, int httpPort = kHttpDisabled) {
        options_.socketPath = std::move(socketPath);
        options_.httpPort = httpPort;
    }
    ~ServiceRunner() { Stop(); }

    // Settings for the next Start.
    ServiceOptions& Options() { return options_; }

    std::string Start() {
        std::string error = StartWithoutLoop();
        if (error.empty()) RunLoop();
        return error;
    }
    // Listens, but answers nobody until RunLoop: connections and their
    // messages wait, as with a service too busy to answer in time.
    std::string StartWithoutLoop() {
        service_ = std::make_unique<DisplayService>(options_);
        std::string error = service_->Start();
        if (!error.empty()) service_.reset();
        return error;
    }
    void RunLoop() { thread_ = std::thread([this] { service_->Run(); }); }
    void Stop() {
        if (!service_) return;
        service_->RequestStop();
        if (thread_.joinable()) thread_.join();
        service_.reset();
    }
    // Processor time the service's loop thread has used so far.
    std::chrono::nanoseconds LoopCpuTime() {
        clockid_t clock;
        timespec used{};
        if (!service_ || pthread_getcpuclockid(thread_.native_handle(), &clock) != 0 ||
            clock_gettime(clock, &used) != 0) {
            return {};
        }
        return std::chrono::seconds(used.tv_sec) + std::chrono::nanoseconds(used.tv_nsec);
    }
    int HttpPort() const { return service_ ? service_->HttpPort() : kHttpDisabled; }
    int TcpPort() const { return service_ ? service_->TcpPort() : kTcpDisabled; }
    std::string TokenPath() const { return service_ ? service_->TokenPath() : std::string(); }

private:
    ServiceOptions options_;
    std::unique_ptr<DisplayService> service_;
    std::thread thread_;
};

// The device library as the program sees it: dlopen and GetInterface(2).
class LoadedLibrary {
public:
    LoadedLibrary() {
        handle_ = dlopen(VAREKO_DISPLAY_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
        if (handle_ == nullptr) return;
        getInterface_ = reinterpret_cast<link::GetInterfaceFunction>(dlsym(handle_, link::kGetInterfaceExport));
        if (getInterface_ != nullptr) table_ = getInterface_(link::kInterfaceVersion);
    }
    ~LoadedLibrary() {
        if (table_ != nullptr) table_->deinit();
        if (handle_ != nullptr) dlclose(handle_);
    }
    const link::InterfaceTable* Table() const { return table_; }
    link::GetInterfaceFunction GetInterface() const { return getInterface_; }

private:
    void* handle_ = nullptr;
    link::GetInterfaceFunction getInterface_ = nullptr;
    const link::InterfaceTable* table_ = nullptr;
};

// A raw protocol client for tests that speak the wire format directly.
class RawClient {
public:
    explicit RawClient(const std::string& path) : fd_(ConnectToService(path)) {}
    ~RawClient() {
        if (fd_ >= 0) close(fd_);
    }
    bool Connected() const { return fd_ >= 0; }
    bool SendBytes(const std::vector<std::uint8_t>& bytes) {
        return send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
    }
    bool Send(const ClientMessage& message) { return SendBytes(EncodeClientMessage(message)); }
    // The next message within `timeoutMs`, or nothing.
    bool Receive(ServiceMessage& out, int timeoutMs = 2000) {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, timeoutMs) <= 0) return false;
        std::vector<std::uint8_t> buffer(kMaxServiceMessageBytes);
        const ssize_t n = recv(fd_, buffer.data(), buffer.size(), MSG_DONTWAIT);
        if (n <= 0) return false;
        buffer.resize(static_cast<std::size_t>(n));
        return DecodeServiceMessage(buffer, out) == DecodeStatus::kOk;
    }
    template <typename T>
    bool ReceiveType(T& out, int timeoutMs = 2000) {
        ServiceMessage m;
        while (Receive(m, timeoutMs)) {
            if (auto* t = std::get_if<T>(&m)) {
                out = std::move(*t);
                return true;
            }
        }
        return false;
    }
    // True once the service has closed this connection.
    bool ClosedByPeer(int timeoutMs = 2000) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        std::uint8_t buffer[kMaxServiceMessageBytes];
        while (std::chrono::steady_clock::now() < deadline) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0) continue;
            const ssize_t n = recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n == 0 || (n < 0 && errno != EAGAIN)) return true;
        }
        return false;
    }
    bool Hello(ClientRole role, const std::string& name = "raw") {
        HelloMessage hello;
        hello.role = role;
        hello.name = name;
        WelcomeMessage welcome;
        return Send(hello) && ReceiveType(welcome) && welcome.result == 0;
    }
    int Fd() const { return fd_; }

private:
    int fd_;
};

}  // namespace vareko::displayservice::testing
