// Processes, panel access and the telemetry pump of the end-to-end tests.
#include "tests/e2e/e2e_harness.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "display/devicelink/link_interface.h"
#include "platform/win32.h"
#include "tools/display-service/service/control_client.h"
#include "tools/display-service/protocol/service_socket.h"
#include "tools/send/datagram_format.h"

namespace vareko::e2e {
namespace {

constexpr int kReplyTimeoutMs = 2000;
constexpr auto kPumpPeriod = std::chrono::milliseconds(10);

}  // namespace

Panel ToPanel(const std::uint8_t* pixels) {
    Panel panel(kDevicePixelBytes);
    for (std::size_t i = 0; i < kDevicePixelBytes; ++i) panel[i] = IsWhitePixel(pixels[i]);
    return panel;
}

std::string Picture(const Panel& panel) {
    std::string text;
    for (int y = 0; y < kDisplayHeight; ++y) {
        for (int x = 0; x < kDisplayWidth; ++x) text += panel[static_cast<std::size_t>(y * kDisplayWidth + x)] ? '#' : '.';
        text += '\n';
    }
    return text;
}

std::string DescribeDifference(const Panel& actual, const Panel& expected) {
    int differing = 0;
    for (std::size_t i = 0; i < actual.size(); ++i) differing += actual[i] != expected[i];
    return std::to_string(differing) + " pixels differ\nactual:\n" + Picture(actual) + "expected:\n" + Picture(expected);
}

std::optional<Panel> PanelClient::Snapshot() {
    displayservice::ControlClient client;
    if (!client.Connect(displayservice::ResolveSocketPath(), kReplyTimeoutMs).empty()) return std::nullopt;
    displayservice::SnapshotMessage snapshot;
    if (!client.Request(displayservice::SnapshotRequestMessage{}, snapshot, kReplyTimeoutMs)) return std::nullopt;
    return ToPanel(snapshot.pixels.data());
}

std::optional<std::string> PanelClient::Status() {
    displayservice::ControlClient client;
    if (!client.Connect(displayservice::ResolveSocketPath(), kReplyTimeoutMs).empty()) return std::nullopt;
    displayservice::StatusMessage status;
    if (!client.Request(displayservice::StatusRequestMessage{}, status, kReplyTimeoutMs)) return std::nullopt;
    return status.text;
}

bool PanelClient::Button(int index, bool down) {
    displayservice::ControlClient client;
    if (!client.Connect(displayservice::ResolveSocketPath(), kReplyTimeoutMs).empty()) return false;
    displayservice::ControlReplyMessage reply;
    return client.Request(displayservice::ButtonMessage{static_cast<std::uint32_t>(index), down}, reply,
                          kReplyTimeoutMs) &&
           reply.result == 0;
}

bool PanelClient::Plug(bool plugged) {
    displayservice::ControlClient client;
    if (!client.Connect(displayservice::ResolveSocketPath(), kReplyTimeoutMs).empty()) return false;
    displayservice::ControlReplyMessage reply;
    return client.Request(displayservice::PlugMessage{plugged}, reply, kReplyTimeoutMs) && reply.result == 0;
}

TelemetryPump::TelemetryPump() {
    fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(kTelemetryPort);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    thread = std::thread([this] { Loop(); });
}

TelemetryPump::~TelemetryPump() {
    stop = true;
    thread.join();
    close(fd);
}

void TelemetryPump::Set(const TelemetrySample& sample) { SetRaw(send::FormatDatagram(sample)); }

void TelemetryPump::SetRaw(std::string datagram) {
    std::lock_guard lock(mutex);
    current = std::move(datagram);
    sending = true;
}

void TelemetryPump::Pause() {
    std::lock_guard lock(mutex);
    sending = false;
}

bool TelemetryPump::SendOnce(const std::string& datagram) {
    // Nobody listening yet is not an error for UDP; the caller retries.
    return ::send(fd, datagram.data(), datagram.size(), 0) >= 0 || errno == ECONNREFUSED;
}

void TelemetryPump::Loop() {
    while (!stop) {
        std::string datagram;
        {
            std::lock_guard lock(mutex);
            if (sending) datagram = current;
        }
        if (!datagram.empty() && SendOnce(datagram)) ++sent;
        std::this_thread::sleep_for(kPumpPeriod);
    }
}

DashboardRig::DashboardRig() {
    char pattern[] = "/tmp/vareko-e2e-XXXXXX";
    folder = mkdtemp(pattern);
    setenv("VAREKO_REGISTRY_ROOT", (folder / "registry").c_str(), 1);
    setenv("VAREKO_DISPLAY_SOCKET", (folder / "display.sock").c_str(), 1);
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, link::kLibraryRegistryKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                    KEY_WRITE, nullptr, &key, nullptr);
    const std::string library = VAREKO_E2E_DISPLAY_LIBRARY;
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(library.c_str()),
                   static_cast<DWORD>(library.size() + 1));
    RegCloseKey(key);
}

DashboardRig::~DashboardRig() {
    program.Stop(SIGKILL);
    service.Stop(SIGTERM);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

bool DashboardRig::StartService() {
    if (!service.Start({VAREKO_E2E_DISPLAY_TOOL, "serve", "--no-http"}, folder / "service.log")) return false;
    PanelClient panel;
    return Eventually([&] { return panel.Snapshot().has_value(); });
}

void DashboardRig::KillService() { service.Stop(SIGKILL); }

bool DashboardRig::PauseService(bool paused) {
    return service.Pid() > 0 && kill(service.Pid(), paused ? SIGSTOP : SIGCONT) == 0;
}

bool DashboardRig::StartProgram() { return program.Start({VAREKO_E2E_PROGRAM}, folder / "program.log"); }

bool DashboardRig::PauseProgram(bool paused) {
    return program.Pid() > 0 && kill(program.Pid(), paused ? SIGSTOP : SIGCONT) == 0;
}

std::string DashboardRig::ReadLog(const char* name) const {
    std::ifstream in(folder / name);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string DashboardRig::ProgramLog() const { return ReadLog("program.log"); }

std::string DashboardRig::Logs() const {
    std::string text;
    for (const char* name : {"service.log", "program.log"}) text += std::string("--- ") + name + "\n" + ReadLog(name);
    return text;
}

}  // namespace vareko::e2e
