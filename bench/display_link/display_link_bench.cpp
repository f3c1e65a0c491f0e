// Frame hand-over cost of the device library (LinkUpdate, which drains
// pushed state and sends without waiting) against blocking request/reply
// round trips on the same kind of socket: a snapshot request to the service
// (6,880-byte reply) and a 6,884-byte frame echoed by a thread with a
// four-byte acknowledgement. Each reports p50 and p99 in microseconds.
#include <benchmark/benchmark.h>

#include <dlfcn.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "bench/support/ratio_report.h"
#include "display/devicelink/link_interface.h"
#include "tools/display-service/control_client.h"
#include "tools/display-service/display_service.h"

namespace {

using namespace vareko;
using namespace vareko::displayservice;
using Clock = std::chrono::steady_clock;

// Samples per benchmark; VAREKO_BENCH_QUICK (set by scripts/bench --quick)
// takes a tenth.
int SampleCount() { return std::getenv("VAREKO_BENCH_QUICK") != nullptr ? 2000 : 20000; }

struct RunningService {
    RunningService() {
        char pattern[] = "/tmp/vareko-bench-XXXXXX";
        dir = mkdtemp(pattern);
        path = dir + "/display.sock";
        setenv("VAREKO_DISPLAY_SOCKET", path.c_str(), 1);
        ServiceOptions options;
        options.socketPath = path;
        options.httpPort = kHttpDisabled;
        options.tcpPort = kTcpDisabled;
        service = std::make_unique<DisplayService>(options);
        ok = service->Start().empty();
        if (ok) thread = std::thread([this] { service->Run(); });
    }
    ~RunningService() {
        if (ok) {
            service->RequestStop();
            thread.join();
        }
        service.reset();
        rmdir(dir.c_str());
    }
    std::string dir, path;
    std::unique_ptr<DisplayService> service;
    std::thread thread;
    bool ok = false;
};

void Report(benchmark::State& state, std::vector<double>& samplesUs) {
    std::sort(samplesUs.begin(), samplesUs.end());
    state.counters["p50_us"] = samplesUs[samplesUs.size() / 2];
    state.counters["p99_us"] = samplesUs[samplesUs.size() * 99 / 100];
}

double MicrosecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

void BM_LinkUpdateHandOver(benchmark::State& state) {
    RunningService running;
    void* lib = dlopen(VAREKO_DISPLAY_LIBRARY_PATH, RTLD_NOW);
    auto getInterface = lib ? reinterpret_cast<link::GetInterfaceFunction>(dlsym(lib, "GetInterface")) : nullptr;
    const link::InterfaceTable* t = getInterface ? getInterface(2) : nullptr;
    link::ConnectionRecord record{L"bench", 0, 0, nullptr, nullptr, -1};
    link::OpenRecord open{-1, 0, 0, 0, -1};
    if (!running.ok || t == nullptr || t->init() != 0 || t->connect(&record) != 0 ||
        (open.connection = record.connection, t->open(&open)) != 0) {
        state.SkipWithError("cannot reach the service");
        return;
    }
    DeviceBitmap frame;
    frame.format = 1;
    std::memset(frame.pixels, 0x80, sizeof frame.pixels);
    std::vector<double> samples;
    samples.reserve(static_cast<std::size_t>(state.max_iterations));
    std::uint32_t buttons = 0;
    for (auto _ : state) {
        frame.pixels[0] = static_cast<std::uint8_t>(samples.size());
        const auto start = Clock::now();
        benchmark::DoNotOptimize(t->update(open.device, &frame, 128));
        benchmark::DoNotOptimize(t->readButtons(open.device, &buttons));
        samples.push_back(MicrosecondsSince(start));
        // Optionally paced like a program, so that the service keeps up and
        // no frame is dropped at a full socket buffer.
        if (state.range(0) > 0) std::this_thread::sleep_for(std::chrono::microseconds(state.range(0)));
    }
    Report(state, samples);
    t->deinit();
    dlclose(lib);
}

void BM_BlockingSnapshotRoundTrip(benchmark::State& state) {
    RunningService running;
    ControlClient client;
    if (!running.ok || !client.Connect(running.path, 1000).empty()) {
        state.SkipWithError("cannot reach the service");
        return;
    }
    std::vector<double> samples;
    samples.reserve(static_cast<std::size_t>(state.max_iterations));
    for (auto _ : state) {
        SnapshotMessage snapshot;
        const auto start = Clock::now();
        benchmark::DoNotOptimize(client.Request(SnapshotRequestMessage{}, snapshot, 1000));
        samples.push_back(MicrosecondsSince(start));
    }
    Report(state, samples);
}

void BM_BlockingFrameEchoRoundTrip(benchmark::State& state) {
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_SEQPACKET, 0, pair) != 0) {
        state.SkipWithError("socketpair");
        return;
    }
    std::thread echo([fd = pair[1]] {
        std::vector<std::uint8_t> buffer(sizeof(DeviceBitmap) + 64);
        const std::uint32_t ack = 0;
        while (recv(fd, buffer.data(), buffer.size(), 0) > 0) send(fd, &ack, sizeof ack, MSG_NOSIGNAL);
    });
    DeviceBitmap frame{};
    frame.format = 1;
    std::vector<double> samples;
    samples.reserve(static_cast<std::size_t>(state.max_iterations));
    std::uint32_t ack = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        send(pair[0], &frame, sizeof frame, MSG_NOSIGNAL);
        benchmark::DoNotOptimize(recv(pair[0], &ack, sizeof ack, 0));
        samples.push_back(MicrosecondsSince(start));
    }
    shutdown(pair[0], SHUT_RDWR);
    echo.join();
    close(pair[0]);
    close(pair[1]);
    Report(state, samples);
}

}  // namespace

int main(int argc, char** argv) {
    const int samples = SampleCount();
    benchmark::RegisterBenchmark("BM_LinkUpdateHandOver", BM_LinkUpdateHandOver)
        ->Arg(0)->Arg(1000)->Iterations(samples)->Unit(benchmark::kMicrosecond)->UseRealTime();
    benchmark::RegisterBenchmark("BM_BlockingSnapshotRoundTrip", BM_BlockingSnapshotRoundTrip)
        ->Iterations(samples)->Unit(benchmark::kMicrosecond)->UseRealTime();
    benchmark::RegisterBenchmark("BM_BlockingFrameEchoRoundTrip", BM_BlockingFrameEchoRoundTrip)
        ->Iterations(samples)->Unit(benchmark::kMicrosecond)->UseRealTime();
    return bench::RunBenchmarksWithRatios(argc, argv, {
        {"BM_LinkUpdateHandOver/1000", "BM_BlockingFrameEchoRoundTrip", "p50_us"},
        {"BM_LinkUpdateHandOver/1000", "BM_BlockingFrameEchoRoundTrip", "p99_us"},
    });
}
