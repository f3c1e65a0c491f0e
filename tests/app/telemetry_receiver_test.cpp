// The receiver through a real UDP socket on the loopback address (an
// ephemeral port): datagrams up to the buffer's limit are parsed, longer
// ones are receive errors that leave the record as it was; opening on a
// taken port is reported.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "app/telemetry_parser.h"
#include "app/telemetry_receiver.h"
#include "testing/support/bad_datagrams.h"
#include "testing/support/scanf_reference.h"
#include "testing/support/telemetry_text.h"

namespace vareko {
namespace {

using testing::DatagramText;
using testing::DescribeDifferences;
using testing::PreviousSample;
using testing::WellFormedFields;

class TelemetryReceiverTest : public ::testing::Test {
protected:
    void SetUp() override {
        SOCKET bound = socket(AF_INET, SOCK_DGRAM, 0);
        ASSERT_NE(bound, INVALID_SOCKET);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ASSERT_EQ(bind(bound, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
        socklen_t length = sizeof(target);
        ASSERT_EQ(getsockname(bound, reinterpret_cast<sockaddr*>(&target), &length), 0);
        receiver.Adopt(bound);
        sender = socket(AF_INET, SOCK_DGRAM, 0);
        ASSERT_NE(sender, INVALID_SOCKET);
    }
    void TearDown() override { closesocket(sender); }

    void Send(const std::string& payload) {
        ASSERT_EQ(sendto(sender, payload.data(), payload.size(), 0,
                         reinterpret_cast<const sockaddr*>(&target), sizeof(target)),
                  static_cast<ssize_t>(payload.size()));
    }

    // The record after receiving one datagram into the previous values;
    // ReceiveInto's result is kept in lastResult.
    TelemetrySample ReceivedFrom(const std::string& payload) {
        Send(payload);
        TelemetrySample sample = PreviousSample();
        lastResult = receiver.ReceiveInto(sample);
        return sample;
    }

    TelemetrySample ParsedDirectly(const std::string& text) {
        TelemetrySample sample = PreviousSample();
        ParseTelemetry(text.c_str(), sample);
        return sample;
    }

    // A complete datagram of exactly `bytes` bytes whose last word, acsWord,
    // ends at its last byte: the padding is white space in front of the word.
    static std::string DatagramOfLength(std::size_t bytes, const std::string& acsWord) {
        std::vector<std::string> fields = WellFormedFields();
        fields.back() = acsWord;
        std::string text = DatagramText(fields);
        text.resize(text.size() - 2);  // drop the trailing blank and line feed
        const std::size_t wordAt = text.size() - acsWord.size();
        text.insert(wordAt, bytes - text.size(), ' ');
        return text;
    }

    TelemetryReceiver receiver;
    int lastResult = 0;
    SOCKET sender = INVALID_SOCKET;
    sockaddr_in target{};
};

TEST_F(TelemetryReceiverTest, WellFormedDatagramFillsTheRecord) {
    const std::string text = DatagramText(WellFormedFields());
    EXPECT_EQ(DescribeDifferences(ReceivedFrom(text), ParsedDirectly(text)), "");
    EXPECT_EQ(lastResult, 41);
    EXPECT_NE(DescribeDifferences(ReceivedFrom(text), PreviousSample()), "");
}

TEST_F(TelemetryReceiverTest, DatagramOfExactly1515BytesIsParsedWhole) {
    const std::string text = DatagramOfLength(1515, "ABCDEFGHIJKLMNOPQRS");
    ASSERT_EQ(text.size(), 1515U);
    const TelemetrySample sample = ReceivedFrom(text);
    EXPECT_STREQ(sample.acs, "ABCDEFGHIJKLMNOPQRS");
    EXPECT_EQ(DescribeDifferences(sample, ParsedDirectly(text)), "");
}

TEST_F(TelemetryReceiverTest, LongerDatagramIsAReceiveErrorAndChangesNothing) {
    for (std::size_t bytes : {1516U, 1600U, 9000U}) {
        // Its first 1515 bytes alone would be a complete datagram.
        std::string text = DatagramOfLength(1515, "TRUNCATED");
        text.append(bytes - text.size(), 'x');
        EXPECT_EQ(DescribeDifferences(ReceivedFrom(text), PreviousSample()), "") << bytes;
        EXPECT_EQ(lastResult, -1) << bytes;
    }
    const std::string next = DatagramText(WellFormedFields());
    EXPECT_EQ(DescribeDifferences(ReceivedFrom(next), ParsedDirectly(next)), "");
}

TEST_F(TelemetryReceiverTest, ShorterDatagramIsReadOnlyToItsOwnEnd) {
    const std::string longer = DatagramOfLength(600, "LONGERWORD");
    const std::string shorter = DatagramOfLength(600 - 9, "L");
    ASSERT_EQ(longer.substr(0, shorter.size()), shorter);
    ReceivedFrom(longer);
    EXPECT_STREQ(ReceivedFrom(shorter).acs, "L");
}

TEST_F(TelemetryReceiverTest, EmptyAndForeignDatagramsChangeNothing) {
    for (const std::string& payload : {std::string(), std::string("hello"),
                                      std::string("src=export.lua"), std::string(3, '\0')}) {
        EXPECT_EQ(DescribeDifferences(ReceivedFrom(payload), PreviousSample()), "");
        EXPECT_EQ(lastResult, 0);
    }
}

// The nasty-datagram table through the socket: bytes behind a NUL and the
// buffer's limit are the receiver's business, not the parser's.
TEST_F(TelemetryReceiverTest, BadDatagramsThatFitMatchScanfOnTheReceivedText) {
#ifndef __GLIBC__
    GTEST_SKIP() << "the reference rules are those of the GNU C library's sscanf";
#endif
    for (const testing::BadDatagram& row : testing::BadDatagramsThatFit()) {
        SCOPED_TRACE(row.name);
        TelemetrySample reference = PreviousSample();
        const int referenceCount = testing::ReferenceParse(row.bytes.c_str(), reference);
        EXPECT_EQ(DescribeDifferences(ReceivedFrom(row.bytes), reference), "");
        EXPECT_EQ(lastResult, referenceCount);
    }
}

TEST_F(TelemetryReceiverTest, OversizedBadDatagramsChangeNothing) {
    for (const testing::BadDatagram& row : testing::OversizedDatagrams()) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(DescribeDifferences(ReceivedFrom(row.bytes), PreviousSample()), "");
        EXPECT_EQ(lastResult, -1);
    }
}

TEST_F(TelemetryReceiverTest, QueuedDatagramsAreTakenInOrderWithoutWaiting) {
    TelemetrySample sample = PreviousSample();
    EXPECT_EQ(receiver.ReceiveQueuedInto(sample), TelemetrySource::kNothingQueued);

    const std::string first = DatagramText(WellFormedFields());
    std::vector<std::string> cut = WellFormedFields();
    cut.resize(3);
    cut[1] = "99";
    const std::string second = DatagramText(cut);
    Send(first);
    Send(std::string(2000, 'x'));  // too long: an error, and the queue goes on
    Send(second);
    EXPECT_EQ(receiver.ReceiveQueuedInto(sample), 41);
    EXPECT_EQ(receiver.ReceiveQueuedInto(sample), -1);
    EXPECT_EQ(receiver.ReceiveQueuedInto(sample), 3);
    EXPECT_EQ(receiver.ReceiveQueuedInto(sample), TelemetrySource::kNothingQueued);
    TelemetrySample expected = PreviousSample();
    ParseTelemetry(first.c_str(), expected);
    ParseTelemetry(second.c_str(), expected);
    EXPECT_EQ(DescribeDifferences(sample, expected), "");

    // The blocking receive blocks again afterwards: it waits for the datagram
    // sent from another thread instead of failing on the empty queue.
    std::thread late([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        Send(first);
    });
    EXPECT_EQ(receiver.ReceiveInto(sample), 41);
    late.join();
}

TEST(TelemetryReceiverWithoutSocketTest, ReceiveFailsAtOnceAndChangesNothing) {
    TelemetryReceiver receiver;
    TelemetrySample sample = PreviousSample();
    EXPECT_EQ(receiver.ReceiveInto(sample), -1);
    EXPECT_EQ(receiver.ReceiveQueuedInto(sample), TelemetrySource::kNothingQueued);
    EXPECT_EQ(DescribeDifferences(sample, PreviousSample()), "");
}

// A port that another socket holds: Open says so, with the system's code,
// and the receiver then fails every receive at once instead of waiting.
TEST_F(TelemetryReceiverTest, OpenOnATakenPortReportsTheBindAndReceivesFailAtOnce) {
    TelemetryReceiver second;
    const SourceOpenResult result = second.Open(ntohs(target.sin_port));
    EXPECT_EQ(result.failure, SourceFailure::Bind);
    EXPECT_EQ(result.systemError, WSAEADDRINUSE);
    TelemetrySample sample = PreviousSample();
    EXPECT_EQ(second.ReceiveInto(sample), -1);
    EXPECT_EQ(DescribeDifferences(sample, PreviousSample()), "");

    EXPECT_TRUE(second.Open(0).Opened());
}

}  // namespace
}  // namespace vareko
