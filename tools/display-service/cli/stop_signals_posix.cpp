// SIGINT and SIGTERM stop the service; SIGPIPE is ignored.
#include <csignal>

#include "tools/display-service/cli/stop_signals.h"

namespace vareko::displayservice {

void StopOnSignals(void (*onStop)(int)) {
    std::signal(SIGINT, onStop);
    std::signal(SIGTERM, onStop);
    std::signal(SIGPIPE, SIG_IGN);
}

}  // namespace vareko::displayservice
