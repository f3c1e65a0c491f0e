// The run of one rate. The display service runs in this process on its own
// thread: its frame hook stamps every frame on the service's loop thread the
// moment it is decoded, on the same clock as the relay's stamps, and sees
// every frame (a watching client would get only the newest picture whenever
// it lags, which hides frames exactly when the program falls behind).
#include "testing/e2e/e2e_run.h"

#include <pthread.h>
#include <signal.h>
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "tools/display-service/service/display_service.h"
#include "testing/e2e/latency_match.h"
#include "testing/e2e/timed_relay.h"
#include "testing/harness/child_process.h"
#include "testing/harness/eventually.h"
#include "testing/harness/shadow_dashboard.h"
#include "testing/harness/udp_port.h"
#include "testing/soak/process_usage.h"

namespace vareko::e2e {
namespace {

using harness::Eventually;
using std::chrono::milliseconds;

constexpr std::uint16_t kTelemetryPort = 6060;
constexpr int kPortWaitMs = 10000;
constexpr int kCommandTimeoutMs = 5000;
constexpr milliseconds kFirstFrameTimeout{10000};
constexpr int kSampleEveryMs = 20;
constexpr int kSenderGraceMs = 10000;  // beyond the sending time
constexpr int kQuietAfterMs = 300;     // no new frame for this long: the program has caught up
constexpr milliseconds kDrainTimeout{20000};

// Frames as the service receives them; written on its loop thread.
class FrameLog {
  public:
    explicit FrameLog(std::size_t expected) { frames.reserve(expected); }
    void Add(const std::uint8_t* pixels) {
        const std::uint64_t at = SteadyNowUs();
        const std::uint64_t hash = soak::PanelHash(pixels);
        std::lock_guard lock(mutex);
        frames.push_back({at, hash});
        count.store(frames.size());
    }
    std::size_t Count() const { return count.load(); }
    std::vector<Stamped> Copy() {
        std::lock_guard lock(mutex);
        return frames;
    }

  private:
    std::mutex mutex;
    std::vector<Stamped> frames;
    std::atomic<std::size_t> count{0};
};

class InProcessService {
  public:
    InProcessService(const std::string& socketPath, FrameLog& log) {
        displayservice::ServiceOptions options;
        options.socketPath = socketPath;
        options.httpPort = displayservice::kHttpDisabled;
        options.tcpPort = displayservice::kTcpDisabled;
        options.frameObserver = [&log](const std::uint8_t* pixels) { log.Add(pixels); };
        service = std::make_unique<displayservice::DisplayService>(options);
    }
    ~InProcessService() {
        if (thread.joinable()) {
            service->RequestStop();
            thread.join();
        }
    }
    std::string Start() {
        std::string error = service->Start();
        if (error.empty())
            thread = std::thread([this] { service->Run(); });
        return error;
    }
    // Processor time of the service's loop thread so far.
    std::optional<double> LoopCpuSeconds() {
        clockid_t clock;
        timespec used{};
        if (!thread.joinable() || pthread_getcpuclockid(thread.native_handle(), &clock) != 0 ||
            clock_gettime(clock, &used) != 0)
            return std::nullopt;
        return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) / 1e9;
    }

  private:
    std::unique_ptr<displayservice::DisplayService> service;
    std::thread thread;
};

double Ms(std::uint64_t us) {
    return static_cast<double>(us) / 1000.0;
}

class RateRun {
  public:
    RateRun(const E2eSettings& s, double rate)
        : settings(s),
          folder(MakeFolder()),
          expected(static_cast<std::size_t>(rate * s.durationS * 1.1) + 1000),
          frames(expected),
          service((folder / "display.sock").string(), frames) {
        figures.rateHz = rate;
    }

    ~RateRun() {
        std::error_code ignored;
        if (figures.error.empty())
            std::filesystem::remove_all(folder, ignored);
    }

