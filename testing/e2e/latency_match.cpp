// Matching by picture hash with a forward-only cursor, and percentiles.
#include "testing/e2e/latency_match.h"

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
    // Changing datagrams since the last match, by position in latenciesUs,
    // which holds their send time until the frame that answers them is known.
    std::vector<std::size_t> waiting;
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
        const auto hit = found == positions.end()
                             ? std::vector<std::size_t>::const_iterator{}
                             : std::lower_bound(found->second.cbegin(), found->second.cend(), from);
        if (found == positions.end() || hit == found->second.cend()) {
            waiting.push_back(result.latenciesUs.size());
            result.latenciesUs.push_back(d.atUs);
            continue;
        }
        const std::uint64_t shownAt = frames[*hit].atUs;
        for (const std::size_t w : waiting) result.latenciesUs[w] = shownAt - result.latenciesUs[w];
        result.superseded += waiting.size();
        waiting.clear();
        result.latenciesUs.push_back(shownAt - d.atUs);
        cursor = *hit + 1;
    }
    // Nothing newer was shown after these: they were never answered.
    result.unmatched = waiting.size();
    result.latenciesUs.resize(result.latenciesUs.size() - waiting.size());
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
