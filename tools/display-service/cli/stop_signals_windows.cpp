// Ctrl-C, Ctrl-Break and termination stop the service (the C runtime turns
// the console's events into these signals).
#include <csignal>

#include "tools/display-service/cli/stop_signals.h"

namespace vareko::displayservice {

void StopOnSignals(void (*onStop)(int)) {
    std::signal(SIGINT, onStop);
    std::signal(SIGBREAK, onStop);
    std::signal(SIGTERM, onStop);
}

}  // namespace vareko::displayservice
