// vareko-display: runs the virtual display service and operates it from the
// command line. Dispatches to the sub-command named by the first argument.
#include <cstdio>
#include <cstring>
#include <iterator>

#include "tools/display-service/cli/cli_commands.h"
#include "tools/display-service/cli/help_locations.h"

namespace {

using namespace vareko::displayservice;

constexpr CliCommand kCommands[] = {
    {"serve", "serve [--http-port N | --no-http] [--viewer-listen ADDRESS]...\n"
              "        [--tls-cert FILE --tls-key FILE] [--tcp-port N | --no-tcp] [--token-file PATH]\n"
              "                                       run the display service; --viewer-listen\n"
              "                                       serves the viewer on ADDRESS too (0.0.0.0,\n"
              "                                       :: for every interface); --tls-cert/--tls-key:\n"
              "                                       HTTPS with that certificate (PEM files)", RunServe},
    {"view", "view                                 terminal view (keys 1-4, u, q)", RunView},
    {"snapshot", "snapshot FILE.png [--scale N]        save the panel as PNG", RunSnapshot},
    {"press", "press N                              press soft button N (1-4)", RunPress},
    {"release", "release N                            release soft button N (1-4)", RunRelease},
    {"unplug", "unplug                               unplug the virtual device", RunUnplug},
    {"plug", "plug                                 plug it in again", RunPlug},
    {"status", "status                               device, viewer and clients", RunStatus},
    {"url", "url [--lan] [--qr]                   the viewer's address for its owner to open\n"
            "                                       (--lan: those on the network; --qr: as QR codes)", RunUrl},
    {"rotate-secret", "rotate-secret                        a new viewer secret: every browser must open\n"
                      "                                       the new address", RunRotateSecret},
    {"register", "register [PATH]                      record the library path in the registry", RunRegister},
};

int Help(FILE* out) {
    std::fprintf(out, "usage: vareko-display COMMAND [ARGS]\n\n");
    for (const CliCommand& c : kCommands) std::fprintf(out, "  %s\n", c.usage);
    std::fprintf(out, "\n%s", kLocationsHelp);
    return out == stdout ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Help(stderr);
    if (std::strcmp(argv[1], "help") == 0 || std::strcmp(argv[1], "--help") == 0) return Help(stdout);
    for (const CliCommand& c : kCommands) {
        if (std::strcmp(argv[1], c.name) == 0) return c.run(Arguments(argv + 2, argv + argc));
    }
    std::fprintf(stderr, "vareko-display: unknown command '%s'\n", argv[1]);
    return Help(stderr);
}
