// Sub-commands of vareko-display that talk to a running service (or, for
// serve, run it). Diagnostics go to stderr, results to stdout.
#include "tools/display-service/cli/cli_commands.h"

#include <cstdio>
#include <cstdlib>

#include "platform/image/png_file.h"
#include "tools/display-service/service/control_client.h"
#include "tools/display-service/service/display_service.h"
#include "tools/display-service/service/http_viewer.h"
#include "tools/display-service/protocol/service_socket.h"
#include "tools/display-service/cli/stop_signals.h"

namespace vareko::displayservice {
namespace {

constexpr int kReplyTimeoutMs = 2000;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

DisplayService* g_service = nullptr;

void OnStopSignal(int) {
    if (g_service != nullptr) g_service->RequestStop();
}

bool ParseInt(const std::string& text, int low, int high, int& value) {
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || v < low || v > high) return false;
    value = static_cast<int>(v);
    return true;
}

int Usage(const char* usage) {
    std::fprintf(stderr, "usage: vareko-display %s\n", usage);
    return kExitUsage;
}

bool ConnectControl(ControlClient& client) {
    const std::string error = client.Connect(ResolveSocketPath(), kReplyTimeoutMs);
    if (error.empty()) return true;
    std::fprintf(stderr, "vareko-display: %s\n", error.c_str());
    return false;
}

int SendControl(const ClientMessage& message) {
    ControlClient client;
    if (!ConnectControl(client)) return kExitFailure;
    ControlReplyMessage reply;
    if (!client.Request(message, reply, kReplyTimeoutMs)) {
        std::fprintf(stderr, "vareko-display: no reply from the display service\n");
        return kExitFailure;
    }
    if (reply.result != 0) {
        std::fprintf(stderr, "vareko-display: refused (code %u%s)\n", reply.result,
                     reply.result == 1167 ? ": the device is unplugged" : "");
        return kExitFailure;
    }
    return 0;
}

// Buttons are numbered 1..4 on the command line, as on the viewers' keys;
// on the wire they are indices 0..3 (button word bits 1, 2, 4, 8).
int RunButton(const Arguments& args, bool down, const char* usage) {
    int number = 0;
    if (args.size() != 1 || !ParseInt(args[0], 1, kButtonCount, number)) return Usage(usage);
    return SendControl(ButtonMessage{static_cast<std::uint32_t>(number - 1), down});
}

// Beyond loopback: the addresses to open on another device, each with its
// QR code, and what plain HTTP there lets others do.
void PrintNetworkViewer(const DisplayService& service, bool listening, bool secure) {
    const std::vector<std::string> urls = service.ViewerUrls();
    if (listening && urls.size() <= 1) {
        std::printf("vareko-display: no network address is up yet; `vareko-display url --lan` lists them later\n");
    }
    if (urls.size() > 1) {
        PrintViewerUrls(std::span(urls).subspan(1), true, "vareko-display: viewer on the network ");
    }
    if (listening && !secure) {
        std::printf("vareko-display: warning: the viewer is served on the network over plain HTTP: anyone there "
                    "who can read its traffic can take the secret and use the panel. %s; `vareko-display "
                    "rotate-secret` shuts out every holder of the old secret.\n",
                    HttpViewer::TlsAvailable() ? "Serve with --tls-cert FILE --tls-key FILE to encrypt it"
                                               : "This build has no HTTPS: use it on a network you trust only");
    }
}

}  // namespace

