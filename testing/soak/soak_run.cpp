// The run: start everything, inject one fault per interval in a fixed
// rotation, wait for the recovery after each, sample memory and descriptors
// at the quiet moment before each event, then stop and report.
#include "testing/soak/soak_run.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

#include "tools/display-service/service/control_client.h"
#include "testing/harness/child_process.h"
#include "testing/harness/eventually.h"
#include "testing/harness/shadow_dashboard.h"
#include "testing/soak/bad_datagrams.h"
#include "testing/soak/datagram_relay.h"
#include "testing/soak/panel_observer.h"
#include "testing/soak/priority_client.h"
#include "testing/soak/soak_report.h"
#include "testing/harness/udp_port.h"

namespace vareko::soak {
namespace {

using harness::WaitUdpPortFree;

using std::chrono::milliseconds;

constexpr std::uint16_t kTelemetryPort = 6060;
constexpr milliseconds kStartTimeout{10000};
constexpr milliseconds kRecoveryTimeout{5000};
constexpr int kCommandTimeoutMs = 5000;
constexpr int kFaultHoldMs = 300;          // how long the service stays dead, the device unplugged
constexpr int kPriorityClientStayMs = 600;
constexpr int kPriorityClientFrameMs = 20;
constexpr std::uint32_t kPriorityClientPriority = 255;  // the program sends with 128
constexpr int kCurrentCheckTries = 10;
constexpr double kFirstEventS = 5;

// ASan keeps freed memory in quarantine by design, so resident memory says
// nothing about leaks there (LeakSanitizer does, in the logs).
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMemoryMeaningful = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kMemoryMeaningful = false;
#else
constexpr bool kMemoryMeaningful = true;
#endif
#else
constexpr bool kMemoryMeaningful = true;
#endif

enum EventKind { kServiceRestart, kUnplug, kBurst, kPriorityVisit, kEventKinds };
const std::array<const char*, kEventKinds> kEventNames = {"service kill/restart", "device unplug/plug",
                                                           "bad datagram burst", "priority client"};

enum ProcessIndex { kProgramRow, kServiceRow, kSenderRow, kDriverRow, kProcessRows };

std::atomic<bool> interrupted{false};

void OnInterrupt(int) { interrupted = true; }

class Run {
public:
    explicit Run(const SoakOptions& o)
        : options(o),
          folder(MakeFolder()),
          socketPath((folder / "display.sock").string()),
          observer(socketPath, folder / "unknown-frames.txt"),
          relay(observer) {
        summary.seconds = o.seconds;
        summary.memoryJudged = kMemoryMeaningful;
        for (const char* name : kEventNames) summary.events.push_back({name});
        for (const char* name : {"vareko", "vareko-display serve", "vareko-send", "vareko-soak (2nd client)"}) {
            summary.processes.push_back({name});
        }
    }

    int Execute() {
        if (Setup()) Schedule();
        Teardown();
        std::fputs(FormatSummary(summary).c_str(), stdout);
        const bool passed = FailedChecks(summary).empty();
        if (passed) {
            std::error_code ignored;
            std::filesystem::remove_all(folder, ignored);
        } else {
            std::printf("soak: logs kept in %s\n", folder.c_str());
        }
        return passed ? 0 : 1;
    }

private:
    static std::filesystem::path MakeFolder() {
        char pattern[] = "/tmp/vareko-soak-XXXXXX";
        return mkdtemp(pattern);
    }

    void Fail(const std::string& what) {
        const double atS = static_cast<double>(NowUs() - startUs) / 1e6;
        char when[32];
        std::snprintf(when, sizeof when, "at %.1f s: ", atS);
        summary.failures.push_back(when + what);
        std::fprintf(stderr, "soak: %s%s\n", when, what.c_str());
    }

