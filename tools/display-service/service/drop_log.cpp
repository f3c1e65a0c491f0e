// Drop lines and their rate limit.
#include "tools/display-service/service/drop_log.h"

#include <iterator>

namespace vareko::displayservice {
namespace {

// Indexed by DropReason.
constexpr const char* kReasonText[] = {
    "left",
    "peer runs as another user",
    "peer credentials unreadable",
    "wrong token",
    "no token within the deadline",
    "too many TCP connections without a token; the oldest is closed",
    "TCP connection limit reached",
    "malformed message",
    "message longer than the protocol allows",
    "message out of order (Hello must come first, once)",
    "message not allowed for the client's role",
    "protocol version refused",
    "not reading: reply queue full",
    "out of file descriptors",
    "frame slot refused",
};
static_assert(std::size(kReasonText) == static_cast<std::size_t>(DropReason::kBadFrameSlot) + 1);

}  // namespace

std::string DescribeDrop(const DroppedClient& who, DropReason why, std::string_view detail) {
    std::string line = "vareko-display: dropped ";
    line += who.id != 0 ? "client " + std::to_string(who.id) : std::string("connection");
    if (who.tcp) {
        line += who.port != 0 ? " (tcp 127.0.0.1:" + std::to_string(who.port) + ")" : std::string(" (tcp)");
    } else if (who.uid >= 0) {
        line += " (unix pid " + std::to_string(who.pid) + " uid " + std::to_string(who.uid) + ")";
    } else {
        line += " (unix)";
    }
    line += ": ";
    line += kReasonText[static_cast<int>(why)];
    if (!detail.empty()) {
        line += " (";
        line += detail;
        line += ")";
    }
    return line;
}

void DropLog::Roll(std::chrono::steady_clock::time_point now) {
    if (started_ && now - windowStart_ < kDropLogWindow) return;
    if (suppressed_ > 0) {
        sink_("vareko-display: " + std::to_string(suppressed_) + " more dropped connections in the last " +
              std::to_string(std::chrono::duration_cast<std::chrono::seconds>(kDropLogWindow).count()) +
              " s were not logged one by one");
    }
    started_ = true;
    windowStart_ = now;
    linesInWindow_ = 0;
    suppressed_ = 0;
}

void DropLog::Tick(std::chrono::steady_clock::time_point now) {
    if (suppressed_ > 0) Roll(now);
}

void DropLog::Record(const DroppedClient& who, DropReason why, std::string_view detail, std::chrono::steady_clock::time_point now) {
    if (why == DropReason::kLeft) return;
    Roll(now);
    if (linesInWindow_ >= kDropLinesPerWindow) {
        ++suppressed_;
        return;
    }
    ++linesInWindow_;
    sink_(DescribeDrop(who, why, detail));
}

}  // namespace vareko::displayservice
