// Sits between vareko-send and the program: receives each datagram on a
// private loopback port, keeps its bytes and the steady-clock time taken
// right before it is forwarded, and forwards it unchanged to the telemetry
// port. Nothing else happens between receiving and forwarding, so the relay
// adds as little delay as a loopback hop can. POSIX sockets.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace vareko::e2e {

struct RelayedDatagram {
    std::uint64_t forwardedUs = 0;
    std::string bytes;
};

class TimedRelay {
  public:
    TimedRelay() = default;
    ~TimedRelay();
    TimedRelay(const TimedRelay&) = delete;
    TimedRelay& operator=(const TimedRelay&) = delete;

    // Binds 127.0.0.1 on a free port; empty string on success, else the reason.
    std::string Open(std::uint16_t forwardPort, std::size_t expectedDatagrams);
    std::uint16_t ListenPort() const { return listenPort; }

    void Start();
    void Stop();
    std::uint64_t Forwarded() const { return forwarded.load(); }
    // Every datagram forwarded, in order; read only after Stop.
    const std::vector<RelayedDatagram>& Datagrams() const { return datagrams; }

  private:
    void Loop();

    int listenFd = -1;
    int forwardFd = -1;
    std::uint16_t listenPort = 0;
    std::vector<RelayedDatagram> datagrams;
    std::atomic<std::uint64_t> forwarded{0};
    std::atomic<bool> stop{false};
    std::thread thread;
};

// Microseconds of the steady clock, the one time base of a run.
std::uint64_t SteadyNowUs();

}  // namespace vareko::e2e
