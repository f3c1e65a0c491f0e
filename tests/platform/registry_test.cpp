// Registry on the file tree: value round trips and the size protocol, string
// termination of hand-written files, name checks, handles and access rights,
// deletion, the user-over-system overlay, and values that another user could
// have written.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "platform/win32.h"
#include "platform/win32/trusted_path.h"
#include "testing/support/temp_dir.h"

namespace {

using vareko::testing::ScopedEnv;
using vareko::testing::TempDir;

constexpr const char* kValueFile = "HKEY_LOCAL_MACHINE/SOFTWARE/Vendor/App/@";

class RegistryTest : public ::testing::Test {
protected:
    TempDir root;
    ScopedEnv env{"VAREKO_REGISTRY_ROOT", root.Path().c_str()};

    LONG SetString(HKEY hive, const char* path, const char* name, const std::string& text) {
        HKEY key = nullptr;
        LONG r = RegCreateKeyExA(hive, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                                 &key, nullptr);
        if (r != ERROR_SUCCESS) {
            return r;
        }
        r = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                           static_cast<DWORD>(text.size() + 1));
        RegCloseKey(key);
        return r;
    }

    // Reads a value as (result, type, bytes) through a buffer of `capacity`.
    struct Read {
        LONG result;
        DWORD type;
        std::string data;
        DWORD size;
    };
    Read Query(const char* path, const char* name, DWORD capacity = 512) {
        HKEY key = nullptr;
        LONG r = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key);
        if (r != ERROR_SUCCESS) {
            return {r, 0, {}, 0};
        }
        std::string buffer(capacity, 'X');
        DWORD type = 0;
        DWORD size = capacity;
        r = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                             &size);
        RegCloseKey(key);
        buffer.resize(r == ERROR_SUCCESS ? size : 0);
        return {r, type, buffer, size};
    }
};

TEST_F(RegistryTest, StringRoundTripsThroughCaseInsensitiveNames) {
    ASSERT_EQ(SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\App", nullptr, "/opt/lib.so"),
              ERROR_SUCCESS);
    ASSERT_EQ(SetString(HKEY_LOCAL_MACHINE, "software\\VENDOR\\app", "Named", "x"), ERROR_SUCCESS);

    Read read = Query("Software\\vendor\\APP", "");
    EXPECT_EQ(read.result, ERROR_SUCCESS);
    EXPECT_EQ(read.type, REG_SZ);
    EXPECT_EQ(read.data, std::string("/opt/lib.so\0", 12));
    EXPECT_EQ(Query("SOFTWARE\\Vendor\\App", "NAMED").data, std::string("x\0", 2));

    // The second write reused the folders of the first spelling.
    EXPECT_TRUE(std::filesystem::is_regular_file(root.Path() / kValueFile));
    EXPECT_TRUE(std::filesystem::is_regular_file(root.Path() / "HKEY_LOCAL_MACHINE/SOFTWARE/Vendor/App/@Named"));
    EXPECT_FALSE(std::filesystem::exists(root.Path() / "HKEY_LOCAL_MACHINE/software"));
}

TEST_F(RegistryTest, SizeProtocolReportsNeededBytesAndMoreData) {
    ASSERT_EQ(SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\App", nullptr, "abcdef"),
              ERROR_SUCCESS);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\App", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, nullptr, nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 7u);

    char small[6] = {'-', '-', '-', '-', '-', '-'};
    size = sizeof small;
    EXPECT_EQ(RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(small), &size),
              static_cast<LONG>(ERROR_MORE_DATA));
    EXPECT_EQ(size, 7u);

    char exact[7];
    size = sizeof exact;
    EXPECT_EQ(RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(exact), &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(exact, "abcdef");

    EXPECT_EQ(RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(exact), nullptr),
              static_cast<LONG>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(RegQueryValueExA(key, "missing", nullptr, nullptr, nullptr, &size),
              static_cast<LONG>(ERROR_FILE_NOT_FOUND));
    RegCloseKey(key);
}

TEST_F(RegistryTest, HandWrittenValueFilesAreTerminatedOrRefused) {
    struct Case {
        const char* name;
        std::string file;
        LONG result;
        DWORD type;
        std::string data;
    };
    const Case cases[] = {
        {"unterminated string", "REG_SZ\n/usr/lib/a.so", ERROR_SUCCESS, REG_SZ,
         std::string("/usr/lib/a.so\0", 14)},
        {"terminated string", std::string("REG_SZ\nab\0", 10), ERROR_SUCCESS, REG_SZ,
         std::string("ab\0", 3)},
        {"empty string", "REG_SZ\n", ERROR_SUCCESS, REG_SZ, std::string("\0", 1)},
        {"multi string", std::string("REG_MULTI_SZ\na\0b", 16), ERROR_SUCCESS, REG_MULTI_SZ,
         std::string("a\0b\0\0", 5)},
        {"binary left alone", "REG_BINARY\n\x01\x02", ERROR_SUCCESS, REG_BINARY, "\x01\x02"},
        {"numeric type", std::string("4\n\x05\0\0\0", 6), ERROR_SUCCESS, REG_DWORD, std::string("\x05\0\0\0", 4)},
        {"no type line", "/usr/lib/a.so", static_cast<LONG>(ERROR_BADDB), 0, ""},
        {"unknown type name", "STRING\nx", static_cast<LONG>(ERROR_BADDB), 0, ""},
    };
    for (const Case& c : cases) {
        root.WriteFile(kValueFile, c.file);
        Read read = Query("SOFTWARE\\Vendor\\App", nullptr);
        EXPECT_EQ(read.result, c.result) << c.name;
        if (c.result == ERROR_SUCCESS) {
            EXPECT_EQ(read.type, c.type) << c.name;
            EXPECT_EQ(read.data, c.data) << c.name;
        }
    }
}

