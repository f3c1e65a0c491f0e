// The dashboard frame timed on the system's GDI: runs the Windows build's
// gdi_frame_timer.exe under Wine as a child and reads the line it prints.
// Linux only; depends on the C library's process functions.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vareko::bench {

struct GdiFrameFigures {
    long long frames = 0;
    double medianNs = 0.0;  // wall time of the middle frame
    double cpuNs = 0.0;     // thread CPU time per frame
};

// The figures from a line "frames=<n> median_ns=<x> cpu_ns=<y>"; nothing if
// the line is not of that form or a figure is not positive.
std::optional<GdiFrameFigures> ParseFrameTimerLine(std::string_view line);

// Runs `wine <timer> <seconds>` and parses its last line. The timer is
// $VAREKO_GDI_FRAME_TIMER if set, else `defaultTimer`; an empty path means
// "do not run". On failure `why` says what was missing.
std::optional<GdiFrameFigures> TimeFrameUnderWine(const std::string& defaultTimer, double seconds,
                                                  std::string& why);

}  // namespace vareko::bench