    bool Setup() {
        startUs = NowUs();
        setenv("VAREKO_REGISTRY_ROOT", (folder / "registry").c_str(), 1);
        setenv("VAREKO_DISPLAY_SOCKET", socketPath.c_str(), 1);
        // Another run (program or sender) may still hold the port; wait up to a minute.
        if (!WaitUdpPortFree(kTelemetryPort, 60000)) return Abort("UDP port 6060 is in use by another process");
        if (harness::RunCommand({options.displayTool, "register", options.library},
                                folder / "register.log", kCommandTimeoutMs) != 0) {
            return Abort("vareko-display register failed");
        }
        std::array<std::uint8_t, kDevicePixelBytes> black{};
        observer.WithBook([&](FrameBook& book) {
            book.AddSpecial(FrameKind::kBlank, PanelHash(black.data()));
            book.AddSpecial(FrameKind::kPriorityClient, PanelHash(PriorityClient::Picture().pixels));
        });
        observer.Start();
        if (!StartService()) return Abort("the display service did not start");
        if (const std::string e = relay.Open(kTelemetryPort); !e.empty()) return Abort("relay: " + e);
        relay.Start();
        if (!program.Start({options.program}, folder / "program.log")) return Abort("cannot start vareko");
        char rate[32];
        std::snprintf(rate, sizeof rate, "%g", options.rateHz);
        if (!sender.Start({options.sender, "--port", std::to_string(relay.ListenPort()), "--rate", rate, "--pattern",
                           "counter"},
                          folder / "sender.log")) {
            return Abort("cannot start vareko-send");
        }
        if (!harness::Eventually(
                [&] { return observer.WithChecks([](PanelChecks& c) { return c.lastProgramSeq > 0; }); },
                kStartTimeout)) {
            return Abort("the panel never showed a datagram");
        }
        if (const std::string e = priorityClient.Load(options.library); !e.empty()) return Abort("priority client: " + e);
        return true;
    }

    bool Abort(const std::string& why) {
        Fail(why);
        return false;
    }

    bool StartService() {
        const std::uint64_t before = observer.Subscriptions();
        if (!service.Start({options.displayTool, "serve", "--http-port", "0", "--no-tcp"}, folder / "service.log")) return false;
        ++serviceRuns;
        return harness::Eventually([&] { return observer.Subscriptions() > before; }, kStartTimeout);
    }

    // Sleeps until `untilUs`, watching the processes; false when the run must end.
    bool Idle(std::uint64_t untilUs) {
        while (NowUs() < untilUs) {
            if (!Alive() || interrupted) return false;
            std::this_thread::sleep_for(milliseconds(20));
        }
        return Alive() && !interrupted;
    }

    bool Alive() {
        bool alive = true;
        for (auto [child, name] : {std::pair{&program, "vareko"}, std::pair{&sender, "vareko-send"},
                                   std::pair{&service, "the display service"}}) {
            if (!child->Running()) {
                Fail(std::string(name) + " died: " + child->Ending());
                alive = false;
            }
        }
        return alive;
    }

    // Events start early; the baselines wait for the warm-up: at least
    // warmupS and one whole rotation of the events, so that memory a process
    // takes on first meeting each kind of fault is not counted as growth.
    void Schedule() {
        const double warmupS =
            options.warmupS >= 0 ? options.warmupS : std::clamp(options.seconds / 10, 10.0, 60.0);
        const std::uint64_t endUs = startUs + static_cast<std::uint64_t>(options.seconds * 1e6);
        const std::uint64_t warmUs = startUs + static_cast<std::uint64_t>(warmupS * 1e6);
        std::uint64_t slotUs = startUs + static_cast<std::uint64_t>(kFirstEventS * 1e6);
        for (std::uint64_t n = 0; slotUs < endUs; ++n, slotUs += static_cast<std::uint64_t>(options.intervalS * 1e6)) {
            if (!Idle(slotUs)) return;
            if (n >= kEventKinds && slotUs >= warmUs) SampleUsage();
            CheckPanelCurrent("before event " + std::to_string(n + 1));
            Inject(static_cast<EventKind>(n % kEventKinds), n);
        }
        if (!Idle(endUs)) return;
        SampleUsage();
        CheckPanelCurrent("at the end");
    }

    void SampleUsage() {
        const std::array<std::pair<pid_t, std::uint64_t>, kProcessRows> pids = {
            std::pair{program.Pid(), 1ull}, {service.Pid(), serviceRuns}, {sender.Pid(), 1ull}, {getpid(), 1ull}};
        for (std::size_t i = 0; i < pids.size(); ++i) {
            const ProcessUsage usage = ReadProcessUsage(pids[i].first);
            ProcessRow& row = summary.processes[i];
            row.runs = static_cast<int>(pids[i].second);
            row.rssKiB.Sample(pids[i].second, usage.rssKiB);
            row.fds.Sample(pids[i].second, usage.fds);
        }
    }

