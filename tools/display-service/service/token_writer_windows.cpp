// Token generation and the private, atomic write of the token file, on
// Windows. Each file is created with an access list of its own that admits
// the user alone, whatever the folder would pass on (Wine turns that list
// into mode 0600). The lock is the lock file opened without sharing: a
// second service cannot open it while the first holds it, and the system
// closes it when its holder ends.
#include "tools/display-service/service/token_writer.h"

#include <windows.h>
#include <bcrypt.h>

#include <array>
#include <vector>

namespace vareko::displayservice {
namespace {

std::string SystemError(const std::string& what) { return what + " (error " + std::to_string(GetLastError()) + ")"; }

HANDLE FromInt(int handle) { return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(handle)); }

// Creates the folder that holds `path` if it is missing (one level: the
// Vareko folder inside the user's local application data).
void CreateParentFolder(const std::string& path) {
    const auto separator = path.find_last_of("\\/");
    if (separator == std::string::npos || separator == 0) return;
    CreateDirectoryA(path.substr(0, separator).c_str(), nullptr);
}

// A security descriptor whose access list grants this process's user full
// access and nobody anything, and inherits nothing from the folder.
class OwnerOnly {
public:
    OwnerOnly() {
        HANDLE token = nullptr;
        if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token) == 0) return;
        DWORD size = 0;
        GetTokenInformation(token, TokenUser, nullptr, 0, &size);
        user_.resize(size);
        const bool known = size != 0 && GetTokenInformation(token, TokenUser, user_.data(), size, &size) != 0;
        CloseHandle(token);
        if (!known) return;
        PSID sid = reinterpret_cast<TOKEN_USER*>(user_.data())->User.Sid;
        acl_.resize(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(sid));
        ACL* acl = reinterpret_cast<ACL*>(acl_.data());
        ready_ = InitializeAcl(acl, static_cast<DWORD>(acl_.size()), ACL_REVISION) != 0 &&
                 AddAccessAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, sid) != 0 &&
                 InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) != 0 &&
                 SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE) != 0 &&
                 SetSecurityDescriptorControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED) != 0;
        attributes_ = {sizeof attributes_, &descriptor_, FALSE};
    }
    OwnerOnly(const OwnerOnly&) = delete;
    OwnerOnly& operator=(const OwnerOnly&) = delete;

    // Null when the descriptor could not be made.
    SECURITY_ATTRIBUTES* Attributes() { return ready_ ? &attributes_ : nullptr; }

private:
    std::vector<std::uint8_t> user_;  // TOKEN_USER, which the access list's SID points into
    std::vector<std::uint8_t> acl_;
    SECURITY_DESCRIPTOR descriptor_{};
    SECURITY_ATTRIBUTES attributes_{};
    bool ready_ = false;
};

}  // namespace

std::string NewToken(std::string& token) {
    std::array<std::uint8_t, kTokenRandomBytes> random{};
    const NTSTATUS status =
        BCryptGenRandom(nullptr, random.data(), static_cast<ULONG>(random.size()), BCRYPT_USE_SYSTEM_PREFERRED_RNG);
    if (status != 0) return "BCryptGenRandom failed (status " + std::to_string(status) + ")";
    token = TokenText(random);
    return {};
}

std::string LockTokenFile(const std::string& path, int& lockFd) {
    if (path.empty()) {
        return "no place for the token file: %LOCALAPPDATA% is not set; name one with --token-file or "
               "%VAREKO_DISPLAY_TOKEN%";
    }
    CreateParentFolder(path);
    const std::string lockPath = path + ".lock";
    OwnerOnly privateFile;
    const HANDLE lock = CreateFileA(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, privateFile.Attributes(),
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (lock == INVALID_HANDLE_VALUE) {
        if (GetLastError() == ERROR_SHARING_VIOLATION) {
            return "token file " + path + " belongs to another running display service; give this one "
                   "its own with --token-file or %VAREKO_DISPLAY_TOKEN%";
        }
        return SystemError("cannot open " + lockPath);
    }
    lockFd = static_cast<int>(reinterpret_cast<std::intptr_t>(lock));
    return {};
}

void ReleaseTokenLock(int lockFd) { CloseHandle(FromInt(lockFd)); }

std::string WriteTokenFile(const std::string& path, const TokenFile& file) {
    return WritePrivateFile(path, FormatTokenFile(file));
}

std::string WritePrivateFile(const std::string& path, const std::string& text) {
    const std::string temporary = path + ".new";
    DeleteFileA(temporary.c_str());
    OwnerOnly privateFile;
    if (privateFile.Attributes() == nullptr) return SystemError("cannot make a private access list for " + path);
    // CREATE_NEW: never write into a file (or a link) someone put there.
    const HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, privateFile.Attributes(), CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return SystemError("cannot create " + temporary);
    DWORD written = 0;
    const bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != 0 &&
                    written == text.size();
    const std::string writeError = ok ? std::string() : SystemError("cannot write " + temporary);
    CloseHandle(file);
    if (!ok) {
        DeleteFileA(temporary.c_str());
        return writeError;
    }
    if (MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) == 0) {
        const std::string moveError = SystemError("cannot replace " + path);
        DeleteFileA(temporary.c_str());
        return moveError;
    }
    return {};
}

}  // namespace vareko::displayservice