    RateFigures Execute() {
        if (Measure())
            Evaluate();
        program.Stop(SIGKILL);
        sender.Stop(SIGKILL);
        relay.Stop();
        if (!figures.error.empty())
            figures.logFolder = folder.string();
        return figures;
    }

  private:
    static std::filesystem::path MakeFolder() {
        char pattern[] = "/tmp/vareko-e2e-run-XXXXXX";
        return mkdtemp(pattern);
    }

    bool Fail(const std::string& why) {
        figures.error = why;
        return false;
    }

    bool Measure() {
        setenv("VAREKO_REGISTRY_ROOT", (folder / "registry").c_str(), 1);
        setenv("VAREKO_DISPLAY_SOCKET", (folder / "display.sock").c_str(), 1);
        if (!harness::WaitUdpPortFree(kTelemetryPort, kPortWaitMs)) {
            return Fail(
                "UDP port 6060 is in use by another process (a test of another build, or a running "
                "vareko or vareko-send: see `ss -ulpn 'sport = :6060'`); stop it and run again");
        }
        if (harness::RunCommand({settings.displayTool, "register", settings.library},
                                folder / "register.log", kCommandTimeoutMs) != 0) {
            return Fail("vareko-display register failed");
        }
        if (const std::string e = service.Start(); !e.empty())
            return Fail("display service: " + e);

        const std::uint64_t spawnUs = SteadyNowUs();
        if (!program.Start({settings.program}, folder / "program.log"))
            return Fail("cannot start vareko");
        if (!Eventually([&] { return frames.Count() > 0 || !program.Running(); },
                        kFirstFrameTimeout, milliseconds(1)) ||
            frames.Count() == 0) {
            return Fail("vareko showed no frame within 10 s (" + program.Ending() + ")");
        }
        const Stamped first = frames.Copy().front();
        figures.firstFrameMs = Ms(first.atUs - spawnUs);
        startPicture = first.pictureHash;
        return Send();
    }

    bool Send() {
        if (const std::string e = relay.Open(kTelemetryPort, expected); !e.empty())
            return Fail("relay: " + e);
        relay.Start();
        char rate[32];
        char duration[32];
        std::snprintf(rate, sizeof rate, "%g", figures.rateHz);
        std::snprintf(duration, sizeof duration, "%g", settings.durationS);
        if (!sender.Start({settings.sender, "--port", std::to_string(relay.ListenPort()), "--rate",
                           rate, "--duration", duration, "--pattern", "counter"},
                          folder / "sender.log")) {
            return Fail("cannot start vareko-send");
        }
        if (!Eventually([&] { return relay.Forwarded() > 0 || !sender.Running(); },
                        kFirstFrameTimeout, milliseconds(1)) ||
            relay.Forwarded() == 0) {
            return Fail("vareko-send sent nothing (" + sender.Ending() + ")");
        }
        const std::optional<double> cpuStart = soak::ReadCpuSeconds(program.Pid());
        const std::optional<double> serviceCpuStart = service.LoopCpuSeconds();
        const std::uint64_t cpuStartUs = SteadyNowUs();

        const auto deadline =
            std::chrono::steady_clock::now() +
            milliseconds(static_cast<int>(settings.durationS * 1000) + kSenderGraceMs);
        while (sender.Running()) {
            if (!program.Running())
                return Fail("vareko died: " + program.Ending());
            if (std::chrono::steady_clock::now() > deadline)
                return Fail("vareko-send did not stop in time");
            SampleQueue();
            std::this_thread::sleep_for(milliseconds(kSampleEveryMs));
        }
        const std::optional<double> cpuEnd = soak::ReadCpuSeconds(program.Pid());
        const std::optional<double> serviceCpuEnd = service.LoopCpuSeconds();
        const std::uint64_t cpuEndUs = SteadyNowUs();
        if (sender.Ending() != "exited with status 0")
            return Fail("vareko-send " + sender.Ending());
        const double windowS = static_cast<double>(cpuEndUs - cpuStartUs) / 1e6;
        if (cpuStart && cpuEnd && cpuEndUs > cpuStartUs)
            figures.cpuPercent = 100.0 * (*cpuEnd - *cpuStart) / windowS;
        if (serviceCpuStart && serviceCpuEnd && cpuEndUs > cpuStartUs)
            figures.serviceCpuPercent = 100.0 * (*serviceCpuEnd - *serviceCpuStart) / windowS;

        // The program may still be turning through queued datagrams.
        std::size_t seen = frames.Count();
        auto lastChange = std::chrono::steady_clock::now();
        Eventually(
            [&] {
                SampleQueue();
                if (frames.Count() != seen) {
                    seen = frames.Count();
                    lastChange = std::chrono::steady_clock::now();
                }
                return std::chrono::steady_clock::now() - lastChange > milliseconds(kQuietAfterMs);
            },
            kDrainTimeout);
        if (!program.Running())
            return Fail("vareko died: " + program.Ending());
        figures.peakRssMiB =
            static_cast<double>(soak::ReadProcessUsage(program.Pid()).peakRssKiB) / 1024.0;
        if (const auto state = harness::ReadUdpSocket(kTelemetryPort))
            figures.drops = state->drops;
        relay.Stop();
        return true;
    }

