// Latest-picture hand-over and command queue between loop and viewer thread.
#include "tools/display-service/service/viewer_state.h"


namespace vareko::displayservice {

void ViewerState::Publish(const ViewerPicture& picture) {
    {
        std::lock_guard lock(mutex_);
        const std::uint64_t next = latest_.generation + 1;
        latest_ = picture;
        latest_.generation = next;
    }
    changed_.notify_all();
}

std::vector<ViewerCommand> ViewerState::TakeCommands() {
    std::lock_guard lock(mutex_);
    std::vector<ViewerCommand> taken;
    taken.swap(commands_);
    return taken;
}

void ViewerState::Shutdown() {
    {
        std::lock_guard lock(mutex_);
        shutDown_ = true;
    }
    changed_.notify_all();
}

bool ViewerState::WaitNewer(std::uint64_t seenGeneration, ViewerPicture& out, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    const bool ready = changed_.wait_for(lock, timeout, [&] { return shutDown_ || latest_.generation > seenGeneration; });
    if (!ready || shutDown_) return false;
    out = latest_;
    return true;
}

ViewerPicture ViewerState::Latest() {
    std::lock_guard lock(mutex_);
    return latest_;
}

bool ViewerState::IsShutDown() {
    std::lock_guard lock(mutex_);
    return shutDown_;
}

void ViewerState::PostCommand(const ViewerCommand& command) {
    {
        std::lock_guard lock(mutex_);
        // A flood of clicks cannot grow the queue without bound.
        if (commands_.size() >= kMaxPendingCommands) return;
        commands_.push_back(command);
    }
    wakeLoop_();
}

}  // namespace vareko::displayservice
