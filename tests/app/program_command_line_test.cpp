// The `vareko` program's command line through the real binary: help and
// version on standard output with status 0, usage errors on standard error
// with status 2, and nothing else written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/support/program_run.h"

namespace vareko {
namespace {

using namespace std::chrono_literals;
using testing::ProgramRun;

TEST(ProgramCommandLineTest, OptionsPrintAndExitWithTheirStatus) {
    struct Case {
        std::vector<std::string> arguments;
        int status;
        const char* outputStart;  // what standard output begins with ("" = empty)
        const char* errorStart;   // what standard error begins with ("" = empty)
    };
    const std::string version = std::string("vareko ") + VAREKO_VERSION + "\n";
    const Case cases[] = {
        {{"--help"}, 0, "Usage: vareko [OPTION]\n", ""},
        {{"-h"}, 0, "Usage: vareko [OPTION]\n", ""},
        {{"--version"}, 0, version.c_str(), ""},
        {{"-V"}, 0, version.c_str(), ""},
        {{"--frobnicate"}, 2, "", "vareko: unrecognised argument '--frobnicate'\nUsage: vareko [OPTION]\n"},
        {{"extra"}, 2, "", "vareko: unrecognised argument 'extra'\nUsage:"},
        {{"--help", "more"}, 2, "", "vareko: unrecognised argument 'more'\nUsage:"},
        {{"--"}, 2, "", "vareko: unrecognised argument '--'\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.front());
        ProgramRun program(VAREKO_PROGRAM_PATH, c.arguments);
        ASSERT_TRUE(program.Started());
        EXPECT_EQ(program.WaitForExit(20s), c.status);
        const std::string& output = program.Output();
        const std::string& errors = program.Errors();
        EXPECT_EQ(output.rfind(c.outputStart, 0), 0u) << output;
        EXPECT_EQ(errors.rfind(c.errorStart, 0), 0u) << errors;
        if (c.outputStart[0] == '\0') {
            EXPECT_EQ(output, "");
        }
        if (c.errorStart[0] == '\0') {
            EXPECT_EQ(errors, "");
        }
    }
}

TEST(ProgramCommandLineTest, HelpListsEveryOptionAndTheExitStatuses) {
    ProgramRun program(VAREKO_PROGRAM_PATH, {"--help"});
    ASSERT_EQ(program.WaitForExit(20s), 0);
    const std::string& help = program.Output();
    for (const char* part : {"-h, --help", "-V, --version", "UDP port 6060", "vareko-display register",
                             "Exit status:"}) {
        EXPECT_NE(help.find(part), std::string::npos) << part;
    }
}

}  // namespace
}  // namespace vareko
