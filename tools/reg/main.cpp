// vareko-reg: the registry from the shell, for users, scripts and installers.
//   vareko-reg get KEY          print the key's default value
//   vareko-reg set KEY VALUE    create the key (and its parents), set its default value (REG_SZ)
//   vareko-reg delete KEY       delete the key and its values (it must have no subkeys)
// KEY starts with its hive, HKLM or HKCU (or HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER);
// '\' and '/' both separate its parts. Exit status: 0 done, 1 failed, 2 usage.
// The display library's key takes only a path the program would load: an
// absolute one to a library that passes the platform's trust check.
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "display/devicelink/link_interface.h"
#include "platform/win32.h"
#include "platform/win32/trusted_path.h"

namespace {

struct HiveName {
    const char* name;
    HKEY key;
};

const HiveName kHiveNames[] = {
    {"HKLM", HKEY_LOCAL_MACHINE},
    {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
    {"HKCU", HKEY_CURRENT_USER},
    {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
};

struct ResultText {
    LONG code;
    const char* text;
};

const ResultText kResultTexts[] = {
    {static_cast<LONG>(ERROR_FILE_NOT_FOUND), "not found"},
    {static_cast<LONG>(ERROR_ACCESS_DENIED), "access denied (a key with subkeys, or a system entry)"},
    {static_cast<LONG>(ERROR_BAD_PATHNAME), "invalid key or value name"},
    {static_cast<LONG>(ERROR_BADDB), "the value file is damaged"},
    {static_cast<LONG>(ERROR_CANTREAD), "cannot read"},
    {static_cast<LONG>(ERROR_CANTWRITE), "cannot write"},
    {static_cast<LONG>(vareko::platform::kUntrustedPathError),
     "refused: the value file, or a folder above it, is owned by another user or may be written by "
     "group or others"},
};

bool SameLetters(std::string_view a, std::string_view b) {
    auto fold = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; };
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (fold(a[i]) != fold(b[i])) {
            return false;
        }
    }
    return true;
}

struct KeyPath {
    HKEY hive = nullptr;
    std::string subKey;
};

bool ParseKey(std::string_view text, KeyPath& path) {
    std::string normalised(text);
    for (char& c : normalised) {
        if (c == '/') {
            c = '\\';
        }
    }
    std::size_t cut = normalised.find('\\');
    std::string hiveName = normalised.substr(0, cut);
    for (const HiveName& hive : kHiveNames) {
        if (SameLetters(hive.name, hiveName)) {
            path.hive = hive.key;
            path.subKey = cut == std::string::npos ? std::string() : normalised.substr(cut + 1);
            return true;
        }
    }
    return false;
}

int Fail(const char* action, LONG code) {
    const char* text = "failed";
    for (const ResultText& entry : kResultTexts) {
        if (entry.code == code) {
            text = entry.text;
        }
    }
    std::fprintf(stderr, "vareko-reg: %s: %s (error %ld)\n", action, text, static_cast<long>(code));
    return 1;
}

void PrintValue(DWORD type, const std::string& data) {
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        std::printf("%s\n", data.c_str());
    } else if (type == REG_MULTI_SZ) {
        for (const char* s = data.c_str(); *s != '\0'; s += std::strlen(s) + 1) {
            std::printf("%s\n", s);
        }
    } else if ((type == REG_DWORD && data.size() == 4) || (type == REG_QWORD && data.size() == 8)) {
        unsigned long long number = 0;
        std::memcpy(&number, data.data(), data.size());  // little-endian host
        std::printf("%llu\n", number);
    } else {
        for (unsigned char byte : data) {
            std::printf("%02x", byte);
        }
        std::printf("\n");
    }
}

int Get(const KeyPath& path) {
    HKEY key = nullptr;
    LONG r = RegOpenKeyExA(path.hive, path.subKey.c_str(), 0, KEY_READ, &key);
    if (r != ERROR_SUCCESS) {
        return Fail("open", r);
    }
    DWORD type = 0;
    DWORD size = 0;
    r = RegQueryValueExA(key, nullptr, nullptr, &type, nullptr, &size);
    std::string data(size, '\0');
    if (r == ERROR_SUCCESS) {
        r = RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                             &size);
        data.resize(size);
    }
    RegCloseKey(key);
    if (r != ERROR_SUCCESS) {
        return Fail("read", r);
    }
    PrintValue(type, data);
    return 0;
}

bool IsLibraryKey(const KeyPath& path) {
    std::string_view subKey = path.subKey;
    while (!subKey.empty() && subKey.back() == '\\') {
        subKey.remove_suffix(1);
    }
    return path.hive == HKEY_LOCAL_MACHINE && SameLetters(subKey, vareko::link::kLibraryRegistryKey);
}

int Set(const KeyPath& path, const char* value) {
    if (IsLibraryKey(path)) {
        if (const vareko::platform::PathCheck check = vareko::platform::CheckTrustedFile(value); !check.Trusted()) {
            std::fprintf(stderr, "vareko-reg: refusing %s as the display library: %s\n", value,
                         vareko::platform::ExplainPathCheck(check, value).c_str());
            return 1;
        }
    }
    HKEY key = nullptr;
    LONG r = RegCreateKeyExA(path.hive, path.subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                             KEY_WRITE, nullptr, &key, nullptr);
    if (r != ERROR_SUCCESS) {
        return Fail("create", r);
    }
    r = RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                       static_cast<DWORD>(std::strlen(value) + 1));
    RegCloseKey(key);
    return r == ERROR_SUCCESS ? 0 : Fail("write", r);
}

int Delete(const KeyPath& path) {
    LONG r = RegDeleteKeyA(path.hive, path.subKey.c_str());
    return r == ERROR_SUCCESS ? 0 : Fail("delete", r);
}

int Usage() {
    std::fprintf(stderr,
                 "usage: vareko-reg get KEY\n"
                 "       vareko-reg set KEY VALUE\n"
                 "       vareko-reg delete KEY\n"
                 "KEY begins with HKLM or HKCU, e.g. HKLM\\SOFTWARE\\Vendor\\App\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        return Usage();
    }
    std::string_view command = argv[1];
    KeyPath path;
    if (!ParseKey(argv[2], path)) {
        std::fprintf(stderr, "vareko-reg: unknown hive in %s\n", argv[2]);
        return 2;
    }
    if (command == "get" && argc == 3) {
        return Get(path);
    }
    if (command == "set" && argc == 4) {
        return Set(path, argv[3]);
    }
    if (command == "delete" && argc == 3) {
        return Delete(path);
    }
    return Usage();
}
