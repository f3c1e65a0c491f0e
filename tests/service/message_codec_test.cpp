// The protocol codec: every message survives encode/decode, and malformed
// input is refused with the reason that the service acts on.
#include <gtest/gtest.h>

#include <iterator>
#include <random>

#include "tools/display-service/protocol/message_codec.h"
#include "tools/display-service/protocol/utf8_cut.h"

namespace vareko::displayservice {
namespace {

std::vector<std::uint8_t> WithHeader(std::uint16_t type, std::vector<std::uint8_t> payload,
                                     std::uint16_t reserved = 0) {
    std::vector<std::uint8_t> bytes(8);
    const auto n = static_cast<std::uint32_t>(payload.size());
    for (int i = 0; i < 4; ++i) bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(n >> (8 * i));
    bytes[4] = static_cast<std::uint8_t>(type);
    bytes[5] = static_cast<std::uint8_t>(type >> 8);
    bytes[6] = static_cast<std::uint8_t>(reserved);
    bytes[7] = static_cast<std::uint8_t>(reserved >> 8);
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    return bytes;
}

std::vector<std::uint8_t> Words(std::initializer_list<std::uint32_t> words) {
    std::vector<std::uint8_t> out;
    for (std::uint32_t w : words) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(w >> (8 * i)));
    }
    return out;
}

TEST(MessageCodec, ClientMessagesRoundTrip) {
    std::vector<std::uint8_t> pixels(kDevicePixelBytes);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint8_t>(i * 7);
    HelloMessage hello;
    hello.role = ClientRole::kControl;
    hello.connectFlag1 = 0x11223344;
    hello.name = "VAREKO v1.2 \xC3\xA9";
    const std::vector<ClientMessage> messages = {
        hello, OpenMessage{0, 42}, CloseMessage{}, FrameMessage{0xFFFFFFFF, pixels},
        SetDeviceFlagMessage{7}, ButtonMessage{3, true}, PlugMessage{false},
        SnapshotRequestMessage{}, StatusRequestMessage{}, WatchMessage{}, RotateSecretMessage{},
        ViewerUrlsRequestMessage{},
    };
    for (const ClientMessage& m : messages) {
        const auto bytes = EncodeClientMessage(m);
        ClientMessage decoded;
        ASSERT_EQ(DecodeClientMessage(bytes, decoded), DecodeStatus::kOk) << "type index " << m.index();
        EXPECT_EQ(decoded.index(), m.index());
        EXPECT_EQ(EncodeClientMessage(decoded), bytes);
    }
}

TEST(MessageCodec, ServiceMessagesRoundTrip) {
    SnapshotMessage snapshot;
    snapshot.shownClientId = 9;
    snapshot.pixels[100] = 200;
    const std::vector<ServiceMessage> messages = {
        WelcomeMessage{1, 0, 5, false}, DeviceStateMessage{true}, ButtonsMessage{0xF}, OpenReplyMessage{3, 1167},
        ControlReplyMessage{0}, snapshot, StatusMessage{"device: plugged\n"}, ViewerUrlsMessage{},
        ViewerUrlsMessage{{"http://127.0.0.1:8643/?key=00ff", "http://[2001:db8::7]:8643/?key=00ff"}},
    };
    for (const ServiceMessage& m : messages) {
        const auto bytes = EncodeServiceMessage(m);
        ServiceMessage decoded;
        ASSERT_EQ(DecodeServiceMessage(bytes, decoded), DecodeStatus::kOk) << "type index " << m.index();
        EXPECT_EQ(EncodeServiceMessage(decoded), bytes);
    }
}

