// vareko-send: sends telemetry datagrams to the dashboard without a
// simulator: a synthetic flight, or a recording made with `record` played
// back with `replay`. Ctrl-C ends every mode cleanly (a recording is flushed).
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tools/send/options.h"
#include "tools/send/send_loops.h"
#include "tools/send/udp_socket.h"

namespace {

using namespace vareko::send;

std::atomic<bool> stopRequested{false};

void OnStopSignal(int) { stopRequested.store(true); }

void InstallStopHandlers() {
    struct sigaction action{};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "vareko-send: %s\n", message.c_str());
    return 1;
}

int SendFlight(const Options& options) {
    UdpSender sender;
    std::string error;
    if (!sender.Open(options.host, options.port, error)) return Fail(error);
    SteadyPaceClock clock;
    const FlightRun run{options.rateHz, options.speed, options.startS, options.limits, options.pattern};
    const RunResult result = RunFlight(run, clock, [&](std::string_view d) { return sender.Send(d); },
                                       stopRequested);
    return result.failed ? Fail("sending failed after " + std::to_string(result.datagrams) + " datagrams") : 0;
}

int Record(const Options& options) {
    std::ofstream out(options.file, std::ios::binary | std::ios::trunc);
    if (!out) return Fail("cannot write " + options.file);
    UdpListener listener;
    std::string error;
    if (!listener.Bind(options.port, error)) return Fail(error);
    SteadyPaceClock clock;
    const RunResult result = RunRecord(listener, options.limits, clock, out, stopRequested);
    std::fprintf(stderr, "vareko-send: recorded %llu datagrams to %s\n",
                 static_cast<unsigned long long>(result.datagrams), options.file.c_str());
    if (!out) return Fail("writing " + options.file + " failed");
    return result.failed ? Fail("receiving failed") : 0;
}

int Replay(const Options& options) {
    std::ifstream in(options.file, std::ios::binary);
    if (!in) return Fail("cannot read " + options.file);
    std::vector<RecordedDatagram> datagrams;
    if (const RecordingStatus status = ReadRecording(in, datagrams); status != RecordingStatus::kOk) {
        return Fail(options.file + ": " + DescribeRecordingStatus(status));
    }
    UdpSender sender;
    std::string error;
    if (!sender.Open(options.host, options.port, error)) return Fail(error);

    // The progress line is for a person watching; a pipe or log gets nothing.
    const bool showProgress = isatty(STDOUT_FILENO) == 1;
    SteadyPaceClock clock;
    std::uint64_t lastPrintUs = 0;
    auto progress = [&](const ReplayProgress& p) {
        const std::uint64_t now = clock.NowUs();
        if (!showProgress || (now - lastPrintUs < 200000 && p.sent != p.total)) return;
        lastPrintUs = now;
        std::printf("\r%s", FormatReplayProgress(p).c_str());
        std::fflush(stdout);
    };
    const RunResult result = RunReplay(datagrams, options.speed, options.limits, clock,
                                       [&](std::string_view d) { return sender.Send(d); }, progress,
                                       stopRequested);
    if (showProgress) std::printf("\n");
    return result.failed ? Fail("sending failed after " + std::to_string(result.datagrams) + " datagrams") : 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    std::string error;
    if (!ParseOptions({argv + 1, static_cast<std::size_t>(argc - 1)}, options, error)) {
        std::fprintf(stderr, "vareko-send: %s\n%s", error.c_str(), UsageText());
        return 2;
    }
    InstallStopHandlers();
    switch (options.mode) {
        case Mode::kHelp: std::printf("%s", UsageText()); return 0;
        case Mode::kFlight: return SendFlight(options);
        case Mode::kRecord: return Record(options);
        case Mode::kReplay: return Replay(options);
    }
    return 1;
}
