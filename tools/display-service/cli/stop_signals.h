// How `serve` is asked to stop: `onStop` runs (inside a signal handler) on
// Ctrl-C and on a request to terminate. On POSIX also a write to a closed
// connection no longer kills the process.
#pragma once

namespace vareko::displayservice {

void StopOnSignals(void (*onStop)(int));

}  // namespace vareko::displayservice
