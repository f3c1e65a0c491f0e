// Ratio lines for named benchmark pairs; see ratio_lines.h.
#include "bench/support/ratio_lines.h"

#include <cstdio>
#include <optional>

namespace vareko::bench {
namespace {

const BenchmarkFigures* Find(const FigureTable& figures, const std::string& name) {
    if (const auto exact = figures.find(name); exact != figures.end()) return &exact->second;
    for (const auto& [reported, values] : figures) {
        if (reported.size() > name.size() && reported.compare(0, name.size(), name) == 0 &&
            reported[name.size()] == '/') {
            return &values;
        }
    }
    return nullptr;
}

std::optional<double> Figure(const BenchmarkFigures& values, const std::string& figure) {
    if (figure.empty()) return values.realTime;
    const auto counter = values.counters.find(figure);
    if (counter == values.counters.end()) return std::nullopt;
    return counter->second;
}

std::string Line(const RatioPair& pair, const char* text) {
    const std::string what = pair.figure.empty() ? "real time" : pair.figure;
    return "ratio " + pair.subject + " / " + pair.reference + " (" + what + "): " + text;
}

}  // namespace

std::vector<std::string> RatioLines(const FigureTable& figures, const std::vector<RatioPair>& pairs) {
    std::vector<std::string> lines;
    for (const RatioPair& pair : pairs) {
        const BenchmarkFigures* subject = Find(figures, pair.subject);
        const BenchmarkFigures* reference = Find(figures, pair.reference);
        if (subject == nullptr || reference == nullptr) {
            lines.push_back(Line(pair, "not run"));
            continue;
        }
        // Times compare only in one unit; counters carry none.
        if (pair.figure.empty() && subject->timeUnit != reference->timeUnit) {
            lines.push_back(Line(pair, "time units differ"));
            continue;
        }
        const std::optional<double> mine = Figure(*subject, pair.figure);
        const std::optional<double> theirs = Figure(*reference, pair.figure);
        if (!mine || !theirs) {
            lines.push_back(Line(pair, "figure missing"));
            continue;
        }
        if (!(*mine > 0) || !(*theirs > 0)) {
            lines.push_back(Line(pair, "figure not positive"));
            continue;
        }
        char text[96];
        std::snprintf(text, sizeof text, "%.3g, the reference takes %.3g times as long", *mine / *theirs,
                      *theirs / *mine);
        lines.push_back(Line(pair, text));
    }
    return lines;
}

}  // namespace vareko::bench
