// vareko: shows flight-simulator telemetry on the 160 x 43 display. Reads
// its command line, then builds the dashboard on the display manager and the
// UDP receiver and runs it until the process is ended. Standard output
// carries only what --help and --version print; standard error one line
// about the start, or why the telemetry port cannot be bound.
#include <cstdio>

#include "app/command_line.h"
#include "app/dashboard_app.h"
#include "app/device_dashboard_display.h"
#include "app/start_report.h"
#include "app/telemetry_receiver.h"
#include "display/devicelink/device_link.h"
#include "platform/text/install_house_fonts.h"

namespace {

constexpr int kExitCannotListen = 1;
constexpr int kExitUsage = 2;

int RunDashboard() {
    // The display's own fonts, before the first text object asks for them.
    vareko::platform::InstallHouseFonts();
    static vareko::DeviceDashboardDisplay display;
    static vareko::TelemetryReceiver receiver;
    vareko::DashboardApp app(display, receiver);
    if (const vareko::SourceOpenResult opened = app.Start(); !opened.Opened()) {
        std::fprintf(stderr, "%s\n", vareko::OpenFailureLine(vareko::kTelemetryPort, opened).c_str());
        return kExitCannotListen;
    }
    // The display manager loads the library during the start only, so what
    // it found then stands for the whole run.
    const std::string started = vareko::StartLine(vareko::kTelemetryPort, vareko::link::LastLoadStatus());
    std::fprintf(stderr, "%s\n", started.c_str());
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
