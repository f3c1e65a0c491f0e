// Datagram-to-frame matching of the end-to-end run: every datagram whose
// expected picture differs from the picture before it is paired with the
// first later frame at the service that shows that picture. Frames are taken
// in arrival order by a cursor that only moves forward, so one frame never
// answers two datagrams and a picture that comes back later cannot match an
// earlier datagram. A datagram whose own picture was never shown because a
// newer one replaced it in the same turn is answered by the frame that shows
// the newer one: its latency ends there. Pure arithmetic over time-stamped
// hashes, no I/O.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace vareko::e2e {

// A datagram with the picture it must produce, or a frame with the picture
// it shows; the time is in microseconds of one steady clock.
struct Stamped {
    std::uint64_t atUs = 0;
    std::uint64_t pictureHash = 0;
};

struct MatchResult {
    std::vector<std::uint64_t> latenciesUs;  // one per matched datagram, in datagram order
    std::size_t changing = 0;                // datagrams whose picture differs from the one before
    std::size_t unmatched = 0;               // of those, the ones that no later frame answered
    std::size_t superseded = 0;              // matched ones answered by a newer datagram's frame
    // Frames whose picture is neither the initial one nor any datagram's:
    // another process sent to the program's port during the run.
    std::size_t unexplainedFrames = 0;
};

// `datagrams` in forwarding order, `frames` in arrival order (both by time);
// `initialHash` is the picture shown before the first datagram.
MatchResult MatchFrames(std::uint64_t initialHash, std::span<const Stamped> datagrams,
                        std::span<const Stamped> frames);

// Nearest-rank percentile, `percent` in (0, 100]: the smallest value that at
// least that share of `values` does not exceed. 0 for no values.
std::uint64_t Percentile(std::vector<std::uint64_t> values, double percent);

}  // namespace vareko::e2e
