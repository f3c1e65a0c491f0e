// The token file's text, its path rules on both platforms, and the token
// comparison.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <unistd.h>

#include "tools/display-service/protocol/token_file.h"
#include "tools/display-service/protocol/token_path.h"

namespace vareko::displayservice {
namespace {

const std::string kToken(kTokenTextBytes, 'a');

TEST(TokenFileTest, FormatAndParseAgree) {
    std::array<std::uint8_t, kTokenRandomBytes> random{};
    for (std::size_t i = 0; i < random.size(); ++i) random[i] = static_cast<std::uint8_t>(i * 37 + 5);
    const TokenFile written{40123, TokenText(random)};
    TokenFile read;
    ASSERT_TRUE(ParseTokenFile(FormatTokenFile(written), read));
    EXPECT_EQ(read.port, 40123);
    EXPECT_EQ(read.token, written.token);
    EXPECT_EQ(read.token.substr(0, 6), "052a4f");
}

TEST(TokenFileTest, ParseAcceptsOnlyWellFormedFiles) {
    struct Case {
        const char* name;
        std::string text;
        bool valid;
    };
    const Case cases[] = {
        {"plain", "port 1\ntoken " + kToken + "\n", true},
        {"any order, no final newline", "token " + kToken + "\nport 65535", true},
        {"CRLF lines", "port 80\r\ntoken " + kToken + "\r\n", true},
        {"unknown lines skipped", "version 2\nport 80\nnote\ntoken " + kToken + "\n", true},
        {"no port", "token " + kToken + "\n", false},
        {"no token", "port 80\n", false},
        {"port 0", "port 0\ntoken " + kToken + "\n", false},
        {"port too large", "port 65536\ntoken " + kToken + "\n", false},
        {"port with junk", "port 80x\ntoken " + kToken + "\n", false},
        {"negative port", "port -1\ntoken " + kToken + "\n", false},
        {"short token", "port 80\ntoken " + kToken.substr(1) + "\n", false},
        {"long token", "port 80\ntoken " + kToken + "a\n", false},
        {"uppercase token", "port 80\ntoken " + std::string(kTokenTextBytes, 'A') + "\n", false},
        {"empty", "", false},
    };
    for (const Case& c : cases) {
        TokenFile out;
        EXPECT_EQ(ParseTokenFile(c.text, out), c.valid) << c.name;
    }
}

TEST(TokenFileTest, ReadRefusesMissingAndOversizedFiles) {
    TokenFile out;
    EXPECT_FALSE(ReadTokenFile("/nonexistent/display.token", out));
    char pattern[] = "/tmp/vareko-token-XXXXXX";
    const int fd = mkstemp(pattern);
    ASSERT_GE(fd, 0);
    const std::string text = "port 80\ntoken " + kToken + "\n" + std::string(kMaxTokenFileBytes, '\n');
    ASSERT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    close(fd);
    EXPECT_FALSE(ReadTokenFile(pattern, out));
    unlink(pattern);
}

TEST(TokenFileTest, TokensMatchOnlyWhenEqualInFull) {
    const std::string expected = kToken;
    auto bytes = [](const std::string& s) {
        return std::span(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
    };
    std::string lastDiffers = expected;
    lastDiffers.back() = 'b';
    EXPECT_TRUE(TokensMatch(bytes(expected), expected));
    EXPECT_FALSE(TokensMatch(bytes(lastDiffers), expected));
    EXPECT_FALSE(TokensMatch(bytes(expected.substr(1)), expected));
    EXPECT_FALSE(TokensMatch({}, ""));  // a service without a token accepts nobody
}

TEST(TokenPathTest, WindowsPathOfTheVariable) {
    const std::pair<const char*, const char*> cases[] = {
        {"/tmp/x/display.token", "Z:\\tmp\\x\\display.token"},
        {"C:\\Users\\me\\display.token", "C:\\Users\\me\\display.token"},
        {"Z:/tmp/display.token", "Z:/tmp/display.token"},
        {"", ""},
    };
    for (const auto& [value, expected] : cases) EXPECT_EQ(TokenPathForWindows(value), expected) << value;
}

TEST(TokenPathTest, BesideTheSocketUnlessTheVariableSaysOtherwise) {
    unsetenv(kTokenFileVariable);
    EXPECT_EQ(TokenPathForSocket("/run/user/5/vareko/display.sock"), "/run/user/5/vareko/display.token");
    EXPECT_EQ(TokenPathForSocket("/display.sock"), "/display.token");
    EXPECT_EQ(TokenPathForSocket("display.sock"), "./display.token");
    setenv(kTokenFileVariable, "/tmp/elsewhere.token", 1);
    EXPECT_EQ(TokenPathForSocket("/run/user/5/vareko/display.sock"), "/tmp/elsewhere.token");
    unsetenv(kTokenFileVariable);
}

}  // namespace
}  // namespace vareko::displayservice
