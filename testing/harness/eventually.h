// Waiting for a result that crosses a thread or process boundary: poll a
// condition until it holds or a timeout passes. Header only, standard library
// only. Never for time inside one process: that is the test clock's job.
#pragma once

#include <chrono>
#include <thread>

namespace vareko::harness {

// Calls `condition` every `period` until it returns true (then true) or
// `timeout` has passed (then false).
template <typename Condition>
bool Eventually(Condition condition, std::chrono::milliseconds timeout = std::chrono::seconds(10),
                std::chrono::microseconds period = std::chrono::milliseconds(2)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(period);
    }
    return true;
}

}  // namespace vareko::harness
