// Cuts a byte stream (the TCP transport) into whole protocol messages by the
// length field of each 8-byte header, so that both ends hand the codec exactly
// one message at a time, as the packet socket does by itself. Bytes are
// received straight into the free tail of one buffer; no allocation after
// construction. Depends only on wire_format.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace vareko::displayservice {

class MessageStream {
public:
    enum class Next { kMessage, kIncomplete, kTooLong };

    // `maxMessageBytes` includes the header; a longer announced message is an
    // error (kTooLong), never a reason to grow the buffer.
    explicit MessageStream(std::size_t maxMessageBytes);

    // Where to receive the next bytes; Commit tells how many arrived.
    std::span<std::uint8_t> FreeSpace();
    void Commit(std::size_t count);

    // The next whole message, valid until the next FreeSpace call.
    Next Take(std::span<const std::uint8_t>& message);
    // Exactly `count` raw bytes (the token preamble), or false while fewer
    // have arrived.
    bool TakeRaw(std::size_t count, std::span<const std::uint8_t>& bytes);

    std::size_t Buffered() const { return end_ - begin_; }

private:
    std::size_t maxMessageBytes_;
    std::vector<std::uint8_t> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
};

}  // namespace vareko::displayservice
