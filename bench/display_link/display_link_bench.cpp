// Frame hand-over cost of the device library (LinkUpdate, which drains
// pushed state and sends without waiting, then LinkReadButtons) against
// blocking request/reply round trips on the same kind of socket: a snapshot
// request to the service (6,880-byte reply) and a 6,884-byte frame echoed by
// a thread with a four-byte acknowledgement. Each reports p50 and p99 in
// microseconds. References for the tail, in the same run: the service's loop
// as a normal task (which may preempt the sender on wake-up), the service
// pinned to the other CPU, one bare sendmsg of a frame's size to a waiting
// and to a non-waiting receiver, and one trivial system call.
#include <benchmark/benchmark.h>

#include <dlfcn.h>
#include <pthread.h>
#include <sched.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "display/devicelink/link_interface.h"
#include "tools/display-service/service/control_client.h"
#include "tools/display-service/service/display_service.h"

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

// Second argument of the hand-over benchmark: how the service's loop thread
// is scheduled against the sending (benchmark) thread.
enum ServicePlacement : int {
    kAsShipped = 0,       // the service's own choice: a batch task, any CPU
    kNormalTask = 1,      // a normal task, any CPU: may preempt the sender on wake-up
    kOtherCpu = 2,        // as shipped, but pinned to the other CPU than the sender
};

void PinTo(pthread_t thread, int cpu) {
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(cpu, &set);
    pthread_setaffinity_np(thread, sizeof set, &set);
}

void UnpinSelf() {
    cpu_set_t set;
    CPU_ZERO(&set);
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) CPU_SET(cpu, &set);
    pthread_setaffinity_np(pthread_self(), sizeof set, &set);
}

// Called once the service's loop runs (it has answered), so that it overrides
// the loop's own scheduling choice.
void Place(pthread_t service, int placement) {
    if (placement == kNormalTask) {
        const sched_param unused{};
        pthread_setschedparam(service, SCHED_OTHER, &unused);
    } else if (placement == kOtherCpu) {
        PinTo(pthread_self(), 0);
        PinTo(service, 1);
    }
}

long InvoluntarySwitches() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_nivcsw;
}

void AddPercentiles(benchmark::State& state, const char* prefix, std::vector<double>& samplesUs) {
    std::sort(samplesUs.begin(), samplesUs.end());
    const std::string name(prefix);
    state.counters[name + "p50_us"] = samplesUs[samplesUs.size() / 2];
    state.counters[name + "p99_us"] = samplesUs[samplesUs.size() * 99 / 100];
}

void Report(benchmark::State& state, std::vector<double>& samplesUs) { AddPercentiles(state, "", samplesUs); }

// Share of the samples during which the sending thread was preempted (an
// involuntary context switch, counted outside the timed span).
void ReportPreempted(benchmark::State& state, long preempted, std::size_t samples) {
    state.counters["preempted_pct"] = 100.0 * static_cast<double>(preempted) / static_cast<double>(samples);
}

