// `vareko-display url [--lan] [--qr]`: prints the owner's address of the
// running service's browser viewer, secret included, as one line (with
// --lan one per address it serves on the network instead), and with --qr
// each as a QR code too; opening it lets a browser in. `rotate-secret`
// draws a new secret and prints the new address. The addresses come from
// the service over its socket.
#include <cstdio>
#include <span>
#include <string>

#include "tools/display-service/cli/cli_commands.h"
#include "tools/display-service/service/control_client.h"
#include "tools/display-service/cli/qr_terminal.h"
#include "tools/display-service/protocol/service_socket.h"

namespace vareko::displayservice {
namespace {

constexpr int kReplyTimeoutMs = 2000;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// Sends `request` to the service and waits for its `reply`; false, said on
// stderr, when the service cannot be reached or does not answer.
template <typename Reply>
bool AskService(const ClientMessage& request, Reply& reply) {
    ControlClient client;
    if (const std::string error = client.Connect(ResolveSocketPath(), kReplyTimeoutMs); !error.empty()) {
        std::fprintf(stderr, "vareko-display: %s\n", error.c_str());
        return false;
    }
    if (!client.Request(request, reply, kReplyTimeoutMs)) {
        std::fprintf(stderr, "vareko-display: no reply from the display service\n");
        return false;
    }
    return true;
}

bool AskViewerUrls(std::vector<std::string>& urls) {
    ViewerUrlsMessage reply;
    if (!AskService(ViewerUrlsRequestMessage{}, reply)) return false;
    if (reply.urls.empty()) {
        std::fprintf(stderr, "vareko-display: the display service runs without its viewer (--no-http)\n");
        return false;
    }
    urls = std::move(reply.urls);
    return true;
}

}  // namespace

void PrintViewerUrls(std::span<const std::string> urls, bool qr, const char* lead) {
    std::string said;  // a reason that holds for every address is said once
    for (const std::string& url : urls) {
        std::printf("%s%s\n", lead, url.c_str());
        if (!qr) continue;
        QrModules modules;
        std::string error;
        if (EncodeQr(url, modules, error)) {
            std::printf("%s", DrawQr(modules).c_str());
        } else if (error != said) {
            std::fprintf(stderr, "vareko-display: %s\n", error.c_str());
            said = error;
        }
    }
}

int RunUrl(const Arguments& args) {
    bool lan = false;
    bool qr = false;
    for (const std::string& arg : args) {
        if (arg == "--lan") {
            lan = true;
        } else if (arg == "--qr") {
            qr = true;
        } else {
            std::fprintf(stderr, "usage: vareko-display url [--lan] [--qr]\n");
            return kExitUsage;
        }
    }
    std::vector<std::string> urls;
    if (!AskViewerUrls(urls)) return kExitFailure;
    if (!lan) {
        PrintViewerUrls(std::span(urls).first(1), qr);
        return 0;
    }
    if (urls.size() == 1) {
        std::fprintf(stderr, "vareko-display: the viewer serves 127.0.0.1 only (serve with --viewer-listen "
                             "ADDRESS to reach it from another device)\n");
        return kExitFailure;
    }
    PrintViewerUrls(std::span(urls).subspan(1), qr);
    return 0;
}

int RunRotateSecret(const Arguments& args) {
    if (!args.empty()) {
        std::fprintf(stderr, "usage: vareko-display rotate-secret\n");
        return kExitUsage;
    }
    ControlReplyMessage reply;
    if (!AskService(RotateSecretMessage{}, reply)) return kExitFailure;
    if (reply.result != 0) {
        std::fprintf(stderr, "vareko-display: %s\n",
                     reply.result == kControlViewerOff ? "the display service runs without its viewer (--no-http)"
                                                : "the service could not save a new secret (see its log)");
        return kExitFailure;
    }
    std::vector<std::string> urls;
    if (!AskViewerUrls(urls)) return kExitFailure;
    std::printf("vareko-display: new secret; every browser that opened an earlier address is refused "
                "until it opens the new one:\n");
    for (const std::string& url : urls) std::printf("%s\n", url.c_str());
    return 0;
}

}  // namespace vareko::displayservice
