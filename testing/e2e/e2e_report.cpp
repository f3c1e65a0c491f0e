// Table and JSON writers over the same list of figures.
#include "testing/e2e/e2e_report.h"

#include <cmath>
#include <cstdio>
#include <functional>
#include <string_view>

namespace vareko::e2e {
namespace {

struct Figure {
    const char* label;    // in the table
    const char* counter;  // in the JSON (the figures that scripts/bench shows); null: table only
    std::function<double(const RateFigures&)> value;
    int decimals;
};

// The order of the table and of the counters.
const Figure kFigures[] = {
    {"datagrams forwarded", nullptr,
     [](const RateFigures& f) { return static_cast<double>(f.datagrams); }, 0},
    {"sending window (s)", nullptr, [](const RateFigures& f) { return f.windowS; }, 2},
    {"datagrams changing the page", nullptr,
     [](const RateFigures& f) { return static_cast<double>(f.changing); }, 0},
    {"matched to a frame", "matched",
     [](const RateFigures& f) { return static_cast<double>(f.matched); }, 0},
    {"of them superseded in a burst", "superseded",
     [](const RateFigures& f) { return static_cast<double>(f.superseded); }, 0},
    {"unmatched (never shown)", "unmatched",
     [](const RateFigures& f) { return static_cast<double>(f.unmatched); }, 0},
    {"latency p50 (ms)", "latency_p50_ms", [](const RateFigures& f) { return f.latencyP50Ms; }, 3},
    {"latency p99 (ms)", "latency_p99_ms", [](const RateFigures& f) { return f.latencyP99Ms; }, 3},
    {"latency max (ms)", "latency_max_ms", [](const RateFigures& f) { return f.latencyMaxMs; }, 3},
    {"frames from foreign datagrams", "foreign_frames",
     [](const RateFigures& f) { return static_cast<double>(f.foreignFrames); }, 0},
    {"loop turns (frames after start-up)", nullptr,
     [](const RateFigures& f) { return static_cast<double>(f.turns); }, 0},
    {"loop turns per second", "turns_per_s", [](const RateFigures& f) { return f.turnsPerS; }, 1},
    {"peak socket queue (bytes)", nullptr,
     [](const RateFigures& f) { return static_cast<double>(f.peakQueueBytes); }, 0},
    {"dropped by the kernel", "socket_drops",
     [](const RateFigures& f) { return static_cast<double>(f.drops); }, 0},
    {"CPU (% of one core)", "cpu_percent", [](const RateFigures& f) { return f.cpuPercent; }, 2},
    {"service CPU (% of one core)", "service_cpu_percent",
     [](const RateFigures& f) { return f.serviceCpuPercent; }, 2},
    {"peak RSS (MiB)", "peak_rss_mib", [](const RateFigures& f) { return f.peakRssMiB; }, 2},
    {"first frame (ms)", "first_frame_ms", [](const RateFigures& f) { return f.firstFrameMs; }, 1},
    {"start-up page as expected", nullptr,
     [](const RateFigures& f) { return f.startPictureRight ? 1.0 : 0.0; }, 0},
};

std::string Fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// Shortest form: 60, 1000, 2.5.
std::string Short(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string Padded(std::string text, std::size_t width) {
    if (text.size() < width)
        text.append(width - text.size(), ' ');
    return text;
}

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x",
                          static_cast<unsigned>(static_cast<unsigned char>(c)));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// JSON has no NaN or infinity; a figure that could not be taken is left out.
std::string JsonNumber(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

}  // namespace

std::string RunName(double rateHz) {
    return "EndToEnd/" + Short(rateHz) + "Hz";
}

std::string FormatTable(std::span<const RateFigures> runs) {
    constexpr std::size_t kLabelWidth = 36;
    constexpr std::size_t kColumnWidth = 14;
    std::string text = Padded("figure", kLabelWidth);
    for (const RateFigures& run : runs) text += Padded(Short(run.rateHz) + " Hz", kColumnWidth);
    text += '\n' + std::string(kLabelWidth + kColumnWidth * runs.size(), '-') + '\n';
    for (const Figure& figure : kFigures) {
        text += Padded(figure.label, kLabelWidth);
        for (const RateFigures& run : runs) {
            const double value = figure.value(run);
            text += Padded(run.error.empty() && value >= 0 ? Fixed(value, figure.decimals) : "-",
                           kColumnWidth);
        }
        text += '\n';
    }
    for (const RateFigures& run : runs) {
        if (run.error.empty() && run.foreignFrames > 0)
            text += Short(run.rateHz) +
                    " Hz: another process sent datagrams to UDP 6060 during the run; the figures "
                    "are disturbed, run again\n";
        if (!run.error.empty())
            text += Short(run.rateHz) + " Hz: " + run.error + " (logs in " + run.logFolder + ")\n";
    }
    return text;
}

std::string FormatJson(std::span<const RateFigures> runs, double durationS,
                       const std::string& loadAverage) {
    std::string text = "{\n  \"context\": {\"executable\": \"vareko-e2e\", \"duration_s\": " +
                       JsonNumber(durationS) + ", \"load_average\": " + JsonString(loadAverage) +
                       "},\n  \"benchmarks\": [";
    const char* separator = "\n";
    for (const RateFigures& run : runs) {
        const std::string name = JsonString(RunName(run.rateHz));
        text += separator;
        separator = ",\n";
        text += "    {\"name\": ";
        text += name;
        text += ", \"run_name\": ";
        text += name;
        text += ", \"run_type\": \"iteration\", \"iterations\": 1";
        if (!run.error.empty()) {
            text += ", \"error_occurred\": true, \"error_message\": " + JsonString(run.error) + "}";
            continue;
        }
        for (const Figure& figure : kFigures) {
            const double value = figure.value(run);
            if (figure.counter != nullptr && std::isfinite(value) && value >= 0)
                text += std::string(", \"") + figure.counter + "\": " + JsonNumber(value);
        }
        text += "}";
    }
    return text + "\n  ]\n}\n";
}

}  // namespace vareko::e2e