    // The program's socket queue. (A turn takes every datagram queued, so
    // frames no longer count datagrams: the queue's bytes are the backlog.)
    void SampleQueue() {
        const auto state = harness::ReadUdpSocket(kTelemetryPort);
        if (state)
            figures.peakQueueBytes = std::max(figures.peakQueueBytes, state->receiveQueueBytes);
    }

    void Evaluate() {
        soak::ShadowDashboard shadow;
        const std::uint64_t initial = shadow.Start();
        figures.startPictureRight = initial == startPicture;
        std::vector<Stamped> sent;
        sent.reserve(relay.Datagrams().size());
        for (const RelayedDatagram& d : relay.Datagrams())
            sent.push_back({d.forwardedUs, shadow.Turn(d.bytes)});
        const std::vector<Stamped> shown = frames.Copy();
        const MatchResult match = MatchFrames(initial, sent, shown);

        figures.datagrams = sent.size();
        figures.changing = match.changing;
        figures.matched = match.latenciesUs.size();
        figures.unmatched = match.unmatched;
        figures.superseded = match.superseded;
        figures.foreignFrames = match.unexplainedFrames;
        figures.latencyP50Ms = Ms(Percentile(match.latenciesUs, 50));
        figures.latencyP99Ms = Ms(Percentile(match.latenciesUs, 99));
        figures.latencyMaxMs = Ms(Percentile(match.latenciesUs, 100));
        if (sent.size() < 2)
            return;
        const std::uint64_t from = sent.front().atUs;
        const std::uint64_t to = sent.back().atUs;
        figures.windowS = static_cast<double>(to - from) / 1e6;
        const auto inWindow = std::count_if(shown.begin(), shown.end(), [&](const Stamped& f) {
            return f.atUs >= from && f.atUs <= to;
        });
        figures.turns = static_cast<std::size_t>(std::count_if(
            shown.begin(), shown.end(), [&](const Stamped& f) { return f.atUs >= from; }));
        if (figures.windowS > 0)
            figures.turnsPerS = static_cast<double>(inWindow) / figures.windowS;
    }

    const E2eSettings& settings;
    std::filesystem::path folder;
    std::size_t expected;
    FrameLog frames;
    InProcessService service;
    TimedRelay relay;
    harness::ChildProcess program;
    harness::ChildProcess sender;
    std::uint64_t startPicture = 0;
    RateFigures figures;
};

}  // namespace

RateFigures MeasureRate(const E2eSettings& settings, double rateHz) {
    return RateRun(settings, rateHz).Execute();
}

}  // namespace vareko::e2e