    // Every application's frames reach the service through its frame slot
    // in shared memory, as the status says; a client that fell back to
    // sending frames on the socket would leave that path untested.
    void CheckFramesShared(const std::string& when) {
        displayservice::ControlClient control;
        displayservice::StatusMessage status;
        if (!control.Connect(socketPath, kCommandTimeoutMs).empty() ||
            !control.Request(displayservice::StatusRequestMessage{}, status, kCommandTimeoutMs)) {
            Fail("no status from the service " + when);
            return;
        }
        if (status.text.find("frames via socket") != std::string::npos ||
            status.text.find("frames via shared memory") == std::string::npos) {
            Fail("frames not through shared memory " + when + ":\n" + status.text);
        }
    }

    // The panel shows one of the last few datagrams (polled briefly, since
    // the observer sees each frame a moment after the program sent it).
    void CheckPanelCurrent(const std::string& when) {
        CheckFramesShared(when);
        FrameName shown;
        for (int i = 0; i < kCurrentCheckTries; ++i) {
            shown = observer.WithChecks([](PanelChecks& c) { return c.last; });
            if (shown.kind == FrameKind::kProgram && shown.seq + kAllowedRecoveryUpdates >= relay.LastSeq()) return;
            std::this_thread::sleep_for(milliseconds(10));
        }
        Fail("panel not current " + when + ": it shows " +
             (shown.kind == FrameKind::kProgram ? "datagram " + std::to_string(shown.seq) : std::string("no datagram")) +
             ", the last forwarded is " + std::to_string(relay.LastSeq()));
    }

    void ExpectRecoveryNow() {
        observer.WithChecks([&](PanelChecks& c) { c.ExpectRecovery(relay.LastSeq() + 1, NowUs()); });
    }

    void Inject(EventKind kind, std::uint64_t n) {
        EventTally& tally = summary.events[kind];
        ++tally.injected;
        bool faultRemoved = false;
        switch (kind) {
            case kServiceRestart: faultRemoved = RestartService(n); break;
            case kUnplug: faultRemoved = UnplugAndPlug(); break;
            case kBurst: faultRemoved = SendBurst(n); break;
            case kPriorityVisit: faultRemoved = VisitWithPriority(); break;
            case kEventKinds: break;
        }
        if (!faultRemoved) return;
        std::optional<Recovery> recovery;
        harness::Eventually(
            [&] {
                recovery = observer.WithChecks([](PanelChecks& c) { return c.TakeRecovery(); });
                return recovery.has_value();
            },
            kRecoveryTimeout);
        if (!recovery) {
            observer.WithChecks([](PanelChecks& c) { c.AbandonRecovery(); });
            Fail(std::string(kEventNames[kind]) + ": no current frame within 5 s");
            return;
        }
        ++tally.recovered;
        tally.worstMs = std::max(tally.worstMs, recovery->ms);
        tally.worstUpdates = std::max(tally.worstUpdates, recovery->updates);
        if (recovery->updates > kAllowedRecoveryUpdates) {
            Fail(std::string(kEventNames[kind]) + ": current values only after " + std::to_string(recovery->updates) +
                 " updates");
        }
    }

    // Alternately SIGKILL (a crash) and SIGTERM (an orderly stop).
    bool RestartService(std::uint64_t n) {
        service.Stop((n / kEventKinds) % 2 == 0 ? SIGKILL : SIGTERM);
        std::this_thread::sleep_for(milliseconds(kFaultHoldMs));
        if (!StartService()) {
            Fail("the display service did not come back");
            return false;
        }
        ExpectRecoveryNow();
        return true;
    }

