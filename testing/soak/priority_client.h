// A second display client with a higher priority than the program: it loads
// libvareko-display.so itself, as any other application would, opens the
// device, shows a checkerboard for a while and leaves. POSIX (dlopen).
#pragma once

#include <cstdint>
#include <string>

#include "display/devicelink/link_interface.h"

namespace vareko::soak {

class PriorityClient {
public:
    PriorityClient();
    ~PriorityClient();
    PriorityClient(const PriorityClient&) = delete;
    PriorityClient& operator=(const PriorityClient&) = delete;

    // Loads the library and initializes it. Empty string or the reason.
    std::string Load(const std::string& libraryPath);
    // Connects and opens device 0. Empty string or the failing step.
    std::string Arrive();
    // One frame with `priority`, then the buttons are read (and dropped).
    link::LinkResult ShowFrame(std::uint32_t priority);
    void Leave();

    // The picture it shows.
    static const DeviceBitmap& Picture();

private:
    void* module = nullptr;
    const link::InterfaceTable* table = nullptr;
    link::LinkHandle connection = link::kNoHandle;
    link::LinkHandle device = link::kNoHandle;
};

}  // namespace vareko::soak
