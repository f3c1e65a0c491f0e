// Sits between vareko-send and the program: receives each datagram on a
// private UDP port, works out through the shadow dashboard the picture it
// must produce, enters it in the observer's frame book under the next
// sequence number, and only then forwards it to UDP 6060. Bursts of bad
// datagrams are sent from the same thread between two forwarded ones, so
// their place in the stream is exact. POSIX sockets.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "testing/harness/shadow_dashboard.h"
#include "testing/soak/panel_observer.h"

namespace vareko::soak {

class DatagramRelay {
public:
    explicit DatagramRelay(PanelObserver& observer);
    ~DatagramRelay();

    // Binds 127.0.0.1 on a free port (the sender's target) and builds the
    // shadow's pages. Empty string on success, else the reason.
    std::string Open(std::uint16_t forwardPort);
    std::uint16_t ListenPort() const { return listenPort; }

    void Start();
    void Stop();

    // Sequence number of the last datagram forwarded (or being forwarded).
    std::uint64_t LastSeq() const { return lastSeq.load(); }

    // Sends `burst` right after the next forwarded datagram, then calls
    // `sent` with the sequence number that the next datagram will get.
    void RequestBurst(std::vector<std::string> burst, std::function<void(std::uint64_t nextSeq)> sent);

private:
    void Loop();
    void Forward(const char* bytes, std::size_t size);

    PanelObserver& observer;
    ShadowDashboard shadow;
    int listenFd = -1;
    int forwardFd = -1;
    std::uint16_t listenPort = 0;
    std::uint16_t forwardPort = 0;
    std::atomic<std::uint64_t> lastSeq{0};
    std::mutex burstMutex;
    std::vector<std::string> burst;
    std::function<void(std::uint64_t)> burstSent;
    std::atomic<bool> stop{false};
    std::thread thread;
};

}  // namespace vareko::soak
