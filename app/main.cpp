// vareko: shows flight-simulator telemetry on the 160 x 43 display. Builds
// the dashboard on the display manager and the UDP receiver and runs it
// until the process is ended; it prints nothing.
#include "app/dashboard_app.h"
#include "app/manager_display.h"
#include "app/telemetry_receiver.h"
#include "platform/text/install_house_fonts.h"

int main() {
    // The display's own fonts, before the first text object asks for them.
    vareko::platform::InstallHouseFonts();
    static vareko::ManagerDisplay display;
    static vareko::TelemetryReceiver receiver;
    vareko::DashboardApp app(display, receiver);
    app.Run();
}