TEST_F(RegistryTest, ValuesAnotherUserCouldHaveWrittenAreRefused) {
    struct Case {
        const char* name;
        const char* path;  // below the root; its mode is changed for the read
        mode_t mode;
        LONG result;
    };
    const LONG refused = static_cast<LONG>(vareko::platform::kUntrustedPathError);
    const Case cases[] = {
        {"value file 0644", kValueFile, 0644, ERROR_SUCCESS},
        {"value file 0666", kValueFile, 0666, refused},
        {"value file 0660", kValueFile, 0660, refused},
        {"key folder 0777", "HKEY_LOCAL_MACHINE/SOFTWARE/Vendor/App", 0777, refused},
        {"parent key folder 0775", "HKEY_LOCAL_MACHINE/SOFTWARE", 0775, refused},
        {"hive folder 0757", "HKEY_LOCAL_MACHINE", 0757, refused},
        {"registry root 0777", "", 0777, refused},
        {"sticky key folder, not root's unless the caller is root", "HKEY_LOCAL_MACHINE/SOFTWARE", 01777,
         geteuid() == 0 ? static_cast<LONG>(ERROR_SUCCESS) : refused},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\App", nullptr, "/usr/lib/a.so"), ERROR_SUCCESS);
        const std::string path = (root.Path() / c.path).string();
        struct stat before {};
        ASSERT_EQ(stat(path.c_str(), &before), 0) << c.name;
        chmod(path.c_str(), c.mode);
        EXPECT_EQ(Query("SOFTWARE\\Vendor\\App", nullptr).result, c.result) << c.name;
        chmod(path.c_str(), before.st_mode & 07777);
    }
}

TEST_F(RegistryTest, FoldersItMakesAreReadableBackWhateverTheUmask) {
    const mode_t before = umask(0);
    const std::string nested = (root.Path() / "nested" / "root").string();
    vareko::testing::ScopedEnv nestedRoot("VAREKO_REGISTRY_ROOT", nested.c_str());
    EXPECT_EQ(SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\App", nullptr, "/usr/lib/a.so"), ERROR_SUCCESS);
    umask(before);
    EXPECT_EQ(Query("SOFTWARE\\Vendor\\App", nullptr).result, ERROR_SUCCESS);
}

TEST_F(RegistryTest, AddedTerminatorMustFitTheCallersBuffer) {
    root.WriteFile(kValueFile, "REG_SZ\nabcd");  // 4 bytes stored, 5 returned
    Read tight = Query("SOFTWARE\\Vendor\\App", nullptr, 4);
    EXPECT_EQ(tight.result, static_cast<LONG>(ERROR_MORE_DATA));
    EXPECT_EQ(tight.size, 5u);
    EXPECT_EQ(Query("SOFTWARE\\Vendor\\App", nullptr, 5).data, std::string("abcd\0", 5));
}

TEST_F(RegistryTest, NamesThatWouldLeaveTheTreeAreRefused) {
    HKEY key = nullptr;
    const char* badPaths[] = {"SOFTWARE\\..\\..", "SOFTWARE\\.", "a/b", "SOFTWARE\\..\\HKEY_CURRENT_USER"};
    for (const char* path : badPaths) {
        EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                                  nullptr),
                  static_cast<LONG>(ERROR_BAD_PATHNAME))
            << path;
        EXPECT_EQ(key, nullptr);
    }
    EXPECT_EQ(SetString(HKEY_LOCAL_MACHINE, "SOFTWARE", "../escape", "x"),
              static_cast<LONG>(ERROR_BAD_PATHNAME));
    // Empty components are skipped, as a doubled or trailing separator.
    EXPECT_EQ(SetString(HKEY_LOCAL_MACHINE, "\\SOFTWARE\\\\Vendor\\App\\", nullptr, "ok"),
              ERROR_SUCCESS);
    EXPECT_TRUE(std::filesystem::exists(root.Path() / kValueFile));
}