    bool UnplugAndPlug() {
        if (harness::RunCommand({options.displayTool, "unplug"}, folder / "cli.log",
                                kCommandTimeoutMs) != 0) {
            Fail("vareko-display unplug failed");
            return false;
        }
        std::this_thread::sleep_for(milliseconds(kFaultHoldMs));
        if (harness::RunCommand({options.displayTool, "plug"}, folder / "cli.log",
                                kCommandTimeoutMs) != 0) {
            Fail("vareko-display plug failed");
            return false;
        }
        ExpectRecoveryNow();
        return true;
    }

    bool SendBurst(std::uint64_t n) {
        std::vector<std::string> burst = BadBurst(n);
        summary.badDatagrams += burst.size();
        // Shared with the relay's thread, which may still hold the callback
        // if this wait gives up.
        auto sent = std::make_shared<std::atomic<bool>>(false);
        relay.RequestBurst(std::move(burst), [this, sent](std::uint64_t nextSeq) {
            observer.WithChecks([&](PanelChecks& c) { c.ExpectRecovery(nextSeq, NowUs()); });
            *sent = true;
        });
        if (!harness::Eventually([&] { return sent->load(); }, kRecoveryTimeout)) {
            // The relay has not forwarded anything: the sender has stopped.
            relay.RequestBurst({}, nullptr);
            Fail("the burst was never sent");
            return false;
        }
        return true;
    }

    bool VisitWithPriority() {
        observer.WithChecks([](PanelChecks& c) { c.BeginPriorityClient(); });
        if (const std::string e = priorityClient.Arrive(); !e.empty()) {
            observer.WithChecks([](PanelChecks& c) { return c.EndPriorityClient(); });
            Fail("priority client: " + e);
            return false;
        }
        const std::uint64_t leaveUs = NowUs() + kPriorityClientStayMs * 1000ull;
        while (NowUs() < leaveUs) {
            if (const link::LinkResult r = priorityClient.ShowFrame(kPriorityClientPriority); r != link::kLinkOk) {
                Fail("priority client: update returned " + std::to_string(r));
                break;
            }
            std::this_thread::sleep_for(milliseconds(kPriorityClientFrameMs));
        }
        if (!observer.WithChecks([](PanelChecks& c) { return c.EndPriorityClient(); })) {
            Fail("the higher-priority client's frame was never shown");
        }
        priorityClient.Leave();
        ExpectRecoveryNow();
        return true;
    }

    void Teardown() {
        sender.Stop(SIGTERM);
        if (program.Pid() > 0 && !program.Running()) Fail("vareko died: " + program.Ending());
        program.Stop(SIGTERM);
        priorityClient.Leave();
        relay.Stop();
        service.Stop(SIGTERM);
        observer.Stop();
        ScanLogsForSanitizerReports();
        observer.WithChecks([&](PanelChecks& c) {
            summary.frames = c.frames;
            summary.unknownFrames = c.unknownFrames;
            summary.framesGoingBack = c.framesGoingBack;
            summary.programOverPriorityClient = c.programOverPriorityClient;
        });
        summary.datagrams = relay.LastSeq();
        summary.seconds = static_cast<double>(NowUs() - startUs) / 1e6;
    }

    // In a sanitizer build a report ends up in the log of the process that
    // made it; a process killed by the soak could not fail otherwise.
    void ScanLogsForSanitizerReports() {
        for (const char* log : {"program.log", "service.log", "sender.log", "cli.log", "register.log"}) {
            std::ifstream in(folder / log);
            for (std::string line; std::getline(in, line);) {
                if (line.find("ERROR: AddressSanitizer") != std::string::npos ||
                    line.find("ERROR: LeakSanitizer") != std::string::npos ||
                    line.find("runtime error:") != std::string::npos) {
                    Fail(std::string("sanitizer report in ") + log + ": " + line);
                    break;
                }
            }
        }
    }

    SoakOptions options;
    std::filesystem::path folder;
    std::string socketPath;
    PanelObserver observer;
    DatagramRelay relay;
    harness::ChildProcess service;
    harness::ChildProcess program;
    harness::ChildProcess sender;
    PriorityClient priorityClient;
    std::uint64_t serviceRuns = 0;
    std::uint64_t startUs = 0;
    SoakSummary summary;
};

}  // namespace

int RunSoak(const SoakOptions& options) {
    struct sigaction action{};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    return Run(options).Execute();
}

}  // namespace vareko::soak
