// vareko-soak: runs the display service, the program and vareko-send for a
// while and injects faults on a schedule (service killed and restarted,
// device unplugged and plugged, bursts of bad datagrams, a second client with
// a higher priority), checking the panel and the processes throughout. The
// programs are the ones built beside it. Prints one summary table.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>

#include "testing/soak/soak_run.h"

namespace {

bool ParsePositive(std::string_view text, double& value) {
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    return r.ec == std::errc() && r.ptr == text.data() + text.size() && std::isfinite(value) && value > 0;
}

constexpr const char* kUsage =
    "usage: vareko-soak (--minutes N | --seconds N) [--interval S] [--warmup S] [--rate HZ]\n"
    "One event every S seconds (default 5) from the fifth second; memory and descriptors are compared\n"
    "with their values after the warm-up (default a tenth of the run, 10 to 60 s, and one round of events);\n"
    "vareko-send sends HZ datagrams per second (default 100). Exit status 0 when every check passed.\n";

}  // namespace

int main(int argc, char** argv) {
    vareko::soak::SoakOptions options{.program = VAREKO_SOAK_PROGRAM,
                                      .displayTool = VAREKO_SOAK_DISPLAY_TOOL,
                                      .sender = VAREKO_SOAK_SENDER,
                                      .library = VAREKO_SOAK_DISPLAY_LIBRARY};
    bool haveLength = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view flag = argv[i];
        double value = 0;
        if (i + 1 >= argc || !ParsePositive(argv[i + 1], value)) {
            std::fputs(kUsage, stderr);
            return 2;
        }
        ++i;
        if (flag == "--minutes" || flag == "--seconds") {
            options.seconds = flag == "--minutes" ? value * 60 : value;
            haveLength = true;
        } else if (flag == "--interval") {
            options.intervalS = value;
        } else if (flag == "--warmup") {
            options.warmupS = value;
        } else if (flag == "--rate") {
            options.rateHz = value;
        } else {
            std::fputs(kUsage, stderr);
            return 2;
        }
    }
    if (!haveLength) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    return vareko::soak::RunSoak(options);
}
