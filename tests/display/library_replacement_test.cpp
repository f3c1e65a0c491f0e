// The library another local user can replace: a second user, made by the
// test, overwrites a registered 0666 library with its own code, or swaps a
// 0644 one through a world-writable folder. The link refuses both, before
// and after the swap, and says why; nothing of either library is loaded.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/display/link_fixture.h"
#include "testing/support/second_user.h"

namespace {

namespace fs = std::filesystem;
using namespace vareko::link;
using vareko::platform::PathTrust;
using vareko::testing::LinkFixture;
using vareko::testing::SecondUser;

std::string FileBytes(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Writes `bytes` to `path` (truncating it) and returns 0, or 1 when it cannot.
int Overwrite(const std::string& path, const std::string& bytes) {
    const int fd = open(path.c_str(), O_WRONLY | O_TRUNC);
    if (fd < 0) return 1;
    const bool written = write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    return close(fd) == 0 && written ? 0 : 1;
}

// Puts `bytes` beside `path` and renames it over `path`: 0 when done.
int ReplaceByRename(const std::string& path, const std::string& bytes) {
    const std::string own = path + ".new";
    const int fd = open(own.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0755);
    if (fd < 0) return 1;
    const bool written = write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    if (close(fd) != 0 || !written) return 1;
    return rename(own.c_str(), path.c_str()) == 0 ? 0 : 1;
}

class LibraryReplacementTest : public LinkFixture {
protected:
    // The scripted library copied to lib/x.so, registered; the folder and
    // the copy get the given modes. The registry root becomes readable, as
    // a home folder is, so that the other user can reach lib/.
    std::string RegisterCopy(mode_t folderMode, mode_t libraryMode) {
        chmod(root.Path().c_str(), 0755);
        const fs::path dir = root.Path() / "lib";
        fs::create_directories(dir);
        const fs::path copy = dir / "x.so";
        fs::copy_file(VAREKO_SCRIPTED_LIBRARY, copy, fs::copy_options::overwrite_existing);
        chmod(copy.c_str(), libraryMode);
        chmod(dir.c_str(), folderMode);
        RegisterLibraryValue(REG_SZ, copy.string() + '\0');
        return copy.string();
    }

    void ExpectRefused(const std::string& copy, const std::string& culprit) {
        EXPECT_EQ(LinkInit(), kLinkServerUnavailable);
        EXPECT_EQ(LastLoadStatus().outcome, LoadOutcome::PathRefused);
        EXPECT_EQ(LastLoadStatus().pathCheck.trust, PathTrust::WritableByOthers);
        EXPECT_EQ(LastLoadStatus().pathCheck.where, culprit);
        EXPECT_FALSE(IsLibraryLoaded(copy.c_str()));
        EXPECT_TRUE(library.TakeCalls().empty());
    }
};

TEST_F(LibraryReplacementTest, AnotherUserOverwritesAWorldWritableLibrary) {
    SecondUser attacker("vkloadlibwrite");
    if (!attacker.Ready()) GTEST_SKIP() << attacker.Reason();
    const std::string copy = RegisterCopy(0755, 0666);
    ExpectRefused(copy, copy);

    const std::string attackerCode = FileBytes(VAREKO_NO_EXPORT_LIBRARY);
    ASSERT_EQ(attacker.RunAs([&] { return Overwrite(copy, attackerCode); }), 0)
        << "the second user could not write the 0666 library";
    ASSERT_EQ(FileBytes(copy.c_str()), attackerCode);
    ExpectRefused(copy, copy);
}

TEST_F(LibraryReplacementTest, AnotherUserSwapsALibraryThroughAWorldWritableFolder) {
    SecondUser attacker("vkloadlibswap");
    if (!attacker.Ready()) GTEST_SKIP() << attacker.Reason();
    const std::string copy = RegisterCopy(0777, 0644);
    const std::string folder = fs::path(copy).parent_path().string();
    ExpectRefused(copy, folder);

    const std::string attackerCode = FileBytes(VAREKO_NO_EXPORT_LIBRARY);
    ASSERT_EQ(attacker.RunAs([&] { return ReplaceByRename(copy, attackerCode); }), 0)
        << "the second user could not replace the library";
    struct stat status {};
    ASSERT_EQ(stat(copy.c_str(), &status), 0);
    ASSERT_EQ(status.st_uid, attacker.Uid());
    ExpectRefused(copy, folder);
}

}  // namespace
