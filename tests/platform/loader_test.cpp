// Run-time loading: exports are found and called, failures are reported
// through GetLastError, symbols stay local, and unresolved ones refuse the load.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "platform/win32.h"

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

}  // namespace
