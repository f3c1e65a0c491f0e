// The frame book and the checks over observed frames.
#include "testing/soak/panel_checks.h"

namespace vareko::soak {

FrameBook::FrameBook() : datagramHashes(kWindow) { names.reserve(2 * kWindow + 8); }

void FrameBook::AddDatagram(std::uint64_t seq, std::uint64_t hash) {
    std::uint64_t& slot = datagramHashes[datagramsAdded++ % kWindow];
    if (datagramsAdded > kWindow) {
        // The slot holds the picture of the datagram kWindow before this
        // one; forget it unless a later datagram drew the same picture.
        const auto it = names.find(slot);
        if (it != names.end() && it->second.kind == FrameKind::kProgram && it->second.seq + kWindow <= seq) {
            names.erase(it);
        }
    }
    slot = hash;
    names[hash] = {FrameKind::kProgram, seq};
}

void FrameBook::AddSpecial(FrameKind kind, std::uint64_t hash) { names[hash] = {kind, 0}; }

FrameName FrameBook::Name(std::uint64_t hash) const {
    const auto it = names.find(hash);
    return it == names.end() ? FrameName{} : it->second;
}

void PanelChecks::Observe(const FrameName& frame, std::uint64_t nowUs) {
    ++frames;
    last = frame;
    switch (frame.kind) {
        case FrameKind::kUnknown: ++unknownFrames; return;
        case FrameKind::kBlank: return;
        case FrameKind::kPriorityClient:
            if (priority == PriorityPhase::kWaiting) priority = PriorityPhase::kShown;
            return;
        case FrameKind::kProgram: break;
    }
    if (frame.seq < lastProgramSeq) ++framesGoingBack;
    if (frame.seq > lastProgramSeq) lastProgramSeq = frame.seq;
    if (priority == PriorityPhase::kShown) ++programOverPriorityClient;
    if (pending && frame.seq >= pending->firstCurrentSeq) {
        done = Recovery{frame.seq - pending->firstCurrentSeq + 1,
                        static_cast<double>(nowUs - pending->sinceUs) / 1000.0};
        pending.reset();
    }
}

void PanelChecks::ExpectRecovery(std::uint64_t firstCurrentSeq, std::uint64_t nowUs) {
    pending = Pending{firstCurrentSeq, nowUs};
    done.reset();
}

std::optional<Recovery> PanelChecks::TakeRecovery() {
    std::optional<Recovery> r = done;
    done.reset();
    return r;
}

void PanelChecks::BeginPriorityClient() { priority = PriorityPhase::kWaiting; }

bool PanelChecks::EndPriorityClient() {
    const bool shown = priority == PriorityPhase::kShown;
    priority = PriorityPhase::kAbsent;
    return shown;
}

}  // namespace vareko::soak
