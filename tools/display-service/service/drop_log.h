// The service's record of the clients it drops: one line each, naming the
// client (id, transport, pid and uid or TCP port) and the check that failed,
// so that a user whose program lost its link can see why. A flood of bad
// clients cannot fill the disk: at most kDropLinesPerWindow lines per
// kDropLogWindow, then one line that counts the rest. Plain C++; the caller
// passes the time, so tests drive the limit without waiting.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vareko::displayservice {

enum class DropReason {
    kLeft,             // the client closed its end: not logged
    kForeignUser,      // a Unix peer of another user
    kNoCredentials,    // the kernel did not name a Unix peer
    kBadToken,         // a TCP client's first bytes were not the token
    kTokenTimeout,     // a TCP client sent no token in time
    kPendingEvicted,   // too many TCP clients without a token: the oldest goes
    kTcpFull,          // every TCP place is taken
    kMalformed,        // a message failed decoding
    kTooLong,          // a message longer than the largest valid one
    kOutOfOrder,       // a message before Hello, or a second Hello
    kWrongRole,        // a message the client's role may not send
    kVersionRefused,   // Hello with another protocol version
    kNotReading,       // hundreds of messages queued: the client is stuck
    kDescriptors,      // the process ran out of descriptors
    kBadFrameSlot,     // a frame slot that failed its checks, or a bad frame in it
};

struct DroppedClient {
    std::uint32_t id = 0;  // 0 when dropped before it became a client
    bool tcp = false;
    long pid = 0;          // Unix clients
    long uid = -1;         // Unix clients
    int port = 0;          // TCP clients: the peer's port on 127.0.0.1
};

constexpr auto kDropLogWindow = std::chrono::seconds(60);
constexpr int kDropLinesPerWindow = 100;

// The line for one drop, without a trailing newline.
std::string DescribeDrop(const DroppedClient& who, DropReason why, std::string_view detail);

class DropLog {
public:
    using Sink = std::function<void(const std::string& line)>;
    explicit DropLog(Sink sink) : sink_(std::move(sink)) {}

    // Logs the drop unless the window's lines are used up (kLeft: never).
    void Record(const DroppedClient& who, DropReason why, std::string_view detail, std::chrono::steady_clock::time_point now);
    // Reports what a finished window left out, without waiting for the next drop.
    void Tick(std::chrono::steady_clock::time_point now);

private:
    // Starts a new window when the current one is over, reporting what the
    // old one left out.
    void Roll(std::chrono::steady_clock::time_point now);

    Sink sink_;
    std::chrono::steady_clock::time_point windowStart_{};
    bool started_ = false;
    int linesInWindow_ = 0;
    long suppressed_ = 0;
};

}  // namespace vareko::displayservice