void Pace(const benchmark::State& state) {
    if (state.range(0) > 0) std::this_thread::sleep_for(std::chrono::microseconds(state.range(0)));
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
    Place(running.thread.native_handle(), static_cast<int>(state.range(1)));
    std::vector<double> samples, updateSamples;
    samples.reserve(static_cast<std::size_t>(state.max_iterations));
    updateSamples.reserve(static_cast<std::size_t>(state.max_iterations));
    std::uint32_t buttons = 0;
    long preempted = 0;
    for (auto _ : state) {
        frame.pixels[0] = static_cast<std::uint8_t>(samples.size());
        const long switchesBefore = InvoluntarySwitches();
        const auto start = Clock::now();
        benchmark::DoNotOptimize(t->update(open.device, &frame, 128));
        updateSamples.push_back(MicrosecondsSince(start));
        benchmark::DoNotOptimize(t->readButtons(open.device, &buttons));
        samples.push_back(MicrosecondsSince(start));
        if (InvoluntarySwitches() != switchesBefore) ++preempted;
        // Optionally paced like a program, so that the service keeps up and
        // no frame is dropped at a full socket buffer.
        Pace(state);
    }
    UnpinSelf();
    ReportPreempted(state, preempted, samples.size());
    Report(state, samples);
    AddPercentiles(state, "update_", updateSamples);
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

// One sendmsg of a Frame's size (two parts, as the library sends it) to a
// receiver that waits in epoll like the service (argument 1: a batch task
// like the service's loop) or does not wait at all (0: drained by the sender
// outside the timed span, so the send wakes nobody).
void BM_BareFrameSend(benchmark::State& state) {
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK, 0, pair) != 0) {
        state.SkipWithError("socketpair");
        return;
    }
    const bool waiter = state.range(1) != 0;
    const int ready = epoll_create1(0);
    epoll_event event{EPOLLIN, {.fd = pair[1]}};
    epoll_ctl(ready, EPOLL_CTL_ADD, pair[1], &event);
    std::thread receiver([fd = pair[1], ready, waiter] {
        if (!waiter) return;
        const sched_param unused{};
        pthread_setschedparam(pthread_self(), SCHED_BATCH, &unused);
        std::vector<std::uint8_t> buffer(sizeof(DeviceBitmap) + 64);
        for (;;) {
            epoll_event any;
            epoll_wait(ready, &any, 1, -1);
            for (;;) {
                const ssize_t n = recv(fd, buffer.data(), buffer.size(), MSG_DONTWAIT);
                if (n == 0) return;
                if (n < 0) break;
            }
        }
    });
    DeviceBitmap frame{};
    frame.format = 1;
    std::uint8_t prefix[12] = {};
    std::vector<std::uint8_t> sink(sizeof(DeviceBitmap) + 64);
    std::vector<double> samples;
    samples.reserve(static_cast<std::size_t>(state.max_iterations));
    long preempted = 0;
    for (auto _ : state) {
        iovec parts[2] = {{prefix, sizeof prefix}, {&frame, sizeof frame}};
        msghdr header{};
        header.msg_iov = parts;
        header.msg_iovlen = 2;
        const long switchesBefore = InvoluntarySwitches();
        const auto start = Clock::now();
        benchmark::DoNotOptimize(sendmsg(pair[0], &header, MSG_DONTWAIT | MSG_NOSIGNAL));
        samples.push_back(MicrosecondsSince(start));
        if (InvoluntarySwitches() != switchesBefore) ++preempted;
        if (!waiter) {
            while (recv(pair[1], sink.data(), sink.size(), MSG_DONTWAIT) > 0) {}
        }
        Pace(state);
    }
    shutdown(pair[0], SHUT_RDWR);
    receiver.join();
    close(pair[0]);
    close(pair[1]);
    close(ready);
    ReportPreempted(state, preempted, samples.size());
    Report(state, samples);
}

// The floor of any call into the kernel on this machine, paced the same way.
void BM_TrivialSystemCall(benchmark::State& state) {
    std::vector<double> samples;
    samples.reserve(static_cast<std::size_t>(state.max_iterations));
    for (auto _ : state) {
        const auto start = Clock::now();
        benchmark::DoNotOptimize(getppid());
        samples.push_back(MicrosecondsSince(start));
        Pace(state);
    }
    Report(state, samples);
}

}  // namespace

int main(int argc, char** argv) {
    const int samples = SampleCount();
    // Arguments: microseconds between frames (0: back to back), ServicePlacement.
    benchmark::RegisterBenchmark("BM_LinkUpdateHandOver", BM_LinkUpdateHandOver)
        ->Args({0, kAsShipped})->Args({1000, kAsShipped})->Args({1000, kNormalTask})->Args({1000, kOtherCpu})
        ->Iterations(samples)->Unit(benchmark::kMicrosecond)->UseRealTime();
    // Arguments: microseconds between sends, receiver waiting (1) or not (0).
    benchmark::RegisterBenchmark("BM_BareFrameSend", BM_BareFrameSend)
        ->Args({1000, 1})->Args({1000, 0})->Iterations(samples)->Unit(benchmark::kMicrosecond)->UseRealTime();
    benchmark::RegisterBenchmark("BM_TrivialSystemCall", BM_TrivialSystemCall)
        ->Arg(1000)->Iterations(samples)->Unit(benchmark::kMicrosecond)->UseRealTime();
    benchmark::RegisterBenchmark("BM_BlockingSnapshotRoundTrip", BM_BlockingSnapshotRoundTrip)
        ->Iterations(samples)->Unit(benchmark::kMicrosecond)->UseRealTime();
    benchmark::RegisterBenchmark("BM_BlockingFrameEchoRoundTrip", BM_BlockingFrameEchoRoundTrip)
        ->Iterations(samples)->Unit(benchmark::kMicrosecond)->UseRealTime();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
