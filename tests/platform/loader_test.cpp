// Run-time loading: exports are found and called, failures are reported
// through GetLastError, symbols stay local, unresolved ones refuse the load,
// and so does a path that fails the trust check.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "platform/win32.h"
#include "testing/support/temp_dir.h"

namespace {

using ProbeFunction = int (*)();

TEST(LoaderTest, LoadsLooksUpAndFrees) {
    HMODULE module = LoadLibraryA(VAREKO_LOADER_PROBE);
    ASSERT_NE(module, nullptr);
    FARPROC proc = GetProcAddress(module, "VarekoLoaderProbe");
    ASSERT_NE(proc, nullptr);
    auto probe = reinterpret_cast<ProbeFunction>(reinterpret_cast<void (*)()>(proc));
    EXPECT_EQ(probe(), 42);

    // RTLD_LOCAL: the export is not visible to the rest of the process.
    EXPECT_EQ(dlsym(RTLD_DEFAULT, "VarekoLoaderProbe"), nullptr);

    SetLastError(0);
    EXPECT_EQ(GetProcAddress(module, "NoSuchExport"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
    EXPECT_EQ(FreeLibrary(module), TRUE);
}

TEST(LoaderTest, FailuresReturnNullWithAReason) {
    struct Case {
        const char* name;
        const char* path;
    };
    const Case cases[] = {
        {"missing file", "/nonexistent/libvareko-none.so"},
        {"empty path names no library", ""},
        {"null path", nullptr},
        {"unresolved symbol", VAREKO_LOADER_UNRESOLVED},
    };
    for (const Case& c : cases) {
        SetLastError(0);
        EXPECT_EQ(LoadLibraryA(c.path), nullptr) << c.name;
        EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND) << c.name;
    }
    EXPECT_EQ(GetProcAddress(nullptr, "VarekoLoaderProbe"), nullptr);
    EXPECT_EQ(FreeLibrary(nullptr), FALSE);
}

TEST(LoaderTest, UntrustedPathsCountAsMissing) {
    vareko::testing::TempDir scratch;
    chmod(scratch.Path().c_str(), 0755);
    const std::string copy = (scratch.Path() / "probe.so").string();
    std::filesystem::copy_file(VAREKO_LOADER_PROBE, copy);
    const std::string relative =
        std::filesystem::relative(VAREKO_LOADER_PROBE, std::filesystem::current_path()).string();
    struct Case {
        const char* name;
        mode_t mode;
        std::string path;
    };
    const Case cases[] = {
        {"relative path to a loadable library", 0644, relative},
        {"./ path", 0644, "./" + relative},
        {"library writable by others", 0666, copy},
        {"library writable by its group", 0664, copy},
    };
    for (const Case& c : cases) {
        chmod(copy.c_str(), c.mode);
        SetLastError(0);
        EXPECT_EQ(LoadLibraryA(c.path.c_str()), nullptr) << c.name;
        EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND) << c.name;
    }
    chmod(copy.c_str(), 0644);
    HMODULE module = LoadLibraryA(copy.c_str());
    EXPECT_NE(module, nullptr) << "the same copy, 0644";
    EXPECT_EQ(FreeLibrary(module), TRUE);
}

}  // namespace
