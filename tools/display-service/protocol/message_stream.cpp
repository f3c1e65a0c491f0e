// Stream framing: a received message is handed out in place and its bytes are
// reclaimed when the caller asks for room again.
#include "tools/display-service/protocol/message_stream.h"

#include <cstring>

#include "tools/display-service/protocol/wire_format.h"

namespace vareko::displayservice {

// Room for one whole message plus the start of the next, so that a full
// message always fits after compaction.
MessageStream::MessageStream(std::size_t maxMessageBytes)
    : maxMessageBytes_(maxMessageBytes), buffer_(2 * maxMessageBytes) {}

std::span<std::uint8_t> MessageStream::FreeSpace() {
    if (begin_ == end_) {
        begin_ = end_ = 0;
    } else if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    return {buffer_.data() + end_, buffer_.size() - end_};
}

void MessageStream::Commit(std::size_t count) { end_ += count; }

MessageStream::Next MessageStream::Take(std::span<const std::uint8_t>& message) {
    const std::size_t available = end_ - begin_;
    if (available < kHeaderBytes) return Next::kIncomplete;
    const std::uint8_t* p = buffer_.data() + begin_;
    const std::uint64_t payload = static_cast<std::uint64_t>(p[0]) | (static_cast<std::uint64_t>(p[1]) << 8) |
                                  (static_cast<std::uint64_t>(p[2]) << 16) | (static_cast<std::uint64_t>(p[3]) << 24);
    if (payload > maxMessageBytes_ - kHeaderBytes) return Next::kTooLong;
    const std::size_t total = kHeaderBytes + static_cast<std::size_t>(payload);
    if (available < total) return Next::kIncomplete;
    message = {p, total};
    begin_ += total;
    return Next::kMessage;
}

bool MessageStream::TakeRaw(std::size_t count, std::span<const std::uint8_t>& bytes) {
    if (end_ - begin_ < count) return false;
    bytes = {buffer_.data() + begin_, count};
    begin_ += count;
    return true;
}

}  // namespace vareko::displayservice