TEST_F(RegistryTest, HandlesAreCheckedAndCarryTheirAccessRights) {
    ASSERT_EQ(SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\App", nullptr, "v"), ERROR_SUCCESS);
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Nope", 0, KEY_READ, &key),
              static_cast<LONG>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(key, nullptr);

    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\App", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    const BYTE data[] = {'x', 0};
    EXPECT_EQ(RegSetValueExA(key, nullptr, 0, REG_SZ, data, sizeof data),
              static_cast<LONG>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(RegDeleteValueA(key, nullptr), static_cast<LONG>(ERROR_ACCESS_DENIED));

    // A key opened relative to another key.
    HKEY parent = nullptr;
    HKEY child = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, &parent), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyExA(parent, "vendor\\app", 0, KEY_READ, &child), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(child, nullptr, nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 2u);

    // Deleted under an open handle.
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\App"), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExA(key, nullptr, nullptr, nullptr, nullptr, &size),
              static_cast<LONG>(ERROR_KEY_DELETED));

    for (HKEY open : {key, parent, child}) {
        EXPECT_EQ(RegCloseKey(open), ERROR_SUCCESS);
        EXPECT_EQ(RegCloseKey(open), static_cast<LONG>(ERROR_INVALID_HANDLE));
    }
    EXPECT_EQ(RegQueryValueExA(key, nullptr, nullptr, nullptr, nullptr, &size),
              static_cast<LONG>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
}

TEST_F(RegistryTest, DeletionRemovesLeafKeysAndValues) {
    ASSERT_EQ(SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\App", nullptr, "v"), ERROR_SUCCESS);
    ASSERT_EQ(SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\App", "Other", "w"), ERROR_SUCCESS);

    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor"),
              static_cast<LONG>(ERROR_ACCESS_DENIED));  // has a subkey
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, ""), static_cast<LONG>(ERROR_INVALID_PARAMETER));

    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\App", 0, KEY_ALL_ACCESS, &key),
              ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(key, "other"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(key, "other"), static_cast<LONG>(ERROR_FILE_NOT_FOUND));
    RegCloseKey(key);
    EXPECT_EQ(Query("SOFTWARE\\Vendor\\App", "Other").result,
              static_cast<LONG>(ERROR_FILE_NOT_FOUND));

    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "software\\vendor\\app"), ERROR_SUCCESS);
    EXPECT_FALSE(std::filesystem::exists(root.Path() / "HKEY_LOCAL_MACHINE/SOFTWARE/Vendor/App"));
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\App"),
              static_cast<LONG>(ERROR_FILE_NOT_FOUND));
}

TEST_F(RegistryTest, CreateReportsWhetherTheKeyExisted) {
    DWORD disposition = 0;
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "A\\B", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    RegCloseKey(key);
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "a\\b", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    RegCloseKey(key);
    EXPECT_TRUE(std::filesystem::is_directory(root.Path() / "HKEY_CURRENT_USER/A/B"));
}

class RegistryOverlayTest : public RegistryTest {
protected:
    TempDir user;
    TempDir system;
    ScopedEnv noRoot{"VAREKO_REGISTRY_ROOT", nullptr};
    ScopedEnv config{"XDG_CONFIG_HOME", user.Path().c_str()};
    vareko::platform::TestSystemRegistryRoot systemRoot{system.Path().c_str()};

    std::filesystem::path UserFile(const char* relative) const {
        return user.Path() / "vareko/registry" / relative;
    }
};

TEST_F(RegistryOverlayTest, UserEntriesShadowSystemOnesAndWritesGoToTheUser) {
    system.WriteFile(kValueFile, "REG_SZ\n/system/lib.so");
    system.WriteFile("HKEY_LOCAL_MACHINE/SOFTWARE/Vendor/App/@Both", "REG_SZ\nsystem");
    EXPECT_EQ(Query("SOFTWARE\\Vendor\\App", nullptr).data, std::string("/system/lib.so\0", 15));

    ASSERT_EQ(SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\App", "Both", "user"), ERROR_SUCCESS);
    EXPECT_TRUE(std::filesystem::exists(UserFile("HKEY_LOCAL_MACHINE/SOFTWARE/Vendor/App/@Both")));
    EXPECT_EQ(Query("SOFTWARE\\Vendor\\App", "Both").data, std::string("user\0", 5));
    // The user's root has the key now but not the default value: it still shows through.
    EXPECT_EQ(Query("SOFTWARE\\Vendor\\App", nullptr).data, std::string("/system/lib.so\0", 15));

    // The system's entries are not ours to delete.
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\App"), ERROR_SUCCESS);
    EXPECT_EQ(Query("SOFTWARE\\Vendor\\App", "Both").data, std::string("system\0", 7));
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\App"),
              static_cast<LONG>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(std::filesystem::exists(system.Path() / kValueFile));
}

TEST_F(RegistryOverlayTest, HomeConfigIsTheDefaultUserRoot) {
    ScopedEnv noConfig{"XDG_CONFIG_HOME", nullptr};
    ScopedEnv home{"HOME", user.Path().c_str()};
    ASSERT_EQ(SetString(HKEY_CURRENT_USER, "K", nullptr, "v"), ERROR_SUCCESS);
    EXPECT_TRUE(std::filesystem::exists(user.Path() / ".config/vareko/registry/HKEY_CURRENT_USER/K/@"));
}

}  // namespace
