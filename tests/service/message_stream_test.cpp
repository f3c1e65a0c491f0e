// Stream framing: messages cut at any byte boundary come out whole, several
// in one read come out one by one, and an announced length beyond the limit
// is refused before any payload is buffered.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "tools/display-service/protocol/message_codec.h"
#include "tools/display-service/protocol/message_stream.h"

namespace vareko::displayservice {
namespace {

void Feed(MessageStream& stream, std::span<const std::uint8_t> bytes) {
    const auto room = stream.FreeSpace();
    ASSERT_GE(room.size(), bytes.size());
    std::copy(bytes.begin(), bytes.end(), room.begin());
    stream.Commit(bytes.size());
}

std::vector<std::uint8_t> FrameBytes(std::uint8_t fill) {
    FrameMessage frame;
    const std::vector<std::uint8_t> pixels(kDevicePixelBytes, fill);
    frame.priority = 7;
    frame.pixels = pixels;
    return EncodeClientMessage(frame);
}

TEST(MessageStreamTest, AMessageSplitAtAnyPointComesOutWholeOnceComplete) {
    const std::vector<std::uint8_t> hello = EncodeClientMessage(HelloMessage{});
    for (std::size_t cut = 0; cut <= hello.size(); ++cut) {
        MessageStream stream(kMaxClientMessageBytes);
        std::span<const std::uint8_t> message;
        Feed(stream, std::span(hello).first(cut));
        if (cut < hello.size()) {
            EXPECT_EQ(stream.Take(message), MessageStream::Next::kIncomplete) << "cut " << cut;
            Feed(stream, std::span(hello).subspan(cut));
        }
        ASSERT_EQ(stream.Take(message), MessageStream::Next::kMessage) << "cut " << cut;
        EXPECT_TRUE(std::equal(message.begin(), message.end(), hello.begin(), hello.end()));
        EXPECT_EQ(stream.Take(message), MessageStream::Next::kIncomplete);
    }
}

TEST(MessageStreamTest, BackToBackFramesAcrossManyReadsKeepTheirOrder) {
    MessageStream stream(kMaxClientMessageBytes);
    std::vector<std::uint8_t> bytes;
    for (std::uint8_t fill = 1; fill <= 5; ++fill) {
        const auto frame = FrameBytes(fill);
        bytes.insert(bytes.end(), frame.begin(), frame.end());
    }
    // Reads of an odd size, so that header and payload boundaries move.
    std::vector<std::uint8_t> fills;
    std::span<const std::uint8_t> rest(bytes);
    while (!rest.empty() || stream.Buffered() > 0) {
        const std::size_t chunk = std::min<std::size_t>(rest.size(), 3001);
        Feed(stream, rest.first(chunk));
        rest = rest.subspan(chunk);
        std::span<const std::uint8_t> message;
        while (stream.Take(message) == MessageStream::Next::kMessage) {
            ClientMessage decoded;
            ASSERT_EQ(DecodeClientMessage(message, decoded), DecodeStatus::kOk);
            fills.push_back(std::get<FrameMessage>(decoded).pixels[0]);
        }
        if (rest.empty() && stream.Buffered() > 0) FAIL() << stream.Buffered() << " bytes left over";
    }
    EXPECT_EQ(fills, (std::vector<std::uint8_t>{1, 2, 3, 4, 5}));
}

TEST(MessageStreamTest, AnnouncedLengthBeyondTheLimitIsRefused) {
    MessageStream stream(kMaxClientMessageBytes);
    const std::uint32_t payload = kMaxClientMessageBytes - kHeaderBytes + 1;
    std::uint8_t header[kHeaderBytes] = {};
    std::memcpy(header, &payload, sizeof payload);
    Feed(stream, header);
    std::span<const std::uint8_t> message;
    EXPECT_EQ(stream.Take(message), MessageStream::Next::kTooLong);
}

TEST(MessageStreamTest, RawPreambleThenMessages) {
    MessageStream stream(kMaxClientMessageBytes);
    const std::vector<std::uint8_t> hello = EncodeClientMessage(HelloMessage{});
    const std::uint8_t preamble[4] = {'a', 'b', 'c', 'd'};
    Feed(stream, std::span(preamble).first(3));
    std::span<const std::uint8_t> raw;
    EXPECT_FALSE(stream.TakeRaw(4, raw));
    Feed(stream, std::span(preamble).subspan(3));
    Feed(stream, hello);
    ASSERT_TRUE(stream.TakeRaw(4, raw));
    EXPECT_TRUE(std::equal(raw.begin(), raw.end(), preamble));
    std::span<const std::uint8_t> message;
    ASSERT_EQ(stream.Take(message), MessageStream::Next::kMessage);
    EXPECT_EQ(message.size(), hello.size());
}

}  // namespace
}  // namespace vareko::displayservice
