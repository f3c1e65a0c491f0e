// Test fixture: a registry root made for the test, with the scripted
// display-manager library registered under the library key, a fresh script,
// and the device link released again at the end.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "display/devicelink/device_link.h"
#include "platform/win32.h"
#include "tests/display/scripted_library.h"
#include "testing/support/temp_dir.h"

namespace vareko::testing {

class LinkFixture : public ::testing::Test {
public:
    TempDir root;
    ScopedEnv env{"VAREKO_REGISTRY_ROOT", root.Path().c_str()};
    ScriptedLibrary& library = *VarekoScriptedLibrary();

    void SetUp() override {
        library.Reset();
        RegisterLibraryValue(REG_SZ, std::string(VAREKO_SCRIPTED_LIBRARY) + '\0');
    }
    void TearDown() override { link::LinkDeinit(); }

    // Stores `bytes` as the library key's default value of `type`.
    void RegisterLibraryValue(DWORD type, const std::string& bytes) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, link::kLibraryRegistryKey, 0, nullptr, 0,
                                  KEY_WRITE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(key, nullptr, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                 static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
};

}  // namespace vareko::testing
