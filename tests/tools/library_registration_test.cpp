// Recording the display library from the shell: `vareko-display register`
// makes a relative path absolute and refuses a library another user could
// replace; `vareko-reg set` refuses the same for the library key (and a
// relative path there), leaves other keys alone, and `vareko-reg get`
// refuses a value file others may write. A refusal leaves the registry as
// it was.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <cctype>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "testing/support/program_run.h"
#include "testing/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using vareko::testing::ProgramRun;
using vareko::testing::TempDir;

constexpr const char* kLibraryKey =
    "HKLM\\SOFTWARE\\Classes\\CLSID\\{FE750200-B72E-11d9-829B-0050DA1A72D3}\\ServerBinary";
constexpr const char* kLibraryValueFile =
    "HKEY_LOCAL_MACHINE/SOFTWARE/Classes/CLSID/{FE750200-B72E-11d9-829B-0050DA1A72D3}/ServerBinary/@";
constexpr const char* kWritableText = "may be written by group or others, so another user could replace it";

class LibraryRegistrationTest : public ::testing::Test {
public:
    void SetUp() override {
        chmod(scratch.Path().c_str(), 0755);
        fs::create_directories(Registry());
    }
    fs::path Registry() const { return scratch.Path() / "registry"; }
    std::string At(const std::string& relative) const { return (scratch.Path() / relative).string(); }

    // A copy of a shared object at `relative`, its folder 0755 (then
    // `folderMode`) and the copy `mode`.
    std::string Library(const std::string& relative, mode_t mode, mode_t folderMode = 0755) {
        const fs::path copy = scratch.Path() / relative;
        fs::create_directories(copy.parent_path());
        fs::copy_file(VAREKO_LINK_LIBRARY, copy, fs::copy_options::overwrite_existing);
        chmod(copy.c_str(), mode);
        chmod(copy.parent_path().c_str(), folderMode);
        return copy.string();
    }
    // The registered library path, or "" when none is.
    std::string Registered() const {
        std::ifstream in(Registry() / kLibraryValueFile, std::ios::binary);
        std::string content{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        const std::size_t start = content.find('\n');
        if (start == std::string::npos) return "";
        std::string value = content.substr(start + 1);
        while (!value.empty() && value.back() == '\0') value.pop_back();
        return value;
    }

    struct Result {
        std::optional<int> status;
        std::string output;
        std::string errors;
    };
    Result Run(const char* program, const std::vector<std::string>& arguments) {
        ProgramRun run(program, arguments, {"VAREKO_REGISTRY_ROOT=" + Registry().string()}, scratch.Path().string());
        std::optional<int> status = run.WaitForExit(20s);
        return {status, run.Output(), run.Errors()};
    }

    TempDir scratch;
};

TEST_F(LibraryRegistrationTest, OnlyALibraryNobodyElseCanReplaceIsRecorded) {
    struct Case {
        const char* name;
        std::function<std::vector<std::string>(LibraryRegistrationTest&)> arrange;  // vareko-display args
        bool viaRegTool;
        int status;
        std::function<std::string(LibraryRegistrationTest&)> registered;  // "" = nothing recorded
        std::function<std::string(LibraryRegistrationTest&)> error;       // standard error ("" = empty)
    };
    auto nothing = [](LibraryRegistrationTest&) { return std::string(); };
    const Case cases[] = {
        {"register: relative path made absolute",
         [](LibraryRegistrationTest& t) {
             t.Library("lib/x.so", 0644);
             return std::vector<std::string>{"register", "lib/x.so"};
         },
         false, 0, [](LibraryRegistrationTest& t) { return t.At("lib/x.so"); }, nothing},
        {"register: library 0666",
         [](LibraryRegistrationTest& t) {
             return std::vector<std::string>{"register", t.Library("lib/x.so", 0666)};
         },
         false, 1, nothing,
         [](LibraryRegistrationTest& t) {
             return "vareko-display: refusing " + t.At("lib/x.so") + ": it " + kWritableText + "\n";
         }},
        {"register: library in a 0777 folder",
         [](LibraryRegistrationTest& t) {
             return std::vector<std::string>{"register", t.Library("open/x.so", 0644, 0777)};
         },
         false, 1, nothing,
         [](LibraryRegistrationTest& t) {
             return "vareko-display: refusing " + t.At("open/x.so") + ": " + t.At("open") + " " + kWritableText +
                    "\n";
         }},
        {"vareko-reg set: trusted absolute library",
         [](LibraryRegistrationTest& t) {
             return std::vector<std::string>{"set", kLibraryKey, t.Library("lib/x.so", 0644)};
         },
         true, 0, [](LibraryRegistrationTest& t) { return t.At("lib/x.so"); }, nothing},
        {"vareko-reg set: relative library path",
         [](LibraryRegistrationTest& t) {
             t.Library("lib/x.so", 0644);
             return std::vector<std::string>{"set", kLibraryKey, "lib/x.so"};
         },
         true, 1, nothing,
         [](LibraryRegistrationTest&) {
             return std::string("vareko-reg: refusing lib/x.so as the display library: it is not an absolute path\n");
         }},
        {"vareko-reg set: library 0666, key spelt in other letters",
         [](LibraryRegistrationTest& t) {
             std::string key = kLibraryKey;
             for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
             return std::vector<std::string>{"set", key, t.Library("lib/x.so", 0666)};
         },
         true, 1, nothing,
         [](LibraryRegistrationTest& t) {
             return "vareko-reg: refusing " + t.At("lib/x.so") + " as the display library: it " + kWritableText +
                    "\n";
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(Registry() / "HKEY_LOCAL_MACHINE");
        for (const char* dir : {"lib", "open"}) {
            std::error_code ignored;
            fs::permissions(At(dir), fs::perms::owner_all, ignored);
            fs::remove_all(At(dir));
        }
        const std::vector<std::string> arguments = c.arrange(*this);
        const Result result = Run(c.viaRegTool ? VAREKO_REG_TOOL : VAREKO_DISPLAY_TOOL, arguments);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(Registered(), c.registered(*this));
        EXPECT_EQ(result.errors, c.error(*this));
    }
}

TEST_F(LibraryRegistrationTest, OtherKeysTakeAnyValueAndAWritableValueFileIsNotRead) {
    const Result set = Run(VAREKO_REG_TOOL, {"set", "HKLM\\SOFTWARE\\Vendor\\App", "relative/value"});
    EXPECT_EQ(set.status, 0) << set.errors;
    const Result read = Run(VAREKO_REG_TOOL, {"get", "HKLM\\SOFTWARE\\Vendor\\App"});
    EXPECT_EQ(read.output, "relative/value\n");

    chmod((Registry() / "HKEY_LOCAL_MACHINE/SOFTWARE/Vendor/App/@").c_str(), 0666);
    const Result refused = Run(VAREKO_REG_TOOL, {"get", "HKLM\\SOFTWARE\\Vendor\\App"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.output, "");
    EXPECT_NE(refused.errors.find("vareko-reg: read: refused"), std::string::npos) << refused.errors;
}

}  // namespace
