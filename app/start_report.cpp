// Texts of the start report, table by table: one per load outcome, one per
// socket error that has a known reason.
#include "app/start_report.h"

#include "platform/win32.h"

namespace vareko {
namespace {

using link::LoadOutcome;

struct OutcomeText {
    LoadOutcome outcome;
    const char* text;  // follows "display library PATH " (or "display library " without a path)
};

constexpr OutcomeText kOutcomeTexts[] = {
    {LoadOutcome::NotTried, "not tried yet"},
    {LoadOutcome::Loaded, "loaded"},
    {LoadOutcome::EntryRefused,
     "not loaded: its registry entry is refused, because a file or folder holding it is owned by "
     "another user or may be written by group or others"},
    {LoadOutcome::EntryUnusable,
     "not loaded: its registry entry is no usable path; record it again with 'vareko-display register'"},
    {LoadOutcome::NotLoadable,
     "not loaded: the system cannot load it (not a library for this system, or one it needs is missing)"},
    {LoadOutcome::NoEntryPoint, "not loaded: it has no GetInterface entry point"},
    {LoadOutcome::NoTable, "not loaded: its GetInterface gave no usable function table"},
};

constexpr const char* kNotRegistered =
    "no display library is registered; register one with 'vareko-display register'";
// The device output opens the library at start only.
constexpr const char* kShownNothing = "; nothing is shown until vareko is started again";

struct SocketErrorText {
    int error;
    const char* reason;
    const char* likelyCause;  // empty when there is no likely one
};

constexpr SocketErrorText kSocketErrorTexts[] = {
    {WSAEADDRINUSE, "address already in use",
     "another program is already listening on it (a second vareko?); end it, then start vareko again"},
    {WSAEACCES, "permission denied", "the system does not let this user bind it"},
    {WSAEADDRNOTAVAIL, "address not available", ""},
    {WSAEMFILE, "too many open files", ""},
    {WSAENOBUFS, "no buffer space available", ""},
    {WSAENETDOWN, "the network is down", ""},
};

std::string LibraryText(const link::LoadStatus& load) {
    if (load.outcome == LoadOutcome::NotRegistered) {
        return kNotRegistered;
    }
    std::string text = "display library ";
    if (!load.libraryPath.empty()) {
        text += load.libraryPath + " ";
    }
    if (load.outcome == LoadOutcome::PathRefused || load.outcome == LoadOutcome::Missing) {
        text += load.outcome == LoadOutcome::Missing ? "not loaded: " : "refused: ";
        text += platform::ExplainPathCheck(load.pathCheck, load.libraryPath);
    }
    for (const OutcomeText& row : kOutcomeTexts) {
        if (row.outcome == load.outcome) {
            text += row.text;
        }
    }
    if (load.outcome == LoadOutcome::EntryUnusable && load.registryResult != 0) {
        text += " (registry error " + std::to_string(load.registryResult) + ")";
    }
    if (load.outcome != LoadOutcome::Loaded && load.outcome != LoadOutcome::NotTried) {
        text += kShownNothing;
    }
    return text;
}

const SocketErrorText* FindSocketError(int error) {
    for (const SocketErrorText& row : kSocketErrorTexts) {
        if (row.error == error) {
            return &row;
        }
    }
    return nullptr;
}

}  // namespace

std::string StartLine(unsigned short port, const link::LoadStatus& load) {
    return "vareko: listening for telemetry on UDP port " + std::to_string(port) +
           " (every local address); " + LibraryText(load);
}

std::string OpenFailureLine(unsigned short port, const SourceOpenResult& result) {
    std::string line = result.failure == SourceFailure::Bind
                           ? "vareko: cannot listen for telemetry on UDP port " + std::to_string(port)
                           : std::string("vareko: cannot open a UDP socket for telemetry");
    const SocketErrorText* known = FindSocketError(result.systemError);
    line += ": ";
    line += known != nullptr ? known->reason : "system error";
    line += " (error " + std::to_string(result.systemError) + ")";
    if (known != nullptr && known->likelyCause[0] != '\0') {
        line += "; ";
        line += known->likelyCause;
    }
    return line;
}

}  // namespace vareko
