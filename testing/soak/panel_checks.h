// What the soak checks on the panel, apart from sockets and threads: the book
// that names every picture the panel may show (the expected picture of each
// forwarded datagram, the black panel, the priority client's picture), and
// the checks over the pictures observed in order: nothing unknown (a torn or
// wrong frame), never back to older values, a recovery seen within a few
// updates after each fault is removed, and the priority client's frame
// winning while it is present. Depends on the standard library only.
#pragma once

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

namespace vareko::soak {

enum class FrameKind { kProgram, kBlank, kPriorityClient, kUnknown };

struct FrameName {
    FrameKind kind = FrameKind::kUnknown;
    std::uint64_t seq = 0;  // for kProgram: the datagram shown (0 = none yet)
};

// Hash -> picture. Keeps the pictures of the last kWindow datagrams (ten
// seconds at 100 Hz; the panel never shows anything that old), in storage
// of a fixed size, so the book does not grow during a run.
class FrameBook {
public:
    static constexpr std::size_t kWindow = 1000;

    FrameBook();

    void AddDatagram(std::uint64_t seq, std::uint64_t hash);
    void AddSpecial(FrameKind kind, std::uint64_t hash);
    FrameName Name(std::uint64_t hash) const;

private:
    std::unordered_map<std::uint64_t, FrameName> names;
    std::vector<std::uint64_t> datagramHashes;  // ring: seq % kWindow
    std::uint64_t datagramsAdded = 0;
};

struct Recovery {
    std::uint64_t updates = 0;  // the recovered frame came from the n-th datagram after the fault
    double ms = 0;              // from removing the fault to seeing that frame
};

class PanelChecks {
public:
    void Observe(const FrameName& frame, std::uint64_t nowUs);

    // The fault is gone at `nowUs`; `firstCurrentSeq` is the first datagram
    // forwarded after that moment. The recovery is complete when a program
    // frame of that datagram or a later one is observed.
    void ExpectRecovery(std::uint64_t firstCurrentSeq, std::uint64_t nowUs);
    bool RecoveryPending() const { return pending.has_value(); }
    std::optional<Recovery> TakeRecovery();
    void AbandonRecovery() { pending.reset(); }

    // While the priority client holds the device: once its frame has been
    // seen, a program frame on the panel is an arbitration fault.
    void BeginPriorityClient();
    bool EndPriorityClient();  // whether its frame was seen

    std::uint64_t frames = 0;
    std::uint64_t unknownFrames = 0;
    std::uint64_t framesGoingBack = 0;
    std::uint64_t programOverPriorityClient = 0;
    FrameName last;
    std::uint64_t lastProgramSeq = 0;

private:
    struct Pending {
        std::uint64_t firstCurrentSeq;
        std::uint64_t sinceUs;
    };
    std::optional<Pending> pending;
    std::optional<Recovery> done;
    enum class PriorityPhase { kAbsent, kWaiting, kShown } priority = PriorityPhase::kAbsent;
};

}  // namespace vareko::soak
