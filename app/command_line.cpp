// Option table and texts of the program's command line.
#include "app/command_line.h"

#include <cstring>

namespace vareko {
namespace {

struct OptionRow {
    const char* name;
    CommandAction action;
};

constexpr OptionRow kOptions[] = {
    {"-h", CommandAction::PrintHelp},
    {"--help", CommandAction::PrintHelp},
    {"-V", CommandAction::PrintVersion},
    {"--version", CommandAction::PrintVersion},
};

constexpr const char* kUsage =
    "Usage: vareko [OPTION]\n"
    "Show live flight-simulator telemetry on the 160 x 43 display.\n"
    "\n"
    "Listens for telemetry datagrams on UDP port 6060 on every local address and\n"
    "draws the flight and engine pages through the display library named in the\n"
    "registry (record it with 'vareko-display register'). Runs until it is ended.\n"
    "Standard error gets one line saying what it listens on and which library it\n"
    "loaded, or why none; standard output stays empty.\n"
    "\n"
    "Options:\n"
    "  -h, --help     print this help and exit\n"
    "  -V, --version  print the version and exit\n"
    "\n"
    "Exit status: 0 after --help or --version, 1 when the telemetry port cannot\n"
    "be bound, 2 for a usage error.\n";

}  // namespace

Command ParseCommandLine(int argc, const char* const* argv) {
    if (argc < 2) {
        return {};
    }
    if (argc > 2) {
        return {CommandAction::BadUsage, argv[2]};
    }
    for (const OptionRow& option : kOptions) {
        if (std::strcmp(argv[1], option.name) == 0) {
            return {option.action, nullptr};
        }
    }
    return {CommandAction::BadUsage, argv[1]};
}

const char* UsageText() { return kUsage; }

const char* VersionText() { return "vareko " VAREKO_VERSION; }

}  // namespace vareko
