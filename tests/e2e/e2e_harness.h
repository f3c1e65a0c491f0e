// End-to-end harness: real processes and real sockets. A private folder holds
// the registry root (with the display library registered) and the display
// service's socket; both are exported to the environment, so every child
// started from here finds them. Children are the display service and the
// program; telemetry goes to UDP 127.0.0.1:6060 from a pump thread; frames
// and buttons go through the service's control protocol.
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/telemetry_sample.h"
#include "display/devicelink/device_bitmap.h"
#include "testing/harness/child_process.h"
#include "testing/harness/eventually.h"

namespace vareko::e2e {

using harness::Eventually;

// The frame on the panel as white/black flags, row by row.
using Panel = std::vector<bool>;

Panel ToPanel(const std::uint8_t* pixels);
std::string DescribeDifference(const Panel& actual, const Panel& expected);
// Rows of the panel as "#"/"." text, for failure messages.
std::string Picture(const Panel& panel);

class PanelClient {
public:
    // A fresh control connection per request, so a restarted service is
    // found again.
    std::optional<Panel> Snapshot();
    // The service's status text (device, clients and their state).
    std::optional<std::string> Status();
    bool Button(int index, bool down);
    bool Plug(bool plugged);
};

// Sends the current datagram to 127.0.0.1:6060 every few milliseconds from
// its own thread, so that the program's loop keeps turning.
class TelemetryPump {
public:
    TelemetryPump();
    ~TelemetryPump();
    void Set(const TelemetrySample& sample);
    void SetRaw(std::string datagram);
    void Pause();   // stop sending until the next Set
    bool SendOnce(const std::string& datagram);
    // How many datagrams the pump thread has sent so far.
    std::uint64_t Sent() const { return sent; }

private:
    void Loop();
    std::mutex mutex;
    std::string current;
    bool sending = false;
    std::atomic<bool> stop{false};
    std::atomic<std::uint64_t> sent{0};
    int fd = -1;
    std::thread thread;
};

// The environment of one test: folder, registry, socket, the two processes.
class DashboardRig {
public:
    DashboardRig();
    ~DashboardRig();

    bool StartService();
    void KillService();
    // Stops the service where it is (SIGSTOP) or lets it go on (SIGCONT).
    bool PauseService(bool paused);
    bool StartProgram();
    bool ProgramRunning() { return program.Running(); }
    // Stops the program where it is (SIGSTOP) or lets it go on (SIGCONT).
    bool PauseProgram(bool paused);
    const std::filesystem::path& Folder() const { return folder; }
    // What the program has written to its standard error so far.
    std::string ProgramLog() const;
    std::string Logs() const;

private:
    std::string ReadLog(const char* name) const;

    std::filesystem::path folder;
    harness::ChildProcess service;
    harness::ChildProcess program;
};

}  // namespace vareko::e2e
