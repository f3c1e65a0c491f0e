// vareko-e2e: the end-to-end figures of the dashboard. For each rate (60,
// 1,000 and 4,000 datagrams per second unless told otherwise) it runs the display
// service, the program and vareko-send's counter pattern for the given time,
// prints one table and, with --json, writes the figures for scripts/bench.
// The programs are the ones built beside it.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "testing/e2e/e2e_report.h"
#include "testing/e2e/e2e_run.h"

namespace {

constexpr const char* kUsage =
    "usage: vareko-e2e [--duration S] [--rate HZ]... [--json FILE]\n"
    "Sends vareko-send's counter pattern for S seconds (default 30) at each rate (default 60, "
    "1000 and 4000)\n"
    "and reports datagram-to-frame latency at the display service, the program's CPU share and "
    "peak\n"
    "memory, and its start-up time to the first frame. Needs UDP port 6060 free.\n"
    "Exit status 0 when every rate was measured (targets are judged by scripts/bench).\n";

bool ParsePositive(std::string_view text, double& value) {
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    return r.ec == std::errc() && r.ptr == text.data() + text.size() && std::isfinite(value) &&
           value > 0;
}

std::string LoadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

}  // namespace

int main(int argc, char** argv) {
    vareko::e2e::E2eSettings settings{.program = VAREKO_E2E_PROGRAM,
                                      .displayTool = VAREKO_E2E_DISPLAY_TOOL,
                                      .sender = VAREKO_E2E_SENDER,
                                      .library = VAREKO_E2E_DISPLAY_LIBRARY};
    std::vector<double> rates;
    std::string jsonFile;
    for (int i = 1; i < argc; ++i) {
        const std::string_view flag = argv[i];
        if (i + 1 >= argc) {
            std::fputs(kUsage, stderr);
            return 2;
        }
        const std::string_view value = argv[++i];
        double number = 0;
        if (flag == "--json") {
            jsonFile = value;
        } else if (flag == "--duration" && ParsePositive(value, number)) {
            settings.durationS = number;
        } else if (flag == "--rate" && ParsePositive(value, number)) {
            rates.push_back(number);
        } else {
            std::fputs(kUsage, stderr);
            return 2;
        }
    }
    if (rates.empty())
        rates = {60, 1000, 4000};

    const std::string load = LoadAverage();
    std::printf("vareko-e2e: %g s per rate, load average %s\n", settings.durationS, load.c_str());
    std::vector<vareko::e2e::RateFigures> runs;
    bool measured = true;
    for (const double rate : rates) {
        std::printf("== %s\n", vareko::e2e::RunName(rate).c_str());
        std::fflush(stdout);
        runs.push_back(vareko::e2e::MeasureRate(settings, rate));
        measured = measured && runs.back().error.empty();
    }
    std::fputs(vareko::e2e::FormatTable(runs).c_str(), stdout);
    if (!jsonFile.empty()) {
        std::ofstream out(jsonFile);
        out << vareko::e2e::FormatJson(runs, settings.durationS, load);
        if (!out) {
            std::fprintf(stderr, "vareko-e2e: cannot write %s\n", jsonFile.c_str());
            return 1;
        }
    }
    return measured ? 0 : 1;
}
