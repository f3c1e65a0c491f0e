// The viewer over HTTPS, with self-signed certificates that the test makes
// with the openssl command: every listener speaks TLS only, its cookie is
// Secure and its Origin https://; a certificate or key that cannot be used
// ends serve with status 1 and the reason.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/time.h>

#include <cstdio>
#include <string>

#include "tests/service/served_viewer.h"

#if VAREKO_VIEWER_TLS
#include <openssl/ssl.h>
#endif

namespace vareko::displayservice {
namespace {

using testing::ConnectLoopback;
using testing::ReceiveUntilClosed;
using testing::SendAll;
using testing::ServedViewer;

// `serve ARGUMENTS` that is expected to end at once: its output and status.
std::string ServeOutput(const std::string& arguments, int& status) {
    return testing::ToolOutput("serve --http-port 0 --no-tcp " + arguments, status, true);
}

#if VAREKO_VIEWER_TLS

// DIR/NAME.crt and DIR/NAME.key, for 127.0.0.1 and 127.0.0.2, valid a day.
bool MakeCertificate(const std::string& dir, const char* name) {
    const std::string base = dir + "/" + name;
    const std::string command = "openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=127.0.0.2 "
                                "-addext subjectAltName=IP:127.0.0.1,IP:127.0.0.2 -keyout " + base + ".key -out " +
                                base + ".crt >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

// One request over TLS (the certificate is not checked: the test made it);
// empty when the handshake fails.
std::string HttpsAnswer(int port, const char* address, const std::string& request) {
    SSL_CTX* context = SSL_CTX_new(TLS_client_method());
    const int fd = ConnectLoopback(port, address);
    const timeval timeout{3, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    SSL* ssl = SSL_new(context);
    SSL_set_fd(ssl, fd);
    std::string answer;
    if (SSL_connect(ssl) == 1 && SSL_write(ssl, request.data(), static_cast<int>(request.size())) > 0) {
        char buffer[4096];
        int n = 0;
        while ((n = SSL_read(ssl, buffer, sizeof buffer)) > 0) answer.append(buffer, static_cast<std::size_t>(n));
    }
    SSL_free(ssl);
    close(fd);
    SSL_CTX_free(context);
    return answer;
}

TEST(ViewerTls, EveryListenerSpeaksHttpsWithASecureCookie) {
    testing::TempSocketDir dir;
    ASSERT_TRUE(MakeCertificate(dir.Dir(), "viewer"));
    ServedViewer viewer({"--viewer-listen", "127.0.0.2", "--tls-cert", dir.Dir() + "/viewer.crt", "--tls-key",
                         dir.Dir() + "/viewer.key"});
    ASSERT_TRUE(viewer.Running()) << viewer.Printed();
    const std::string port = std::to_string(viewer.Port());
    EXPECT_TRUE(viewer.WaitPrinted("viewer on the network https://127.0.0.2:" + port + "/?key=")) << viewer.Printed();
    EXPECT_NE(viewer.Printed().find("viewer https://127.0.0.1:"), std::string::npos) << viewer.Printed();
    EXPECT_EQ(viewer.Printed().find("warning"), std::string::npos) << "no plain HTTP to warn of";

    const std::string host = "Host: 127.0.0.2:" + port + "\r\n";
    const std::string opened = HttpsAnswer(viewer.Port(), "127.0.0.2", "GET /?key=" + viewer.Secret() + " HTTP/1.1\r\n" +
                                                                       host + "Connection: close\r\n\r\n");
    EXPECT_TRUE(opened.starts_with("HTTP/1.1 303")) << opened;
    EXPECT_NE(opened.find("Set-Cookie: " + viewer.Cookie() + "; HttpOnly; SameSite=Strict; Path=/; Secure\r\n"),
              std::string::npos)
        << opened;
    const struct {
        const char* address;
        std::string request;
        const char* status;
    } cases[] = {
        {"127.0.0.2", viewer.OwnerRequest("GET /api/state", "127.0.0.2"), "HTTP/1.1 200"},
        {"127.0.0.1", viewer.OwnerRequest("GET /frame.png"), "HTTP/1.1 200"},
        {"127.0.0.2", "POST /api/button?index=1&down=0 HTTP/1.1\r\n" + host + "Origin: https://127.0.0.2:" + port +
                          "\r\nCookie: " + viewer.Cookie() + "\r\nConnection: close\r\n\r\n", "HTTP/1.1 204"},
        {"127.0.0.2", "POST /api/button?index=1&down=0 HTTP/1.1\r\n" + host + "Origin: http://127.0.0.2:" + port +
                          "\r\nCookie: " + viewer.Cookie() + "\r\nConnection: close\r\n\r\n", "HTTP/1.1 403"},
        {"127.0.0.2", "GET /api/state HTTP/1.1\r\n" + host + "Connection: close\r\n\r\n", "HTTP/1.1 401"},
    };
    for (const auto& c : cases) {
        const std::string answer = HttpsAnswer(viewer.Port(), c.address, c.request);
        EXPECT_TRUE(answer.starts_with(c.status)) << c.request.substr(0, 40) << " -> " << answer.substr(0, 40);
    }
    // Plain HTTP on the port gets no HTTP answer, only a closed connection.
    const int fd = ConnectLoopback(viewer.Port(), "127.0.0.2");
    SendAll(fd, viewer.OwnerRequest("GET /api/state", "127.0.0.2"));
    EXPECT_EQ(ReceiveUntilClosed(fd, std::chrono::milliseconds(3000)).find("HTTP/1.1"), std::string::npos);
    close(fd);
}

TEST(ViewerTls, ACertificateOrKeyThatCannotBeUsedEndsServeWithTheReason) {
    testing::TempSocketDir dir;
    ASSERT_TRUE(MakeCertificate(dir.Dir(), "one"));
    ASSERT_TRUE(MakeCertificate(dir.Dir(), "two"));
    const std::string garbage = dir.Dir() + "/garbage.pem";
    std::FILE* file = std::fopen(garbage.c_str(), "w");
    std::fputs("-----BEGIN CERTIFICATE-----\nnot one\n-----END CERTIFICATE-----\n", file);
    std::fclose(file);
    const std::string one = dir.Dir() + "/one";
    const struct {
        std::string certificate;
        std::string key;
        const char* said;
    } cases[] = {
        {dir.Dir() + "/missing.crt", one + ".key", "cannot use the TLS certificate"},
        {garbage, one + ".key", "cannot use the TLS certificate"},
        {one + ".crt", dir.Dir() + "/missing.key", "cannot use the TLS key"},
        {one + ".crt", one + ".crt", "cannot use the TLS key"},
        {one + ".crt", dir.Dir() + "/two.key", "does not belong to the certificate"},
    };
    for (const auto& c : cases) {
        int status = -1;
        const std::string out = ServeOutput("--tls-cert " + c.certificate + " --tls-key " + c.key, status);
        EXPECT_EQ(status, 1) << out;
        EXPECT_NE(out.find(c.said), std::string::npos) << out;
    }
}

#else

TEST(ViewerTls, ABuildWithoutTlsRefusesACertificateAndSaysWhy) {
    testing::TempSocketDir dir;
    int status = -1;
    const std::string out = ServeOutput("--tls-cert a.crt --tls-key a.key", status);
    EXPECT_EQ(status, 1);
    EXPECT_NE(out.find("TLS is not available in this build"), std::string::npos) << out;
}

#endif

}  // namespace
}  // namespace vareko::displayservice
