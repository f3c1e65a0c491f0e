// vareko: shows flight-simulator telemetry on the 160 x 43 display. Reads
// its command line, then builds the dashboard on the display manager and the
// UDP receiver and runs it until the process is ended.
#include <cstdio>

#include "app/command_line.h"
#include "app/dashboard_app.h"
#include "app/manager_display.h"
#include "app/telemetry_receiver.h"
#include "platform/text/install_house_fonts.h"

namespace {

constexpr int kExitUsage = 2;

int RunDashboard() {
    // The display's own fonts, before the first text object asks for them.
    vareko::platform::InstallHouseFonts();
    static vareko::ManagerDisplay display;
    static vareko::TelemetryReceiver receiver;
    vareko::DashboardApp app(display, receiver);
    app.Run();
}

}  // namespace

int main(int argc, char** argv) {
    const vareko::Command command = vareko::ParseCommandLine(argc, argv);
    switch (command.action) {
    case vareko::CommandAction::PrintHelp:
        std::fputs(vareko::UsageText(), stdout);
        return 0;
    case vareko::CommandAction::PrintVersion:
        std::printf("%s\n", vareko::VersionText());
        return 0;
    case vareko::CommandAction::BadUsage:
        std::fprintf(stderr, "vareko: unrecognised argument '%s'\n", command.badArgument);
        std::fputs(vareko::UsageText(), stderr);
        return kExitUsage;
    case vareko::CommandAction::Run:
        break;
    }
    return RunDashboard();
}
