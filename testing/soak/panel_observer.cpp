// The observer's thread: connect, subscribe, name each pushed picture.
#include "testing/soak/panel_observer.h"

#include <chrono>
#include <fstream>

#include "tools/display-service/service/control_client.h"
#include "testing/harness/shadow_dashboard.h"

namespace vareko::soak {
namespace {

constexpr int kConnectTimeoutMs = 200;
constexpr int kReceiveTimeoutMs = 100;
constexpr std::uint64_t kUnknownPicturesLogged = 5;

void AppendPicture(const std::filesystem::path& file, const std::uint8_t* pixels, std::uint64_t atUs) {
    std::ofstream out(file, std::ios::app);
    out << "unknown frame at " << atUs / 1000 << " ms\n";
    for (int y = 0; y < kDisplayHeight; ++y) {
        for (int x = 0; x < kDisplayWidth; ++x) out << (IsWhitePixel(pixels[y * kDisplayWidth + x]) ? '#' : '.');
        out << '\n';
    }
}

}  // namespace

std::uint64_t NowUs() {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

PanelObserver::PanelObserver(std::string path, std::filesystem::path log)
    : socketPath(std::move(path)), unknownLog(std::move(log)) {}

PanelObserver::~PanelObserver() { Stop(); }

void PanelObserver::Start() { thread = std::thread([this] { Loop(); }); }

void PanelObserver::Stop() {
    stop = true;
    if (thread.joinable()) thread.join();
}

void PanelObserver::Loop() {
    using displayservice::ControlClient;
    while (!stop) {
        ControlClient client;
        if (!client.Connect(socketPath, kConnectTimeoutMs).empty() || !client.Send(displayservice::WatchMessage{})) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            continue;
        }
        ++subscriptions;
        displayservice::ServiceMessage message;
        while (!stop) {
            const ControlClient::Wait got = client.Receive(message, kReceiveTimeoutMs);
            if (got == ControlClient::Wait::kGone) break;
            if (got != ControlClient::Wait::kMessage) continue;
            if (const auto* snapshot = std::get_if<displayservice::SnapshotMessage>(&message)) {
                Record(snapshot->pixels.data());
            }
        }
    }
}

void PanelObserver::Record(const std::uint8_t* pixels) {
    const std::uint64_t hash = PanelHash(pixels);
    const std::uint64_t now = NowUs();
    std::lock_guard lock(mutex);
    const FrameName name = book.Name(hash);
    checks.Observe(name, now);
    if (name.kind == FrameKind::kUnknown && checks.unknownFrames <= kUnknownPicturesLogged) {
        AppendPicture(unknownLog, pixels, now);
    }
}

}  // namespace vareko::soak
