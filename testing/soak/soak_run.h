// One soak run: the display service, the program and vareko-send (through
// the relay) in a private folder (registry root, service socket, logs), a
// schedule of injected faults, the checks after each, and the summary.
#pragma once

#include <string>

namespace vareko::soak {

struct SoakOptions {
    double seconds = 60;
    double intervalS = 5;   // one event every interval
    double warmupS = -1;    // before the baselines (and at least one round of events); -1: a tenth of the run, 10 to 60 s
    double rateHz = 100;    // datagrams per second from vareko-send
    std::string program;
    std::string displayTool;
    std::string sender;
    std::string library;
};

// Prints the summary table to stdout; returns the process exit status
// (0 when every check passed).
int RunSoak(const SoakOptions& options);

}  // namespace vareko::soak
