// Polling with a deadline, for conditions that other processes or threads
// make true (a frame shown, a port freed, a child ended).
#pragma once

#include <functional>

namespace vareko::harness {

// Polls `condition` every `pollMs` until it holds (true) or `timeoutMs` pass (false).
bool WaitFor(const std::function<bool()>& condition, int timeoutMs, int pollMs = 2);

}  // namespace vareko::harness
