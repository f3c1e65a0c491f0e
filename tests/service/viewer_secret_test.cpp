// The kept viewer secret: used again only from a private, well-formed file
// of this user's; anything else draws a new one in its place.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "tests/service/service_harness.h"
#include "tools/display-service/service/viewer_secret.h"

namespace vareko::displayservice::testing {
namespace {

std::string Contents(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(ViewerSecret, AKeptSecretIsUsedOnlyFromAPrivateWellFormedFileOfOurs) {
    const std::string kept(64, 'a');
    const struct {
        const char* what;
        std::string contents;  // empty: no file
        mode_t mode;
        bool link;             // the path is a link to such a file
        bool otherOwner;
        bool used;
    } cases[] = {
        {"kept", kept + "\n", 0600, false, false, true},
        {"missing", "", 0600, false, false, false},
        {"group may read it", kept + "\n", 0640, false, false, false},
        {"a link to one", kept + "\n", 0600, true, false, false},
        {"another user's", kept + "\n", 0600, false, true, false},
        {"too short", "abc\n", 0600, false, false, false},
        {"upper case", std::string(64, 'A') + "\n", 0600, false, false, false},
        {"no newline", kept, 0600, false, false, false},
        {"more after it", kept + "\nx", 0600, false, false, false},
    };
    for (const auto& c : cases) {
        if (c.otherOwner && geteuid() != 0) continue;  // only root can give a file away
        TempSocketDir dir;
        const std::string path = ViewerSecretPath(dir.Dir() + "/display.token");
        const std::string file = c.link ? dir.Dir() + "/elsewhere" : path;
        if (!c.contents.empty()) {
            std::ofstream(file) << c.contents;
            chmod(file.c_str(), c.mode);
            if (c.otherOwner) {
                ASSERT_EQ(chown(file.c_str(), 65534, 65534), 0);
            }
            if (c.link) {
                ASSERT_EQ(symlink(file.c_str(), path.c_str()), 0);
            }
        }
        std::string secret;
        ASSERT_EQ(KeptViewerSecret(path, secret), "") << c.what;
        EXPECT_EQ(secret == kept, c.used) << c.what;
        EXPECT_EQ(secret.size(), 64u) << c.what;
        struct stat info {};
        ASSERT_EQ(lstat(path.c_str(), &info), 0) << c.what;
        EXPECT_TRUE(S_ISREG(info.st_mode) && (info.st_mode & 0777) == 0600 && info.st_uid == geteuid()) << c.what;
        EXPECT_EQ(Contents(path), secret + "\n") << c.what;
    }
}

TEST(ViewerSecret, ANewSecretReplacesTheKeptOne) {
    TempSocketDir dir;
    const std::string path = ViewerSecretPath(dir.Dir() + "/display.token");
    EXPECT_EQ(path, dir.Dir() + "/display.viewer-secret");
    std::string first;
    std::string again;
    std::string drawn;
    ASSERT_EQ(KeptViewerSecret(path, first), "");
    ASSERT_EQ(KeptViewerSecret(path, again), "");
    EXPECT_EQ(again, first);
    ASSERT_EQ(DrawViewerSecret(path, drawn), "");
    EXPECT_NE(drawn, first);
    EXPECT_EQ(Contents(path), drawn + "\n");
}

}  // namespace
}  // namespace vareko::displayservice::testing
