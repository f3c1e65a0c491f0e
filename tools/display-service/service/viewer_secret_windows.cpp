// The private file read on Windows: a plain file (no reparse point) owned by
// this process's user whose access list admits nobody but that user and the
// system itself, as WritePrivateFile creates it.
#include <windows.h>
#include <aclapi.h>

#include <vector>

#include "tools/display-service/service/viewer_secret_file.h"

namespace vareko::displayservice {
namespace {

// This process's user, as a TOKEN_USER buffer; empty when it cannot be read.
std::vector<std::uint8_t> ProcessUser() {
    HANDLE token = nullptr;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token) == 0) return {};
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<std::uint8_t> user(size);
    const bool known = size != 0 && GetTokenInformation(token, TokenUser, user.data(), size, &size) != 0;
    CloseHandle(token);
    if (!known) user.clear();
    return user;
}

bool IsWellKnown(PSID sid, WELL_KNOWN_SID_TYPE type) { return IsWellKnownSid(sid, type) != 0; }

// Owned by `user`, and every entry that grants access names `user`, the
// local system or the administrators (who can read any file anyway).
bool OwnedByAlone(HANDLE file, PSID user) {
    PSID owner = nullptr;
    PACL acl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                        nullptr, &acl, nullptr, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    // A null access list admits everyone.
    bool alone = owner != nullptr && EqualSid(owner, user) != 0 && acl != nullptr;
    for (DWORD i = 0; alone && i < acl->AceCount; ++i) {
        void* entry = nullptr;
        if (GetAce(acl, i, &entry) == 0) {
            alone = false;
            break;
        }
        const auto* header = static_cast<const ACE_HEADER*>(entry);
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
        PSID grantee = &static_cast<ACCESS_ALLOWED_ACE*>(entry)->SidStart;
        alone = EqualSid(grantee, user) != 0 || IsWellKnown(grantee, WinLocalSystemSid) ||
                IsWellKnown(grantee, WinBuiltinAdministratorsSid);
    }
    LocalFree(descriptor);
    return alone;
}

}  // namespace

bool ReadOwnPrivateFile(const std::string& path, std::size_t maxBytes, std::string& text) {
    std::vector<std::uint8_t> user = ProcessUser();
    if (user.empty()) return false;
    // FILE_FLAG_OPEN_REPARSE_POINT: a link planted there is opened itself, and refused below.
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | READ_CONTROL, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    constexpr DWORD kNotPlain = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
    bool ok = GetFileInformationByHandle(file, &info) != 0 && (info.dwFileAttributes & kNotPlain) == 0 &&
              OwnedByAlone(file, reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid);
    DWORD read = 0;
    text.resize(maxBytes);
    ok = ok && ReadFile(file, text.data(), static_cast<DWORD>(maxBytes), &read, nullptr) != 0;
    CloseHandle(file);
    text.resize(ok ? read : 0);
    return ok;
}

}  // namespace vareko::displayservice
