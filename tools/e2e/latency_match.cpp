// Matching by picture hash with a forward-only cursor, and percentiles.
#include "tools/e2e/latency_match.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

namespace vareko::e2e {

MatchResult MatchFrames(std::uint64_t initialHash, std::span<const Stamped> datagrams,
                        std::span<const Stamped> frames) {
    // Frame positions by picture, ascending, so each lookup is a binary
    // search instead of a scan over every later frame (lost datagrams would
    // otherwise make the matching quadratic).
    std::unordered_map<std::uint64_t, std::vector<std::size_t>> positions;
    for (std::size_t i = 0; i < frames.size(); ++i) positions[frames[i].pictureHash].push_back(i);

    MatchResult result;
    std::unordered_set<std::uint64_t> explained{initialHash};
    for (const Stamped& d : datagrams) explained.insert(d.pictureHash);
    for (const Stamped& f : frames)
        result.unexplainedFrames += explained.contains(f.pictureHash) ? 0 : 1;

    std::size_t cursor = 0;
    std::uint64_t previous = initialHash;
    for (const Stamped& d : datagrams) {
        if (d.pictureHash == previous)
            continue;
        previous = d.pictureHash;
        ++result.changing;
        const auto sentOrLater =
            std::partition_point(frames.begin() + static_cast<std::ptrdiff_t>(cursor), frames.end(),
                                 [&](const Stamped& f) { return f.atUs < d.atUs; });
        const auto from = static_cast<std::size_t>(sentOrLater - frames.begin());
        const auto found = positions.find(d.pictureHash);
        if (found == positions.end()) {
            ++result.unmatched;
            continue;
        }
        const std::vector<std::size_t>& at = found->second;
        const auto hit = std::lower_bound(at.begin(), at.end(), from);
        if (hit == at.end()) {
            ++result.unmatched;
            continue;
        }
        result.latenciesUs.push_back(frames[*hit].atUs - d.atUs);
        cursor = *hit + 1;
    }
    return result;
}

std::uint64_t Percentile(std::vector<std::uint64_t> values, double percent) {
    if (values.empty())
        return 0;
    const double rank = std::ceil(percent / 100.0 * static_cast<double>(values.size()));
    const std::size_t index =
        std::clamp<std::size_t>(static_cast<std::size_t>(rank), 1, values.size()) - 1;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(index),
                     values.end());
    return values[index];
}

}  // namespace vareko::e2e
