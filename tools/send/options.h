// The command line of vareko-send: which mode, where to send or listen, and
// the pacing and limits. Parsing is pure (no output); main prints the errors.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "tools/send/send_loops.h"

namespace vareko::send {

enum class Mode { kFlight, kRecord, kReplay, kHelp };

struct Options {
    Mode mode = Mode::kFlight;
    std::string file;  // recording to write or to play
    std::string host = "127.0.0.1";
    std::uint16_t port = 6060;
    double rateHz = 20.0;
    double speed = 1.0;
    double startS = 0.0;
    FlightPattern pattern = FlightPattern::kFlight;
    RunLimits limits;
};

// false with a one-line `error` when the arguments (without the program
// name) do not form a valid command.
bool ParseOptions(std::span<const char* const> args, Options& options, std::string& error);

const char* UsageText();

}  // namespace vareko::send