TEST(MessageCodec, MalformedClientMessagesAreRefusedWithTheirReason) {
    const auto frame = EncodeClientMessage(FrameMessage{1, std::vector<std::uint8_t>(kDevicePixelBytes)});
    auto badFormat = frame;
    badFormat[12] = 2;  // format word
    auto truncatedFrame = frame;
    truncatedFrame.pop_back();
    auto oversized = frame;
    oversized.push_back(0);
    HelloMessage longName;
    longName.name.assign(kMaxNameBytes + 1, 'x');
    HelloMessage badUtf8;
    badUtf8.name = "\xC3(";
    auto badMagic = EncodeClientMessage(HelloMessage{});
    badMagic[8] ^= 1;

    const struct {
        const char* what;
        std::vector<std::uint8_t> bytes;
        DecodeStatus expected;
    } cases[] = {
        {"empty", {}, DecodeStatus::kShorterThanHeader},
        {"half a header", {4, 0, 0, 0}, DecodeStatus::kShorterThanHeader},
        {"length says more than came", truncatedFrame, DecodeStatus::kLengthMismatch},
        {"larger than any message", oversized, DecodeStatus::kTooLong},
        {"reserved bits", WithHeader(3, {}, 1), DecodeStatus::kBadReserved},
        {"unknown type", WithHeader(999, {}), DecodeStatus::kUnknownType},
        {"service message from a client", WithHeader(66, Words({1})), DecodeStatus::kWrongDirection},
        {"close with payload", WithHeader(3, {0}), DecodeStatus::kBadPayloadSize},
        {"open too short", WithHeader(2, Words({0})), DecodeStatus::kBadPayloadSize},
        {"frame format not 1", badFormat, DecodeStatus::kBadValue},
        {"button index 4", WithHeader(16, Words({4, 1})), DecodeStatus::kBadValue},
        {"button down 2", WithHeader(16, Words({0, 2})), DecodeStatus::kBadValue},
        {"plug 7", WithHeader(17, Words({7})), DecodeStatus::kBadValue},
        {"name too long", EncodeClientMessage(longName), DecodeStatus::kBadPayloadSize},
        {"name not UTF-8", EncodeClientMessage(badUtf8), DecodeStatus::kBadValue},
        {"wrong magic", badMagic, DecodeStatus::kBadValue},
    };
    for (const auto& c : cases) {
        ClientMessage out;
        EXPECT_EQ(DecodeClientMessage(c.bytes, out), c.expected) << c.what;
    }
}

TEST(MessageCodec, ViewerUrlsAreLinesOfPrintableAscii) {
    const auto urls = [](std::string_view text) {
        return WithHeader(71, std::vector<std::uint8_t>(text.begin(), text.end()));
    };
    const struct {
        const char* what;
        std::vector<std::uint8_t> bytes;
        DecodeStatus expected;
        std::size_t count;
    } cases[] = {
        {"none", urls(""), DecodeStatus::kOk, 0},
        {"two", urls("http://a:1/?key=0\nhttp://b:1/?key=0\n"), DecodeStatus::kOk, 2},
        {"last not ended", urls("http://a:1/\nhttp://b"), DecodeStatus::kBadValue, 0},
        {"an empty line", urls("http://a:1/\n\n"), DecodeStatus::kBadValue, 0},
        {"a space", urls("http://a b/\n"), DecodeStatus::kBadValue, 0},
        {"a control character", urls("http://a\x1b[2J/\n"), DecodeStatus::kBadValue, 0},
        {"beyond ASCII", urls("http://\xC3\xA9/\n"), DecodeStatus::kBadValue, 0},
    };
    for (const auto& c : cases) {
        ServiceMessage out;
        ASSERT_EQ(DecodeServiceMessage(c.bytes, out), c.expected) << c.what;
        if (c.expected == DecodeStatus::kOk) {
            EXPECT_EQ(std::get<ViewerUrlsMessage>(out).urls.size(), c.count) << c.what;
        }
    }
    // What does not fit is left out whole.
    const std::string longUrl(kMaxStatusTextBytes / 2, 'u');
    ServiceMessage out;
    ASSERT_EQ(DecodeServiceMessage(EncodeServiceMessage(ViewerUrlsMessage{{longUrl, longUrl, "x"}}), out), DecodeStatus::kOk);
    EXPECT_EQ(std::get<ViewerUrlsMessage>(out).urls, std::vector<std::string>({longUrl}));
}

