// Watches the panel through the display service's control protocol: a Watch
// subscription pushes every change of the panel; each picture is named by
// the frame book and handed to the checks. Reconnects by itself whenever the
// service goes away, so it follows the service through its restarts.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>

#include "testing/soak/panel_checks.h"

namespace vareko::soak {

std::uint64_t NowUs();  // steady clock

class PanelObserver {
public:
    // Unknown pictures (the first few) are written to `unknownLog`.
    PanelObserver(std::string socketPath, std::filesystem::path unknownLog);
    ~PanelObserver();

    void Start();
    void Stop();

    // Counts the Watch subscriptions made so far; a new one after a restart
    // means that the observer sees the new service.
    std::uint64_t Subscriptions() const { return subscriptions.load(); }

    template <typename F>
    auto WithBook(F f) {
        std::lock_guard lock(mutex);
        return f(book);
    }
    template <typename F>
    auto WithChecks(F f) {
        std::lock_guard lock(mutex);
        return f(checks);
    }

private:
    void Loop();
    void Record(const std::uint8_t* pixels);

    std::string socketPath;
    std::filesystem::path unknownLog;
    std::mutex mutex;  // guards book and checks
    FrameBook book;
    PanelChecks checks;
    std::atomic<std::uint64_t> subscriptions{0};
    std::atomic<bool> stop{false};
    std::thread thread;
};

}  // namespace vareko::soak
