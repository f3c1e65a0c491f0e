// The trust check on files the program loads or reads settings from: each
// way a path can fail it (relative, missing, not a file, writable by group
// or others, owned by another user, through a symbolic link), the sticky
// directory that passes, and what the check names as the culprit.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "platform/win32/trusted_path.h"
#include "testing/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using vareko::platform::CheckTrustedFile;
using vareko::platform::PathTrust;
using vareko::testing::TempDir;

constexpr uid_t kOtherUser = 65534;  // nobody

class TrustedPathTest : public ::testing::Test {
public:
    void SetUp() override {
        ASSERT_FALSE(scratch.Path().empty());
        base = scratch.Path().string();
        chmod(base.c_str(), 0755);
    }

    // A 0644 file at `relative` below the scratch folder, its folders 0755.
    std::string MakeFile(const std::string& relative) {
        const fs::path file = fs::path(base) / relative;
        fs::create_directories(file.parent_path());
        scratch.WriteFile(relative, "library");
        for (fs::path dir = file.parent_path(); dir.string().size() > base.size(); dir = dir.parent_path()) {
            chmod(dir.c_str(), 0755);
        }
        chmod(file.c_str(), 0644);
        return file.string();
    }
    std::string At(const std::string& relative) const { return base + "/" + relative; }
    // MakeFile(file), then `changed` (the file or a folder above it) gets `mode`.
    std::string MakeFileWithMode(const std::string& file, const std::string& changed, mode_t mode) {
        std::string path = MakeFile(file);
        chmod(At(changed).c_str(), mode);
        return path;
    }

    TempDir scratch;
    std::string base;
};

TEST_F(TrustedPathTest, EachFailureNamesWhatFailedIt) {
    struct Case {
        const char* name;
        std::function<std::string(TrustedPathTest&)> arrange;  // returns the path to check
        PathTrust trust;
        const char* culprit;  // relative to the scratch folder; "" for none, "=" for the path itself
    };
    const bool root = geteuid() == 0;
    const Case cases[] = {
        {"owned by the caller, 0644 in 0755 folders below /tmp",
         [](TrustedPathTest& t) { return t.MakeFile("lib/x.so"); }, PathTrust::Trusted, ""},
        {"relative path", [](TrustedPathTest&) { return std::string("lib/x.so"); }, PathTrust::NotAbsolute,
         "="},
        {"./ path", [](TrustedPathTest&) { return std::string("./x.so"); }, PathTrust::NotAbsolute, "="},
        {"empty path", [](TrustedPathTest&) { return std::string(); }, PathTrust::NotAbsolute, "="},
        {"missing file",
         [](TrustedPathTest& t) {
             t.MakeFile("lib/x.so");
             return t.At("lib/y.so");
         },
         PathTrust::Missing, "lib/y.so"},
        {"missing folder", [](TrustedPathTest& t) { return t.At("none/x.so"); }, PathTrust::Missing, "none"},
        {"a folder, not a file",
         [](TrustedPathTest& t) {
             t.MakeFile("lib/x.so");
             return t.At("lib");
         },
         PathTrust::NotAFile, "lib"},
        {"library 0666",
         [](TrustedPathTest& t) { return t.MakeFileWithMode("lib/x.so", "lib/x.so", 0666); },
         PathTrust::WritableByOthers, "lib/x.so"},
        {"library 0664",
         [](TrustedPathTest& t) { return t.MakeFileWithMode("lib/x.so", "lib/x.so", 0664); },
         PathTrust::WritableByOthers, "lib/x.so"},
        {"folder 0777 two levels up",
         [](TrustedPathTest& t) { return t.MakeFileWithMode("open/lib/x.so", "open", 0777); },
         PathTrust::WritableByOthers, "open"},
        {"folder 0775",
         [](TrustedPathTest& t) { return t.MakeFileWithMode("lib/x.so", "lib", 0775); },
         PathTrust::WritableByOthers, "lib"},
        {"sticky world-writable folder: only when root owns it",
         [](TrustedPathTest& t) { return t.MakeFileWithMode("sticky/x.so", "sticky", 01777); },
         root ? PathTrust::Trusted : PathTrust::WritableByOthers, root ? "" : "sticky"},
        {"link to a library in a 0777 folder",
         [](TrustedPathTest& t) {
             std::string target = t.MakeFile("open/x.so");
             chmod(t.At("open").c_str(), 0777);
             t.MakeFile("lib/other");
             fs::create_symlink(target, t.At("lib/x.so"));
             return t.At("lib/x.so");
         },
         PathTrust::WritableByOthers, "open"},
        {"link in a 0777 folder to a trusted library",
         [](TrustedPathTest& t) {
             std::string target = t.MakeFile("lib/x.so");
             fs::create_directories(t.At("open"));
             chmod(t.At("open").c_str(), 0777);
             fs::create_symlink(target, t.At("open/x.so"));
             return t.At("open/x.so");
         },
         PathTrust::WritableByOthers, "open"},
        {"link to a trusted library",
         [](TrustedPathTest& t) {
             std::string target = t.MakeFile("lib/x.so");
             fs::create_symlink(target, t.At("lib/link.so"));
             return t.At("lib/link.so");
         },
         PathTrust::Trusted, ""},
        {"dot-dot through a 0777 folder",
         [](TrustedPathTest& t) {
             t.MakeFile("lib/x.so");
             fs::create_directories(t.At("open"));
             chmod(t.At("open").c_str(), 0777);
             return t.At("open/../lib/x.so");
         },
         PathTrust::WritableByOthers, "open"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(base);
        fs::create_directories(base);
        chmod(base.c_str(), 0755);
        const std::string path = c.arrange(*this);
        const vareko::platform::PathCheck check = CheckTrustedFile(path.c_str());
        EXPECT_EQ(check.trust, c.trust);
        const std::string culprit = c.culprit[0] == '\0' ? "" : c.culprit[0] == '=' ? path : At(c.culprit);
        EXPECT_EQ(check.where, culprit);
    }
}

// Another user's file or folder, made by root handing it over.
TEST_F(TrustedPathTest, AnotherUsersFileFolderOrLinkIsRefused) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root to give files to another user";
    }
    struct Case {
        const char* name;
        const char* handedOver;  // relative to the scratch folder
        bool link;
    };
    const Case cases[] = {
        {"library", "lib/x.so", false},
        {"its folder", "lib", false},
        {"a link to it", "lib/link.so", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(base);
        fs::create_directories(base);
        chmod(base.c_str(), 0755);
        const std::string library = MakeFile("lib/x.so");
        fs::create_symlink(library, At("lib/link.so"));
        ASSERT_EQ(lchown(At(c.handedOver).c_str(), kOtherUser, kOtherUser), 0);
        const std::string checked = c.link ? At("lib/link.so") : library;
        const vareko::platform::PathCheck check = CheckTrustedFile(checked.c_str());
        EXPECT_EQ(check.trust, PathTrust::ForeignOwner);
        EXPECT_EQ(check.where, At(c.handedOver));
    }
}

}  // namespace
