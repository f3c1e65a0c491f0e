// The numbers a soak run collects and the table it prints: per kind of
// event how often it was injected and recovered from, the worst recovery;
// per process the memory and descriptor drift; the frame checks; and the
// list of failed checks, which decides the exit status. No I/O.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "testing/soak/process_usage.h"

namespace vareko::soak {

constexpr double kAllowedGrowthPercent = 5.0;
constexpr std::uint64_t kAllowedRecoveryUpdates = 3;

struct EventTally {
    std::string name;
    int injected = 0;
    int recovered = 0;
    double worstMs = 0;
    std::uint64_t worstUpdates = 0;
};

struct ProcessRow {
    std::string name;
    int runs = 0;  // 1, or the number of starts of a restarted process
    DriftTrack rssKiB{};
    DriftTrack fds{};
};

struct SoakSummary {
    double seconds = 0;
    std::uint64_t datagrams = 0;
    std::uint64_t badDatagrams = 0;
    std::uint64_t frames = 0;
    std::uint64_t unknownFrames = 0;
    std::uint64_t framesGoingBack = 0;
    std::uint64_t programOverPriorityClient = 0;
    std::vector<EventTally> events;
    std::vector<ProcessRow> processes;
    std::vector<std::string> failures;  // recorded during the run
    bool memoryJudged = true;           // false in a sanitizer build: RSS is shown, not judged
};

// The recorded failures plus those the numbers show (drift, slow recoveries,
// unknown frames, ...). Empty means the run passed.
std::vector<std::string> FailedChecks(const SoakSummary& summary);

std::string FormatSummary(const SoakSummary& summary);

}  // namespace vareko::soak
