// The hand-over between the service's event loop and its HTTP viewer thread:
// the loop publishes the latest picture and client list (older ones are simply
// overwritten, so a slow viewer can only ever miss pictures, never queue them)
// and the viewer posts button and plug commands back and wakes the loop
// through the function it was given. Standard library only.
#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "display/devicelink/device_bitmap.h"

namespace vareko::displayservice {

struct ViewerClient {
    std::uint32_t id = 0;
    std::string name;
    long pid = 0;
    std::uint32_t priority = 0;
    double framesPerSecond = 0;
    bool deviceOpen = false;
    bool shown = false;
};

struct ViewerPicture {
    std::uint64_t generation = 0;
    bool plugged = true;
    std::uint32_t buttons = 0;
    std::uint32_t shownClientId = 0;
    std::array<std::uint8_t, kDevicePixelBytes> pixels{};
    std::vector<ViewerClient> clients;
};

struct ViewerCommand {
    enum class Kind { kButton, kPlug } kind = Kind::kButton;
    std::uint32_t button = 0;  // 0..3
    bool on = false;           // button down, or plugged
};

class ViewerState {
public:
    // `wakeLoop` is called, on the viewer's threads, after each posted command.
    explicit ViewerState(std::function<void()> wakeLoop) : wakeLoop_(std::move(wakeLoop)) {}

    // Loop side.
    void Publish(const ViewerPicture& picture);
    std::vector<ViewerCommand> TakeCommands();
    void Shutdown();

    // Viewer side. WaitNewer returns false on timeout or shutdown.
    bool WaitNewer(std::uint64_t seenGeneration, ViewerPicture& out, std::chrono::milliseconds timeout);
    ViewerPicture Latest();
    bool IsShutDown();
    void PostCommand(const ViewerCommand& command);

private:
    static constexpr std::size_t kMaxPendingCommands = 256;

    std::function<void()> wakeLoop_;
    std::mutex mutex_;
    std::condition_variable changed_;
    ViewerPicture latest_;
    std::vector<ViewerCommand> commands_;
    bool shutDown_ = false;
};

}  // namespace vareko::displayservice
