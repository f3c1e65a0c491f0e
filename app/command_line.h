// The program's command line: which of its few actions the arguments ask
// for, and the usage and version texts. Pure: printing and exit statuses
// are main()'s.
#pragma once

namespace vareko {

enum class CommandAction {
    Run,          // no arguments: show the dashboard
    PrintHelp,    // usage on standard output, exit 0
    PrintVersion, // version on standard output, exit 0
    BadUsage,     // usage on standard error, exit 2
};

struct Command {
    CommandAction action = CommandAction::Run;
    // The first argument that was not understood, for BadUsage; else null.
    const char* badArgument = nullptr;
};

// The first argument decides; any further one is a usage error, as is an
// unknown option or an operand.
Command ParseCommandLine(int argc, const char* const* argv);

// The help text, several lines ending in a newline.
const char* UsageText();
// "vareko X.Y", without a newline.
const char* VersionText();

}  // namespace vareko