int RunServe(const Arguments& args) {
    constexpr const char* kUsage =
        "serve [--http-port N | --no-http] [--viewer-listen ADDRESS]... [--tls-cert FILE --tls-key FILE]\n"
        "      [--tcp-port N | --no-tcp] [--token-file PATH]";
    ServiceOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        if (args[i] == "--no-http") {
            options.httpPort = kHttpDisabled;
        } else if (args[i] == "--no-tcp") {
            options.tcpPort = kTcpDisabled;
        } else if (hasValue && ((args[i] == "--http-port" && ParseInt(args[i + 1], 0, 65535, options.httpPort)) ||
                                (args[i] == "--tcp-port" && ParseInt(args[i + 1], 0, 65535, options.tcpPort)))) {
            ++i;
        } else if (args[i] == "--tls-cert" && hasValue && !args[i + 1].empty()) {
            options.tlsCertificateFile = args[++i];
        } else if (args[i] == "--tls-key" && hasValue && !args[i + 1].empty()) {
            options.tlsKeyFile = args[++i];
        } else if (args[i] == "--viewer-listen" && hasValue && !args[i + 1].empty()) {
            options.viewerListen.push_back(args[++i]);
        } else if (args[i] == "--token-file" && hasValue && !args[i + 1].empty()) {
            options.tokenPath = args[++i];
        } else {
            return Usage(kUsage);
        }
    }
    if (options.tlsCertificateFile.empty() != options.tlsKeyFile.empty()) return Usage(kUsage);
    DisplayService service(options);
    if (const std::string error = service.Start(); !error.empty()) {
        std::fprintf(stderr, "vareko-display: %s\n", error.c_str());
        return kExitFailure;
    }
    g_service = &service;
    StopOnSignals(OnStopSignal);
    if (!service.SocketPath().empty()) std::printf("vareko-display: socket %s\n", service.SocketPath().c_str());
    if (service.HttpPort() != kHttpDisabled) {
        std::printf("vareko-display: viewer %s\n", service.ViewerUrl().c_str());
        PrintNetworkViewer(service, !options.viewerListen.empty(), !options.tlsCertificateFile.empty());
    }
    if (service.TcpPort() != kTcpDisabled) {
        std::printf("vareko-display: tcp 127.0.0.1:%d, token file %s\n", service.TcpPort(),
                    service.TokenPath().c_str());
    }
    std::fflush(stdout);
    service.Run();
    g_service = nullptr;
    return 0;
}

int RunSnapshot(const Arguments& args) {
    constexpr const char* kUsage = "snapshot FILE.png [--scale N]";
    int scale = 1;
    if (args.empty() || (args.size() != 1 && args.size() != 3)) return Usage(kUsage);
    if (args.size() == 3 && (args[1] != "--scale" || !ParseInt(args[2], 1, platform::kMaxPngScale, scale))) {
        return Usage(kUsage);
    }
    ControlClient client;
    if (!ConnectControl(client)) return kExitFailure;
    SnapshotMessage snapshot;
    if (!client.Request(SnapshotRequestMessage{}, snapshot, kReplyTimeoutMs)) {
        std::fprintf(stderr, "vareko-display: no snapshot from the display service\n");
        return kExitFailure;
    }
    // The PNG shows what the panel shows: each pixel black (0) or white (255).
    std::uint8_t grey[kDevicePixelBytes];
    for (std::size_t i = 0; i < kDevicePixelBytes; ++i) grey[i] = IsWhitePixel(snapshot.pixels[i]) ? 255 : 0;
    if (platform::WriteGreyPng(args[0].c_str(), grey, kDisplayWidth, kDisplayHeight, kDisplayWidth, scale) !=
        platform::PngResult::kOk) {
        std::fprintf(stderr, "vareko-display: cannot write %s\n", args[0].c_str());
        return kExitFailure;
    }
    return 0;
}

int RunPress(const Arguments& args) { return RunButton(args, true, "press N   (N = 1..4)"); }
int RunRelease(const Arguments& args) { return RunButton(args, false, "release N   (N = 1..4)"); }

int RunPlug(const Arguments& args) {
    if (!args.empty()) return Usage("plug");
    return SendControl(PlugMessage{true});
}

int RunUnplug(const Arguments& args) {
    if (!args.empty()) return Usage("unplug");
    return SendControl(PlugMessage{false});
}

int RunStatus(const Arguments& args) {
    if (!args.empty()) return Usage("status");
    ControlClient client;
    if (!ConnectControl(client)) return kExitFailure;
    StatusMessage status;
    if (!client.Request(StatusRequestMessage{}, status, kReplyTimeoutMs)) {
        std::fprintf(stderr, "vareko-display: no status from the display service\n");
        return kExitFailure;
    }
    std::fputs(status.text.c_str(), stdout);
    return 0;
}

}  // namespace vareko::displayservice
