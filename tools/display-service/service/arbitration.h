// Which client's frame the virtual device shows: among the clients with an
// open device and at least one frame, the highest priority wins; priority 0
// means "do not show me"; equal priorities go to the most recent sender.
// Pure function, no dependencies.
#pragma once

#include <cstdint>
#include <span>

namespace vareko::displayservice {

struct ArbitrationCandidate {
    std::uint32_t clientId = 0;
    bool deviceOpen = false;
    bool hasFrame = false;
    std::uint32_t priority = 0;
    std::uint64_t lastFrameSequence = 0;  // larger = sent more recently
};

// Returns the id of the client to show, or 0 when none qualifies.
inline std::uint32_t ChooseShownClient(std::span<const ArbitrationCandidate> candidates) {
    const ArbitrationCandidate* best = nullptr;
    for (const auto& c : candidates) {
        if (!c.deviceOpen || !c.hasFrame || c.priority == 0) continue;
        if (best == nullptr || c.priority > best->priority ||
            (c.priority == best->priority && c.lastFrameSequence > best->lastFrameSequence)) {
            best = &c;
        }
    }
    return best == nullptr ? 0 : best->clientId;
}

}  // namespace vareko::displayservice
