// `vareko-display view`: the panel in a terminal, two device rows per text
// row with Unicode half blocks. Keys 1-4 press a soft button and release it
// kReleaseAfterMs later (a terminal reports no key releases); u unplugs or
// replugs the device; q or Ctrl-C quits.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <poll.h>
#include <string>
#include <termios.h>
#include <unistd.h>

#include "tools/display-service/cli/cli_commands.h"
#include "tools/display-service/service/control_client.h"
#include "tools/display-service/protocol/service_socket.h"

namespace vareko::displayservice {
namespace {

constexpr int kReleaseAfterMs = 200;
constexpr int kConnectTimeoutMs = 2000;

// Restores the terminal however the view ends.
class RawTerminal {
public:
    RawTerminal() {
        active_ = isatty(STDIN_FILENO) == 1 && tcgetattr(STDIN_FILENO, &saved_) == 0;
        if (!active_) return;
        termios raw = saved_;
        raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
        raw.c_cc[VMIN] = 0;
        raw.c_cc[VTIME] = 0;
        tcsetattr(STDIN_FILENO, TCSANOW, &raw);
        std::fputs("\x1b[?25l\x1b[2J", stdout);
    }
    ~RawTerminal() {
        std::fputs("\x1b[?25h\n", stdout);
        if (active_) tcsetattr(STDIN_FILENO, TCSANOW, &saved_);
    }
    RawTerminal(const RawTerminal&) = delete;
    RawTerminal& operator=(const RawTerminal&) = delete;

private:
    termios saved_{};
    bool active_ = false;
};

volatile std::sig_atomic_t g_quit = 0;
void OnQuit(int) { g_quit = 1; }

// Each text cell shows an upper and a lower device pixel.
void Render(const SnapshotMessage& s) {
    static constexpr const char* kCells[4] = {" ", "\u2584", "\u2580", "\u2588"};  // none, lower, upper, both
    std::string out = "\x1b[H";
    for (int y = 0; y < kDisplayHeight; y += 2) {
        for (int x = 0; x < kDisplayWidth; ++x) {
            const bool upper = IsWhitePixel(s.pixels[static_cast<std::size_t>(y * kDisplayWidth + x)]);
            const bool lower = y + 1 < kDisplayHeight &&
                               IsWhitePixel(s.pixels[static_cast<std::size_t>((y + 1) * kDisplayWidth + x)]);
            out += kCells[(upper ? 2 : 0) | (lower ? 1 : 0)];
        }
        out += "\x1b[K\r\n";
    }
    char status[160];
    std::snprintf(status, sizeof status,
                  "%s  buttons [%c%c%c%c]  shown client %u   keys: 1-4 press, u %s, q quit\x1b[K\r\n",
                  s.plugged ? "plugged" : "UNPLUGGED", (s.buttons & 1) ? '1' : '-', (s.buttons & 2) ? '2' : '-',
                  (s.buttons & 4) ? '3' : '-', (s.buttons & 8) ? '4' : '-', s.shownClientId,
                  s.plugged ? "unplug" : "replug");
    out += status;
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
}

}  // namespace

int RunView(const Arguments& args) {
    if (!args.empty()) {
        std::fprintf(stderr, "usage: vareko-display view\n");
        return 2;
    }
    ControlClient client;
    if (const std::string error = client.Connect(ResolveSocketPath(), kConnectTimeoutMs); !error.empty()) {
        std::fprintf(stderr, "vareko-display: %s\n", error.c_str());
        return 1;
    }
    if (!client.Send(WatchMessage{})) return 1;
    std::signal(SIGINT, OnQuit);
    std::signal(SIGTERM, OnQuit);
    RawTerminal terminal;
    bool plugged = true;
    using Clock = std::chrono::steady_clock;
    Clock::time_point releaseAt[kButtonCount] = {};
    bool held[kButtonCount] = {};
    while (g_quit == 0) {
        pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {client.Fd(), POLLIN, 0}};
        poll(fds, 2, 50);
        if ((fds[0].revents & POLLIN) != 0) {
            char key = 0;
            if (read(STDIN_FILENO, &key, 1) == 1) {
                if (key == 'q') break;
                if (key == 'u') client.Send(PlugMessage{!plugged});
                if (key >= '1' && key <= '4') {
                    const int i = key - '1';
                    if (!held[i]) client.Send(ButtonMessage{static_cast<std::uint32_t>(i), true});
                    held[i] = true;
                    releaseAt[i] = Clock::now() + std::chrono::milliseconds(kReleaseAfterMs);
                }
            }
        }
        for (int i = 0; i < kButtonCount; ++i) {
            if (held[i] && Clock::now() >= releaseAt[i]) {
                client.Send(ButtonMessage{static_cast<std::uint32_t>(i), false});
                held[i] = false;
            }
        }
        ServiceMessage message;
        ControlClient::Wait wait;
        while ((wait = client.Receive(message, 0)) == ControlClient::Wait::kMessage) {
            if (const auto* s = std::get_if<SnapshotMessage>(&message)) {
                plugged = s->plugged;
                Render(*s);
            }
        }
        if (wait == ControlClient::Wait::kGone) {
            std::fputs("\r\nvareko-display: the display service went away\x1b[K", stdout);
            return 1;
        }
    }
    return 0;
}

}  // namespace vareko::displayservice