TEST(MessageCodec, RandomBytesNeverDecodeOutOfBounds) {
    constexpr std::uint16_t kTypes[] = {1, 2, 3, 4, 5, 6, 16, 17, 18, 19, 20, 64, 65, 66, 67, 68, 69, 70};
    std::mt19937 random(1234);
    int decodedClient = 0;
    int decodedService = 0;
    for (int round = 0; round < 5000; ++round) {
        // Half of the rounds keep the header consistent, with a known type and
        // a short payload of whole words, so that the payload decoders are
        // reached; the other half is noise.
        const bool consistent = round % 2 == 0;
        std::vector<std::uint8_t> bytes(consistent ? 8 + 4 * (random() % 4) : random() % 64);
        for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
        if (consistent) {
            const auto n = static_cast<std::uint32_t>(bytes.size() - 8);
            const std::uint16_t type = kTypes[random() % std::size(kTypes)];
            bytes[0] = static_cast<std::uint8_t>(n);
            bytes[1] = bytes[2] = bytes[3] = 0;
            bytes[4] = static_cast<std::uint8_t>(type);
            bytes[5] = bytes[6] = bytes[7] = 0;
        }
        // Whatever decodes is exactly what its message encodes to: nothing
        // read past the bytes, no byte left unread or ignored.
        ClientMessage client;
        if (DecodeClientMessage(bytes, client) == DecodeStatus::kOk) {
            ++decodedClient;
            EXPECT_EQ(EncodeClientMessage(client), bytes) << "round " << round;
        }
        ServiceMessage service;
        if (DecodeServiceMessage(bytes, service) == DecodeStatus::kOk) {
            ++decodedService;
            EXPECT_EQ(EncodeServiceMessage(service), bytes) << "round " << round;
        }
    }
    EXPECT_GT(decodedClient, 20);
    EXPECT_GT(decodedService, 20);
}

TEST(StatusText, IsCutOnACharacterBoundaryWithAVisibleMark) {
    const std::string mark(kCutMark);
    const struct {
        const char* what;
        std::string text;
        std::size_t maxBytes;
        std::string expected;
    } cases[] = {
        {"fits", "abc", 3, "abc"},
        {"ASCII", "abcdefghijklmnopqrstuvwxyz", 12, "abc" + mark},
        {"2-byte character across the cut", "ab\xC3\xA9xxxxxxxxxx", 12, "ab" + mark},
        {"3-byte character across the cut", "a\xE2\x82\xACxxxxxxxxxx", 12, "a" + mark},
        {"4-byte character across the cut", "ab\xF0\x9F\x98\x80xxxxxxxxxx", 12, "ab" + mark},
        {"character ends at the cut", "ab\xC3\xA9xxxxxxxxxx", 13, "ab\xC3\xA9" + mark},
    };
    for (const auto& c : cases) EXPECT_EQ(CutAtCharacter(c.text, c.maxBytes), c.expected) << c.what;
}

TEST(StatusText, AnOverlongStatusArrivesCutAndWellFormed) {
    std::string text;
    while (text.size() <= kMaxStatusTextBytes) text += "client \xE2\x82\xAC\n";  // 12 bytes a line
    ServiceMessage decoded;
    ASSERT_EQ(DecodeServiceMessage(EncodeServiceMessage(StatusMessage{text}), decoded), DecodeStatus::kOk);
    const std::string& got = std::get<StatusMessage>(decoded).text;
    EXPECT_LE(got.size(), kMaxStatusTextBytes);
    ASSERT_GE(got.size(), kCutMark.size());
    EXPECT_EQ(got.substr(got.size() - kCutMark.size()), kCutMark);
    const std::size_t kept = got.size() - kCutMark.size();
    EXPECT_EQ(text.compare(0, kept, got, 0, kept), 0);
    EXPECT_NE(static_cast<unsigned char>(text[kept]) & 0xC0, 0x80) << "cut inside a character";
}

}  // namespace
}  // namespace vareko::displayservice
