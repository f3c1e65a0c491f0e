// vareko-send apart from the flight: option parsing, the recording format,
// the pacing of the send and replay loops (on a test clock) and recording
// from a real socket on a free port.
#include <gtest/gtest.h>

#include <atomic>
#include <sstream>
#include <thread>
#include <vector>

#include "tools/send/options.h"
#include "tools/send/recording.h"
#include "tools/send/send_loops.h"
#include "tools/send/udp_socket.h"

namespace vareko::send {
namespace {

// Jumps to the requested time instead of sleeping and remembers each wake-up.
class JumpClock final : public PaceClock {
public:
    std::uint64_t NowUs() override { return nowUs; }
    void SleepUntilUs(std::uint64_t wakeUs) override {
        if (wakeUs > nowUs) nowUs = wakeUs;
        wakes.push_back(nowUs);
    }
    std::uint64_t nowUs = 5'000'000;
    std::vector<std::uint64_t> wakes;
};

struct Captured {
    std::vector<std::string> datagrams;
    std::vector<std::uint64_t> timesUs;
};

DatagramSink CaptureInto(Captured& c, JumpClock& clock) {
    return [&c, &clock](std::string_view d) {
        c.datagrams.emplace_back(d);
        c.timesUs.push_back(clock.NowUs());
        return true;
    };
}

const std::atomic<bool> kNoStop{false};

bool Parse(std::vector<const char*> args, Options& o, std::string& error) {
    return ParseOptions(args, o, error);
}

TEST(SendOptions, AcceptsEachModeWithItsFlags) {
    Options o;
    std::string error;
    ASSERT_TRUE(Parse({"--host", "10.0.0.2", "--port", "7000", "--rate", "50", "--count", "9"}, o, error)) << error;
    EXPECT_EQ(Mode::kFlight, o.mode);
    EXPECT_EQ("10.0.0.2", o.host);
    EXPECT_EQ(7000, o.port);
    EXPECT_EQ(50.0, o.rateHz);
    EXPECT_EQ(9u, o.limits.count.value_or(0));
    EXPECT_FALSE(o.limits.durationS);

    Options r;
    ASSERT_TRUE(Parse({"replay", "f.rec", "--speed", "4", "--duration", "2.5"}, r, error)) << error;
    EXPECT_EQ(Mode::kReplay, r.mode);
    EXPECT_EQ("f.rec", r.file);
    EXPECT_EQ(4.0, r.speed);
    EXPECT_EQ(2.5, r.limits.durationS.value_or(0));

    Options defaults;
    ASSERT_TRUE(Parse({}, defaults, error));
    EXPECT_EQ("127.0.0.1", defaults.host);
    EXPECT_EQ(6060, defaults.port);
}

TEST(SendOptions, RejectsBadCommandsWithAMessage) {
    const std::vector<std::vector<const char*>> bad = {
        {"--port", "0"},          {"--port", "65536"},     {"--port", "60x"},
        {"--rate", "0"},          {"--rate", "-3"},        {"--rate", "nan"},
        {"--rate", "10001"},
        {"--speed", "0"},         {"--count", "-1"},       {"--duration", "abc"},
        {"--port"},               {"--bogus", "1"},        {"record"},
        {"record", "--port", "1"}, {"record", "f", "--host", "x"}, {"record", "f", "--rate", "5"},
        {"replay", "f", "--start", "5"},
    };
    for (const auto& args : bad) {
        Options o;
        std::string error;
        EXPECT_FALSE(Parse(args, o, error)) << args.front();
        EXPECT_FALSE(error.empty());
    }
}

TEST(Recording, RoundTripsAnyBytesAndKeepsTheTiming) {
    const std::vector<RecordedDatagram> original = {
        {0, "src=export.lua;asl=1;"},
        {50'000, std::string("line\nfeed\0nul", 13)},
        {50'000, ""},
        {1'250'000, std::string(kMaxDatagramBytes, 'x')},
    };
    std::stringstream file;
    WriteRecordingHeader(file);
    for (const auto& d : original) WriteRecordedDatagram(file, d);

    std::vector<RecordedDatagram> read;
    ASSERT_EQ(RecordingStatus::kOk, ReadRecording(file, read));
    ASSERT_EQ(original.size(), read.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
        EXPECT_EQ(original[i].offsetUs, read[i].offsetUs);
        EXPECT_EQ(original[i].bytes, read[i].bytes);
    }
}

TEST(Recording, ReportsDamagedFilesAndKeepsWhatCameBefore) {
    const std::string header = "vareko-send recording 1\n";
    const std::string good = "10 3\nabc\n";
    const struct {
        std::string text;
        RecordingStatus status;
        std::size_t kept;
    } cases[] = {
        {"", RecordingStatus::kBadHeader, 0},
        {"some other file\n10 3\nabc\n", RecordingStatus::kBadHeader, 0},
        {header + good + "20 5\nab", RecordingStatus::kMalformedEntry, 1},      // cut short
        {header + good + "20 3\nabcd\n", RecordingStatus::kMalformedEntry, 1},  // length lies
        {header + good + "20\nabc\n", RecordingStatus::kMalformedEntry, 1},
        {header + good + "20 99999999\n", RecordingStatus::kMalformedEntry, 1},
        {header + good + "5 1\nz\n", RecordingStatus::kOffsetsNotMonotonic, 1},
        {header + good, RecordingStatus::kOk, 1},
    };
    for (const auto& c : cases) {
        std::istringstream in(c.text);
        std::vector<RecordedDatagram> read;
        EXPECT_EQ(c.status, ReadRecording(in, read)) << c.text;
        EXPECT_EQ(c.kept, read.size()) << c.text;
    }
}

TEST(SendLoops, FlightIsPacedByIndexAndBoundedByCountOrDuration) {
    JumpClock clock;
    Captured out;
    FlightRun run;
    run.rateHz = 20;
    run.limits.count = 5;
    const RunResult r = RunFlight(run, clock, CaptureInto(out, clock), kNoStop);
    EXPECT_EQ(5u, r.datagrams);
    EXPECT_FALSE(r.failed);
    ASSERT_EQ(5u, out.timesUs.size());
    for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(5'000'000 + i * 50'000, out.timesUs[i]);
    EXPECT_TRUE(out.datagrams[0].starts_with("src=export.lua;asl="));

    JumpClock clock2;
    Captured out2;
    FlightRun timed;
    timed.rateHz = 10;
    timed.limits.durationS = 1.0;  // datagrams at 0.0 .. 0.9 s
    EXPECT_EQ(10u, RunFlight(timed, clock2, CaptureInto(out2, clock2), kNoStop).datagrams);
}

TEST(SendLoops, FlightStopsWhenTheSinkFailsOrStopIsSet) {
    JumpClock clock;
    int calls = 0;
    FlightRun run;
    const RunResult failed = RunFlight(run, clock, [&](std::string_view) { return ++calls < 3; }, kNoStop);
    EXPECT_TRUE(failed.failed);
    EXPECT_EQ(2u, failed.datagrams);

    const std::atomic<bool> stop{true};
    EXPECT_EQ(0u, RunFlight(run, clock, [](std::string_view) { return true; }, stop).datagrams);
}

TEST(SendLoops, FlightSpeedAndStartMoveThroughTheFlightNotTheWallClock) {
    JumpClock slowClock, fastClock;
    Captured slow, fast;
    FlightRun a;
    a.rateHz = 1;
    a.startS = 100;
    a.limits.count = 3;
    FlightRun b = a;
    b.speed = 10;
    RunFlight(a, slowClock, CaptureInto(slow, slowClock), kNoStop);
    RunFlight(b, fastClock, CaptureInto(fast, fastClock), kNoStop);
    EXPECT_EQ(slow.datagrams[0], fast.datagrams[0]);  // both start at flight time 100
    EXPECT_NE(slow.datagrams[2], fast.datagrams[2]);  // 102 s against 120 s
    EXPECT_EQ(slow.timesUs, fast.timesUs);            // same wall pacing
}

TEST(SendLoops, ReplayKeepsTheRecordedGapsDividedBySpeed) {
    const std::vector<RecordedDatagram> rec = {
        {2'000'000, "a"}, {2'100'000, "b"}, {2'100'000, "c"}, {3'000'000, "d"}};
    const struct {
        double speed;
        RunLimits limits;
        std::vector<std::uint64_t> offsetsUs;
    } cases[] = {
        {1.0, {}, {0, 100'000, 100'000, 1'000'000}},
        {4.0, {}, {0, 25'000, 25'000, 250'000}},
        {0.5, {}, {0, 200'000, 200'000, 2'000'000}},
        {1.0, {2, {}}, {0, 100'000}},
        {1.0, {{}, 0.5}, {0, 100'000, 100'000}},
    };
    for (const auto& c : cases) {
        JumpClock clock;
        Captured out;
        std::vector<ReplayProgress> progress;
        const RunResult r = RunReplay(rec, c.speed, c.limits, clock, CaptureInto(out, clock),
                                      [&](const ReplayProgress& p) { progress.push_back(p); }, kNoStop);
        ASSERT_EQ(c.offsetsUs.size(), r.datagrams);
        for (std::size_t i = 0; i < c.offsetsUs.size(); ++i) {
            EXPECT_EQ(5'000'000 + c.offsetsUs[i], out.timesUs[i]) << c.speed << " #" << i;
            EXPECT_EQ(rec[i].bytes, out.datagrams[i]);
        }
        ASSERT_EQ(r.datagrams, progress.size());
        EXPECT_EQ(4u, progress.back().total);
        EXPECT_DOUBLE_EQ(1.0, progress.back().totalS);
    }
}

TEST(SendLoops, ReplayProgressLineShowsCountTimeAndShare) {
    EXPECT_EQ("replay    120/600 datagrams     6.0/30.0 s   20%",
              FormatReplayProgress({120, 600, 6.0, 30.0}));
}

TEST(SendLoops, RecordCapturesDatagramsFromARealSocketInOrder) {
    UdpListener listener;
    std::string error;
    ASSERT_TRUE(listener.Bind(0, error)) << error;
    const std::uint16_t port = listener.Port();
    ASSERT_NE(0, port);

    std::thread sender([port] {
        UdpSender s;
        std::string e;
        if (!s.Open("127.0.0.1", port, e)) return;
        for (const char* d : {"one", "two", "three"}) {
            s.Send(d);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    SteadyPaceClock clock;
    std::stringstream file;
    RunLimits limits;
    limits.count = 3;
    limits.durationS = 10.0;  // a safety net should the datagrams get lost
    const RunResult r = RunRecord(listener, limits, clock, file, kNoStop);
    sender.join();
    ASSERT_EQ(3u, r.datagrams);

    std::vector<RecordedDatagram> read;
    ASSERT_EQ(RecordingStatus::kOk, ReadRecording(file, read));
    ASSERT_EQ(3u, read.size());
    EXPECT_EQ("one", read[0].bytes);
    EXPECT_EQ("three", read[2].bytes);
    EXPECT_LT(read[0].offsetUs, read[2].offsetUs);
}

TEST(SendLoops, RecordEndsAfterItsDurationWithoutDatagrams) {
    UdpListener listener;
    std::string error;
    ASSERT_TRUE(listener.Bind(0, error)) << error;
    SteadyPaceClock clock;
    std::stringstream file;
    RunLimits limits;
    limits.durationS = 0.05;
    EXPECT_EQ(0u, RunRecord(listener, limits, clock, file, kNoStop).datagrams);
    EXPECT_EQ("vareko-send recording 1\n", file.str());
}

}  // namespace
}  // namespace vareko::send
