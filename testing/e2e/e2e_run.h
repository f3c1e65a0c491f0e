// One end-to-end measurement at one sending rate: the display service, the
// program `vareko` as a child with a private registry root and service
// socket, and vareko-send's counter pattern through the timed relay; then the
// figures: datagram-to-frame latency at the service, the program's CPU share
// and peak memory, its start-up time to the first frame, and how far its
// loop fell behind the sender. Linux (/proc, POSIX spawn).
#pragma once

#include <cstddef>
#include <string>

namespace vareko::e2e {

struct E2eSettings {
    double durationS = 30;  // sending time per rate
    std::string program;
    std::string displayTool;
    std::string sender;
    std::string library;
};

struct RateFigures {
    double rateHz = 0;
    std::string error;          // empty when the run was measured
    double windowS = 0;         // first to last forwarded datagram
    std::size_t datagrams = 0;  // forwarded to the program
    std::size_t changing = 0;   // datagrams whose picture differs from the one before
    std::size_t matched = 0;
    std::size_t unmatched = 0;  // changing datagrams that no frame showed
    std::size_t superseded = 0; // of the matched: shown only in a newer datagram's frame
    double latencyP50Ms = 0;
    double latencyP99Ms = 0;
    double latencyMaxMs = 0;
    double cpuPercent = -1;          // of one core, over the sending window
    double serviceCpuPercent = -1;   // the service's loop thread, same window
    double peakRssMiB = -1;          // VmHWM at the end of the run
    double firstFrameMs = -1;        // spawn to the first frame at the service
    bool startPictureRight = false;  // the first frame showed the start-up page
    std::size_t foreignFrames = 0;   // frames that no relayed datagram explains
    std::size_t turns = 0;           // frames at the service from the first datagram on
    double turnsPerS = 0;            // frames at the service per second of the window
    long long peakQueueBytes = 0;    // the program's socket receive queue, sampled
    long long drops = 0;             // datagrams the kernel dropped at the program's socket
    std::string logFolder;           // kept when the run failed
};

RateFigures MeasureRate(const E2eSettings& settings, double rateHz);

}  // namespace vareko::e2e
