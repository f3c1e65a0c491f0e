// Runs the Windows frame timer under Wine. Wine's own messages go to
// /dev/null (WINEDEBUG=-all unless the caller set it), and the Mono and
// Gecko installers are turned off, so a fresh prefix does not stop to ask.
#include "bench/raster/wine_frame.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace vareko::bench {
namespace {

// The value after "key=" at the start of `text`, up to the next blank;
// advances `text` past it.
bool TakeField(std::string_view& text, std::string_view key, double& value) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    if (text.substr(0, key.size()) != key || text.substr(key.size(), 1) != "=") return false;
    text.remove_prefix(key.size() + 1);
    const std::size_t end = std::min(text.find_first_of(" \r\n"), text.size());
    const std::string_view number = text.substr(0, end);
    const auto [rest, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || rest != number.data() + number.size()) return false;
    text.remove_prefix(end);
    return true;
}

// The path in single quotes for the shell, with any quote in it escaped.
std::string ShellQuoted(const std::string& path) {
    std::string quoted = "'";
    for (char c : path) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

bool WineOnPath() { return std::system("command -v wine >/dev/null 2>&1") == 0; }

}  // namespace

std::optional<GdiFrameFigures> ParseFrameTimerLine(std::string_view line) {
    double frames = 0, median = 0, cpu = 0;
    if (!TakeField(line, "frames", frames) || !TakeField(line, "median_ns", median) ||
        !TakeField(line, "cpu_ns", cpu)) {
        return std::nullopt;
    }
    while (!line.empty() && (line.front() == ' ' || line.front() == '\r' || line.front() == '\n')) {
        line.remove_prefix(1);
    }
    if (!line.empty() || frames < 1 || !(median > 0) || !(cpu > 0)) return std::nullopt;
    return GdiFrameFigures{static_cast<long long>(frames), median, cpu};
}

std::optional<GdiFrameFigures> TimeFrameUnderWine(const std::string& defaultTimer, double seconds,
                                                  std::string& why) {
    const char* fromEnvironment = std::getenv("VAREKO_GDI_FRAME_TIMER");
    const std::string timer = fromEnvironment != nullptr ? fromEnvironment : defaultTimer;
    if (timer.empty()) {
        why = "no frame timer configured (VAREKO_GDI_FRAME_TIMER is empty)";
        return std::nullopt;
    }
    if (access(timer.c_str(), R_OK) != 0) {
        why = timer + " not found: build it with `cmake --preset windows-release && cmake --build "
                      "--preset windows-release --target gdi_frame_timer`";
        return std::nullopt;
    }
    if (!WineOnPath()) {
        why = "wine is not installed";
        return std::nullopt;
    }
    setenv("WINEDEBUG", "-all", 0);
    setenv("WINEDLLOVERRIDES", "mscoree,mshtml=", 0);
    char secondsText[32];
    std::snprintf(secondsText, sizeof secondsText, "%.3f", seconds);
    const std::string command = "wine " + ShellQuoted(timer) + " " + secondsText + " 2>/dev/null";
    FILE* child = popen(command.c_str(), "r");
    if (child == nullptr) {
        why = "could not start wine";
        return std::nullopt;
    }
    std::array<char, 256> buffer{};
    std::string last;
    while (std::fgets(buffer.data(), static_cast<int>(buffer.size()), child) != nullptr) {
        last = buffer.data();
    }
    const int status = pclose(child);
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        why = "the frame timer failed under wine";
        return std::nullopt;
    }
    std::optional<GdiFrameFigures> figures = ParseFrameTimerLine(last);
    if (!figures) {
        why = "unexpected output from the frame timer: " + last;
    }
    return figures;
}

}  // namespace vareko::bench
