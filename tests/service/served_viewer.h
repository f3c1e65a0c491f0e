// A real `vareko-display serve` child process with its viewer on a free
// port (no TCP), for tests that talk HTTP to it over raw sockets: connect to
// a loopback address, send, read until closed, the owner's requests with the
// cookie that its printed address trades for, and the child's memory and
// CPU use from /proc. Run it inside a testing::TempSocketDir.
#pragma once

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/service/service_harness.h"

namespace vareko::displayservice::testing {

constexpr auto kOwnerAnswerBound = std::chrono::seconds(1);

// `vareko-display ARGUMENTS`: its standard output (with its standard error
// when `withErrors`), and its exit status through `status`.
inline std::string ToolOutput(const std::string& arguments, int& status, bool withErrors = false) {
    const std::string command =
        std::string(VAREKO_DISPLAY_TOOL_PATH) + " " + arguments + (withErrors ? " 2>&1" : " 2>/dev/null");
    FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    char buffer[256];
    while (pipe != nullptr && std::fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
    const int raw = pipe != nullptr ? pclose(pipe) : -1;
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return out;
}

// `address` in dotted form, "127.0.0.1" unless given; -1 when refused.
inline int ConnectLoopback(int port, const char* address = "127.0.0.1") {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(static_cast<std::uint16_t>(port));
    inet_pton(AF_INET, address, &where.sin_addr);
    if (connect(fd, reinterpret_cast<const sockaddr*>(&where), sizeof where) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

inline bool SendAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Reads until the peer closes or `timeout` passes.
inline std::string ReceiveUntilClosed(int fd, std::chrono::milliseconds timeout) {
    using Clock = std::chrono::steady_clock;
    std::string text;
    const auto deadline = Clock::now() + timeout;
    char buffer[4096];
    while (Clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (poll(&p, 1, static_cast<int>(left.count()) + 1) <= 0) break;
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
}

// True when the peer has closed `fd` (nothing more will come).
inline bool PeerClosed(int fd) {
    pollfd p{fd, POLLIN, 0};
    char byte;
    return poll(&p, 1, 0) == 1 && recv(fd, &byte, 1, MSG_DONTWAIT | MSG_PEEK) == 0;
}

// `vareko-display serve --http-port 0 --no-tcp EXTRA...`; the owner's
// address is read from its first lines.
class ServedViewer {
public:
    explicit ServedViewer(const std::vector<std::string>& extra = {}) {
        using Clock = std::chrono::steady_clock;
        std::vector<std::string> args = {"vareko-display", "serve", "--http-port", "0", "--no-tcp"};
        args.insert(args.end(), extra.begin(), extra.end());
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        int out[2];
        if (pipe(out) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], STDOUT_FILENO);
            execv(VAREKO_DISPLAY_TOOL_PATH, argv.data());
            _exit(127);
        }
        close(out[1]);
        out_ = out[0];
        const std::regex urlLine(R"(viewer https?://127\.0\.0\.1:(\d+)/\?key=([0-9a-f]{64})\n)");
        std::smatch match;
        const auto deadline = Clock::now() + std::chrono::seconds(5);
        while (!std::regex_search(printed_, match, urlLine) && Clock::now() < deadline && ReadPrinted()) {
        }
        if (match.empty()) return;
        port_ = std::stoi(match[1]);
        secret_ = match[2].str();
        cookie_ = "vareko_viewer_" + match[1].str() + "=" + secret_;
    }
    ~ServedViewer() {
        if (out_ >= 0) close(out_);
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
        // A sanitizer's report in the child ends it with a failure status.
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the service ended with status " << status;
    }
    ServedViewer(const ServedViewer&) = delete;
    ServedViewer& operator=(const ServedViewer&) = delete;

    bool Running() const { return port_ > 0; }
    int Port() const { return port_; }
    const std::string& Secret() const { return secret_; }
    const std::string& Cookie() const { return cookie_; }
    const std::string& Printed() const { return printed_; }
    // Reads what the service prints until `part` is in it or 5 s passed.
    bool WaitPrinted(std::string_view part) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (printed_.find(part) == std::string::npos && std::chrono::steady_clock::now() < deadline && ReadPrinted()) {
        }
        return printed_.find(part) != std::string::npos;
    }

    // A request with the owner's cookie, Host `host` (127.0.0.1 unless given).
    std::string OwnerRequest(std::string_view methodAndPath, std::string_view host = "127.0.0.1") const {
        return std::string(methodAndPath) + " HTTP/1.1\r\nHost: " + std::string(host) + ":" + std::to_string(port_) +
               "\r\nCookie: " + cookie_ + "\r\nConnection: close\r\n\r\n";
    }

    // The owner's GET /api/state on `address`: true when it answered 200
    // within the bound.
    bool OwnerStateAnswers(std::chrono::milliseconds& took, const char* address = "127.0.0.1") const {
        const auto started = std::chrono::steady_clock::now();
        const int fd = ConnectLoopback(port_, address);
        if (fd < 0) return false;
        const bool sent = SendAll(fd, OwnerRequest("GET /api/state", address));
        const std::string answer = sent ? ReceiveUntilClosed(fd, std::chrono::milliseconds(2000)) : std::string();
        close(fd);
        took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
        return answer.starts_with("HTTP/1.1 200") && answer.find("\"pixels\"") != std::string::npos &&
               took < kOwnerAnswerBound;
    }

    long StatusKiB(const char* field) const {
        std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.starts_with(field)) return std::stol(line.substr(std::strlen(field)));
        }
        return -1;
    }

    // User plus system time so far, in clock ticks.
    long CpuTicks() const {
        std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
        std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        std::istringstream fields(text.substr(text.rfind(')') + 2));
        std::string skip;
        for (int i = 3; i < 14; ++i) fields >> skip;  // fields 3..13
        long user = 0;
        long system = 0;
        fields >> user >> system;
        return user + system;
    }

private:
    // False once the service closed its output.
    bool ReadPrinted() {
        pollfd p{out_, POLLIN, 0};
        char buffer[512];
        if (poll(&p, 1, 100) <= 0) return true;
        const ssize_t n = read(out_, buffer, sizeof buffer);
        if (n <= 0) return false;
        printed_.append(buffer, static_cast<std::size_t>(n));
        return true;
    }

    int out_ = -1;
    pid_t pid_ = -1;
    int port_ = 0;
    std::string secret_;
    std::string cookie_;
    std::string printed_;
};

}  // namespace vareko::displayservice::testing
