// Table-driven option parsing: each flag names the modes it applies to and
// how its value is stored.
#include "tools/send/options.h"

#include <charconv>
#include <cmath>
#include <string_view>

namespace vareko::send {
namespace {

enum ModeMask : unsigned { kFlightMode = 1, kRecordMode = 2, kReplayMode = 4, kAnyMode = 7 };

unsigned MaskOf(Mode mode) {
    switch (mode) {
        case Mode::kFlight: return kFlightMode;
        case Mode::kRecord: return kRecordMode;
        case Mode::kReplay: return kReplayMode;
        case Mode::kHelp: return 0;
    }
    return 0;
}

bool ParseDouble(std::string_view text, double& value) {
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    return r.ec == std::errc() && r.ptr == text.data() + text.size() && std::isfinite(value);
}

using Setter = bool (*)(std::string_view value, Options& options);

struct Flag {
    const char* name;
    unsigned modes;
    Setter set;
    const char* expects;  // for the error message
};

const Flag kFlags[] = {
    {"--host", kFlightMode | kReplayMode,
     [](std::string_view v, Options& o) { o.host = std::string(v); return !v.empty(); }, "a host name or address"},
    {"--port", kAnyMode,
     [](std::string_view v, Options& o) {
         unsigned port = 0;
         const auto r = std::from_chars(v.data(), v.data() + v.size(), port);
         if (r.ec != std::errc() || r.ptr != v.data() + v.size() || port < 1 || port > 65535) return false;
         o.port = static_cast<std::uint16_t>(port);
         return true;
     }, "a port from 1 to 65535"},
    {"--rate", kFlightMode,
     [](std::string_view v, Options& o) { return ParseDouble(v, o.rateHz) && o.rateHz > 0 && o.rateHz <= 10000; },
     "datagrams per second, above 0 and at most 10000"},
    {"--speed", kFlightMode | kReplayMode,
     [](std::string_view v, Options& o) { return ParseDouble(v, o.speed) && o.speed > 0; }, "a factor above 0"},
    {"--start", kFlightMode,
     [](std::string_view v, Options& o) { return ParseDouble(v, o.startS) && o.startS >= 0; }, "seconds, 0 or more"},
    {"--pattern", kFlightMode,
     [](std::string_view v, Options& o) {
         if (v != "flight" && v != "counter") return false;
         o.pattern = v == "counter" ? FlightPattern::kCounter : FlightPattern::kFlight;
         return true;
     }, "flight or counter"},
    {"--count", kAnyMode,
     [](std::string_view v, Options& o) {
         std::uint64_t n = 0;
         const auto r = std::from_chars(v.data(), v.data() + v.size(), n);
         if (r.ec != std::errc() || r.ptr != v.data() + v.size()) return false;
         o.limits.count = n;
         return true;
     }, "a number of datagrams"},
    {"--duration", kAnyMode,
     [](std::string_view v, Options& o) {
         double s = 0;
         if (!ParseDouble(v, s) || s < 0) return false;
         o.limits.durationS = s;
         return true;
     }, "seconds, 0 or more"},
};

const Flag* FindFlag(std::string_view name) {
    for (const Flag& f : kFlags) {
        if (name == f.name) return &f;
    }
    return nullptr;
}

}  // namespace

bool ParseOptions(std::span<const char* const> args, Options& options, std::string& error) {
    std::size_t i = 0;
    if (i < args.size()) {
        const std::string_view first = args[i];
        if (first == "record" || first == "replay") {
            options.mode = first == "record" ? Mode::kRecord : Mode::kReplay;
            if (++i >= args.size() || std::string_view(args[i]).starts_with("--")) {
                error = std::string(first) + " needs a FILE";
                return false;
            }
            options.file = args[i++];
        } else if (first == "--help" || first == "-h" || first == "help") {
            options.mode = Mode::kHelp;
            return true;
        }
    }
    for (; i < args.size(); ++i) {
        const std::string_view name = args[i];
        const Flag* flag = FindFlag(name);
        if (!flag) {
            error = "unknown argument " + std::string(name);
            return false;
        }
        if (!(flag->modes & MaskOf(options.mode))) {
            error = std::string(name) + " does not apply to this mode";
            return false;
        }
        if (i + 1 >= args.size()) {
            error = std::string(name) + " needs " + flag->expects;
            return false;
        }
        if (!flag->set(args[++i], options)) {
            error = std::string(name) + " expects " + flag->expects + ", not " + args[i];
            return false;
        }
    }
    return true;
}

const char* UsageText() {
    return "usage: vareko-send [--host H] [--port P] [--rate HZ] [--speed X] [--start S]\n"
           "                   [--pattern flight|counter] [LIMITS]\n"
           "       vareko-send record FILE [--port P] [LIMITS]\n"
           "       vareko-send replay FILE [--host H] [--port P] [--speed X] [LIMITS]\n"
           "LIMITS: --count N (datagrams), --duration S (seconds)\n"
           "Without a mode, sends a synthetic flight (default 127.0.0.1:6060, 20 per second).\n"
           "--pattern counter sends a test pattern in which every shown value changes with every datagram.\n"
           "record captures the datagrams arriving on --port (default 6060) with their timing;\n"
           "replay sends a recording back at the recorded pace, or --speed times faster.\n";
}

}  // namespace vareko::send
