// Reading and replacing the kept viewer secret; the platform's own check of
// who owns the file is in viewer_secret_posix.cpp / viewer_secret_windows.cpp.
#include "tools/display-service/service/viewer_secret.h"

#include <utility>

#include "tools/display-service/protocol/token_file.h"
#include "tools/display-service/service/token_writer.h"
#include "tools/display-service/service/viewer_access.h"
#include "tools/display-service/service/viewer_secret_file.h"

namespace vareko::displayservice {
namespace {

// 64 lowercase hex digits and a newline, as DrawViewerSecret writes it.
bool ReadKeptSecret(const std::string& path, std::string& secret) {
    std::string text;
    if (!ReadOwnPrivateFile(path, kTokenTextBytes + 2, text)) return false;
    if (text.empty() || text.back() != '\n') return false;
    text.pop_back();
    if (!IsTokenText(text)) return false;
    secret = std::move(text);
    return true;
}

}  // namespace

std::string ViewerSecretPath(const std::string& tokenPath) { return OwnerUrlPath(tokenPath) + "-secret"; }

std::string KeptViewerSecret(const std::string& path, std::string& secret) {
    if (ReadKeptSecret(path, secret)) return {};
    return DrawViewerSecret(path, secret);
}

std::string DrawViewerSecret(const std::string& path, std::string& secret) {
    std::string drawn;
    if (std::string error = NewToken(drawn); !error.empty()) return error;
    if (std::string error = WritePrivateFile(path, drawn + "\n"); !error.empty()) return error;
    secret = std::move(drawn);
    return {};
}

}  // namespace vareko::displayservice
