// Registry calls on the file tree described in registry.h. Every call
// resolves its key afresh against the layers, so changes made by another
// process (the registry tool, a test) are seen at once. Open keys are heap
// records kept in a set, so a stale or foreign handle is refused instead of
// dereferenced.
#include "platform/win32/registry.h"

#include "platform/win32/trusted_path.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace fs = std::filesystem;

struct HKEY__ {
    std::string hiveFolder;
    std::vector<std::string> components;  // key path below the hive, as the caller spelled it
    REGSAM access;
};

namespace {

constexpr std::size_t kMaxValueBytes = 1u << 20;
constexpr std::size_t kMaxNameBytes = 254;  // "@" + name must fit a 255-byte file name
constexpr const char* kSystemRoot = "/etc/vareko/registry";
constexpr char kValuePrefix = '@';

struct Hive {
    HKEY handle;
    const char* folder;
};

const Hive kHives[] = {
    {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"},
};

struct TypeName {
    DWORD type;
    const char* name;
};

const TypeName kTypeNames[] = {
    {REG_NONE, "REG_NONE"},   {REG_SZ, "REG_SZ"},       {REG_EXPAND_SZ, "REG_EXPAND_SZ"},
    {REG_BINARY, "REG_BINARY"}, {REG_DWORD, "REG_DWORD"}, {REG_MULTI_SZ, "REG_MULTI_SZ"},
    {REG_QWORD, "REG_QWORD"},
};

struct Layer {
    fs::path root;
    bool writable;
};

std::string testSystemRoot;  // empty: the real system root

std::mutex handlesMutex;
std::set<HKEY__*> openHandles;

std::optional<fs::path> UserRoot() {
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && config[0] == '/') {
        return fs::path(config) / "vareko" / "registry";
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
        const passwd* entry = getpwuid(getuid());
        home = entry != nullptr ? entry->pw_dir : nullptr;
    }
    if (home == nullptr || home[0] == '\0') {
        return std::nullopt;
    }
    return fs::path(home) / ".config" / "vareko" / "registry";
}

// Top layer first.
std::vector<Layer> Layers() {
    if (const char* root = std::getenv("VAREKO_REGISTRY_ROOT"); root != nullptr && root[0] != '\0') {
        std::error_code ec;
        fs::path absolute = fs::absolute(root, ec);
        return {Layer{ec ? fs::path(root) : absolute, true}};
    }
    std::vector<Layer> layers;
    if (std::optional<fs::path> user = UserRoot()) {
        layers.push_back(Layer{*user, true});
    }
    layers.push_back(Layer{testSystemRoot.empty() ? fs::path(kSystemRoot) : fs::path(testSystemRoot),
                           false});
    return layers;
}

std::optional<Layer> WritableLayer() {
    std::vector<Layer> layers = Layers();
    if (layers.front().writable) {
        return layers.front();
    }
    return std::nullopt;
}

char FoldCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return FoldCase(x) == FoldCase(y);
           });
}

enum class EntryKind { Key, Value };

// The entry of `dir` named `name` (case-insensitively) of the wanted kind.
// Of several spellings the byte-wise smallest wins, so lookups are stable.
std::optional<fs::path> FindEntry(const fs::path& dir, std::string_view name, EntryKind kind) {
    std::error_code ec;
    fs::directory_iterator it(dir, ec);
    std::optional<std::string> best;
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::string entryName = it->path().filename().string();
        if (!SameName(entryName, name)) {
            continue;
        }
        std::error_code statEc;
        bool wanted = kind == EntryKind::Key ? it->is_directory(statEc) : it->is_regular_file(statEc);
        if (wanted && !statEc && (!best || entryName < *best)) {
            best = entryName;
        }
    }
    if (!best) {
        return std::nullopt;
    }
    return dir / *best;
}

std::optional<fs::path> ResolveKey(const Layer& layer, const HKEY__& key) {
    std::optional<fs::path> dir = FindEntry(layer.root, key.hiveFolder, EntryKind::Key);
    for (const std::string& component : key.components) {
        if (!dir) {
            return std::nullopt;
        }
        dir = FindEntry(*dir, component, EntryKind::Key);
    }
    return dir;
}

bool KeyExists(const HKEY__& key) {
    if (key.components.empty()) {
        return true;  // a hive always exists, even before its folder is made
    }
    for (const Layer& layer : Layers()) {
        if (ResolveKey(layer, key)) {
            return true;
        }
    }
    return false;
}

bool ValidName(std::string_view name) { return name.find('/') == std::string_view::npos; }

LONG SplitKeyPath(LPCSTR subKey, std::vector<std::string>& components) {
    if (subKey == nullptr) {
        return ERROR_SUCCESS;
    }
    std::string_view rest(subKey);
    while (!rest.empty()) {
        std::size_t cut = rest.find('\\');
        std::string_view part = rest.substr(0, cut);
        rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
        if (part.empty()) {
            continue;
        }
        if (part == "." || part == ".." || !ValidName(part) || part.size() > kMaxNameBytes) {
            return ERROR_BAD_PATHNAME;
        }
        components.emplace_back(part);
    }
    return ERROR_SUCCESS;
}

LONG ValueFileName(LPCSTR valueName, std::string& fileName) {
    std::string_view name = valueName != nullptr ? valueName : "";
    if (!ValidName(name) || name.size() > kMaxNameBytes) {
        return ERROR_BAD_PATHNAME;
    }
    fileName = kValuePrefix;
    fileName += name;
    return ERROR_SUCCESS;
}

// A copy of the key record behind `key`, or nothing for an unknown handle.
std::optional<HKEY__> LookupKey(HKEY key) {
    for (const Hive& hive : kHives) {
        if (key == hive.handle) {
            return HKEY__{hive.folder, {}, KEY_ALL_ACCESS};
        }
    }
    std::lock_guard<std::mutex> lock(handlesMutex);
    if (openHandles.count(key) == 0) {
        return std::nullopt;
    }
    return *key;
}

HKEY NewHandle(HKEY__ record) {
    HKEY handle = new HKEY__(std::move(record));
    std::lock_guard<std::mutex> lock(handlesMutex);
    openHandles.insert(handle);
    return handle;
}

LONG ErrnoToResult(int error, LONG fallback) {
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
        return static_cast<LONG>(ERROR_ACCESS_DENIED);
    case ENOENT:
    case ENOTDIR:
        return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
    default:
        return fallback;
    }
}

// Makes the key's folders in `layer`, reusing every folder that already
// matches case-insensitively.
// Makes one folder 0755 whatever the umask, so that reads never refuse what
// the registry made itself; an existing folder is left as it is.
LONG MakeFolder(const fs::path& dir) {
    if (mkdir(dir.c_str(), 0755) == 0) {
        return chmod(dir.c_str(), 0755) == 0 ? static_cast<LONG>(ERROR_SUCCESS)
                                             : ErrnoToResult(errno, static_cast<LONG>(ERROR_CANTWRITE));
    }
    return errno == EEXIST ? static_cast<LONG>(ERROR_SUCCESS)
                           : ErrnoToResult(errno, static_cast<LONG>(ERROR_CANTWRITE));
}

LONG MakeKeyDirs(const Layer& layer, const HKEY__& key, fs::path& dir) {
    dir.clear();
    for (const fs::path& part : layer.root) {
        dir /= part;
        if (LONG made = MakeFolder(dir); made != ERROR_SUCCESS) {
            return made;
        }
    }
    std::vector<std::string> names{key.hiveFolder};
    names.insert(names.end(), key.components.begin(), key.components.end());
    for (const std::string& name : names) {
        if (std::optional<fs::path> existing = FindEntry(dir, name, EntryKind::Key)) {
            dir = *existing;
            continue;
        }
        dir /= name;
        if (LONG made = MakeFolder(dir); made != ERROR_SUCCESS) {
            return made;
        }
    }
    return ERROR_SUCCESS;
}

struct StoredValue {
    DWORD type = REG_NONE;
    std::string data;
};

std::optional<DWORD> ParseTypeLine(std::string_view line) {
    for (const TypeName& entry : kTypeNames) {
        if (line == entry.name) {
            return entry.type;
        }
    }
    if (line.empty() || line.size() > 10 ||
        line.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    unsigned long long number = std::strtoull(std::string(line).c_str(), nullptr, 10);
    if (number > 0xFFFFFFFFull) {
        return std::nullopt;
    }
    return static_cast<DWORD>(number);
}

std::string TypeLine(DWORD type) {
    for (const TypeName& entry : kTypeNames) {
        if (entry.type == type) {
            return entry.name;
        }
    }
    return std::to_string(type);
}

LONG ReadValueFile(const fs::path& file, StoredValue& value) {
    int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return ErrnoToResult(errno, static_cast<LONG>(ERROR_CANTREAD));
    }
    std::string content;
    char chunk[4096];
    LONG result = ERROR_SUCCESS;
    for (;;) {
        ssize_t got = read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            result = static_cast<LONG>(ERROR_CANTREAD);
            break;
        }
        if (got == 0) {
            break;
        }
        content.append(chunk, static_cast<std::size_t>(got));
        if (content.size() > kMaxValueBytes + 32) {
            result = static_cast<LONG>(ERROR_BADDB);
            break;
        }
    }
    close(fd);
    if (result != ERROR_SUCCESS) {
        return result;
    }
    std::size_t newline = content.find('\n');
    std::optional<DWORD> type;
    if (newline != std::string::npos) {
        type = ParseTypeLine(std::string_view(content).substr(0, newline));
    }
    if (!type || content.size() - newline - 1 > kMaxValueBytes) {
        return static_cast<LONG>(ERROR_BADDB);
    }
    value.type = *type;
    value.data = content.substr(newline + 1);
    return ERROR_SUCCESS;
}

LONG WriteValueFile(const fs::path& dir, const std::string& fileName, DWORD type, const BYTE* data,
                    DWORD dataBytes) {
    fs::path target = dir / fileName;
    if (std::optional<fs::path> existing = FindEntry(dir, fileName, EntryKind::Value)) {
        target = *existing;
    }
    std::string temp = (dir / ".tmp-value-XXXXXX").string();
    int fd = mkstemp(temp.data());
    if (fd < 0) {
        return ErrnoToResult(errno, static_cast<LONG>(ERROR_CANTWRITE));
    }
    std::string content = TypeLine(type) + "\n";
    if (dataBytes > 0) {
        content.append(reinterpret_cast<const char*>(data), dataBytes);
    }
    std::size_t done = 0;
    while (done < content.size()) {
        ssize_t wrote = write(fd, content.data() + done, content.size() - done);
        if (wrote < 0 && errno == EINTR) {
            continue;
        }
        if (wrote < 0) {
            break;
        }
        done += static_cast<std::size_t>(wrote);
    }
    bool written = done == content.size() && fchmod(fd, 0644) == 0;
    written = close(fd) == 0 && written;
    if (!written || rename(temp.c_str(), target.c_str()) != 0) {
        unlink(temp.c_str());
        return static_cast<LONG>(ERROR_CANTWRITE);
    }
    return ERROR_SUCCESS;
}

// Zeros a string type must end with when read back.
std::size_t TerminatorCount(DWORD type) {
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        return 1;
    }
    return type == REG_MULTI_SZ ? 2 : 0;
}

void Terminate(StoredValue& value) {
    std::size_t zeros = TerminatorCount(value.type);
    std::size_t have = 0;
    while (have < zeros && have < value.data.size() &&
           value.data[value.data.size() - 1 - have] == '\0') {
        ++have;
    }
    value.data.append(zeros - have, '\0');
}

struct TrustResult {
    vareko::platform::PathTrust trust;
    LONG result;
};

// Results for value files that fail the trust check; every other failure
// is a refusal.
const TrustResult kTrustResults[] = {
    {vareko::platform::PathTrust::Missing, static_cast<LONG>(ERROR_FILE_NOT_FOUND)},
    {vareko::platform::PathTrust::Unreadable, static_cast<LONG>(ERROR_CANTREAD)},
};

// Reads the value file when it and every folder above it pass the trust
// check: nobody but root and the caller can have written it.
LONG ReadTrustedValueFile(const fs::path& file, StoredValue& value) {
    const vareko::platform::PathCheck check = vareko::platform::CheckTrustedFile(file.c_str());
    if (check.Trusted()) {
        return ReadValueFile(file, value);
    }
    for (const TrustResult& row : kTrustResults) {
        if (row.trust == check.trust) {
            return row.result;
        }
    }
    return static_cast<LONG>(vareko::platform::kUntrustedPathError);
}

// Finds the value in the top-most layer that has the key and the value.
LONG FindValue(const HKEY__& key, const std::string& fileName, StoredValue& value) {
    bool keySeen = key.components.empty();
    for (const Layer& layer : Layers()) {
        std::optional<fs::path> dir = ResolveKey(layer, key);
        if (!dir) {
            continue;
        }
        keySeen = true;
        if (std::optional<fs::path> file = FindEntry(*dir, fileName, EntryKind::Value)) {
            return ReadTrustedValueFile(*file, value);
        }
    }
    return static_cast<LONG>(keySeen ? ERROR_FILE_NOT_FOUND : ERROR_KEY_DELETED);
}

// Removes the key folder after its value files; refuses a key with subkeys.
LONG RemoveKeyDir(const fs::path& dir) {
    std::error_code ec;
    std::vector<fs::path> files;
    for (fs::directory_iterator it(dir, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::error_code statEc;
        if (it->is_directory(statEc)) {
            return static_cast<LONG>(ERROR_ACCESS_DENIED);
        }
        files.push_back(it->path());
    }
    if (ec) {
        return ErrnoToResult(ec.value(), static_cast<LONG>(ERROR_CANTWRITE));
    }
    for (const fs::path& file : files) {
        if (unlink(file.c_str()) != 0 && errno != ENOENT) {
            return ErrnoToResult(errno, static_cast<LONG>(ERROR_CANTWRITE));
        }
    }
    if (rmdir(dir.c_str()) != 0) {
        return ErrnoToResult(errno, static_cast<LONG>(ERROR_CANTWRITE));
    }
    return ERROR_SUCCESS;
}

// Whether some layer below the writable one holds the thing being deleted;
// deleting it there is not ours to do.
bool OnlyBelow(const HKEY__& key, const std::string* valueFile) {
    std::vector<Layer> layers = Layers();
    for (const Layer& layer : layers) {
        if (layer.writable) {
            continue;
        }
        std::optional<fs::path> dir = ResolveKey(layer, key);
        if (dir && (valueFile == nullptr || FindEntry(*dir, *valueFile, EntryKind::Value))) {
            return true;
        }
    }
    return false;
}

}  // namespace

LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD /*options*/, REGSAM desired, PHKEY result) {
    if (result == nullptr) {
        return static_cast<LONG>(ERROR_INVALID_PARAMETER);
    }
    *result = nullptr;
    std::optional<HKEY__> base = LookupKey(key);
    if (!base) {
        return static_cast<LONG>(ERROR_INVALID_HANDLE);
    }
    if (LONG split = SplitKeyPath(subKey, base->components); split != ERROR_SUCCESS) {
        return split;
    }
    if (!KeyExists(*base)) {
        return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
    }
    base->access = desired;
    *result = NewHandle(std::move(*base));
    return ERROR_SUCCESS;
}

LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD /*reserved*/, LPSTR /*keyClass*/,
                     DWORD /*options*/, REGSAM desired, LPSECURITY_ATTRIBUTES /*security*/,
                     PHKEY result, LPDWORD disposition) {
    if (result == nullptr) {
        return static_cast<LONG>(ERROR_INVALID_PARAMETER);
    }
    *result = nullptr;
    std::optional<HKEY__> base = LookupKey(key);
    if (!base) {
        return static_cast<LONG>(ERROR_INVALID_HANDLE);
    }
    if (LONG split = SplitKeyPath(subKey, base->components); split != ERROR_SUCCESS) {
        return split;
    }
    std::optional<Layer> layer = WritableLayer();
    if (!layer) {
        return static_cast<LONG>(ERROR_ACCESS_DENIED);
    }
    bool existed = KeyExists(*base);
    fs::path dir;
    if (LONG made = MakeKeyDirs(*layer, *base, dir); made != ERROR_SUCCESS) {
        return made;
    }
    if (disposition != nullptr) {
        *disposition = existed ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    }
    base->access = desired;
    *result = NewHandle(std::move(*base));
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
    for (const Hive& hive : kHives) {
        if (key == hive.handle) {
            return ERROR_SUCCESS;
        }
    }
    std::lock_guard<std::mutex> lock(handlesMutex);
    if (openHandles.erase(key) == 0) {
        return static_cast<LONG>(ERROR_INVALID_HANDLE);
    }
    delete key;
    return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD dataBytes) {
    std::optional<HKEY__> record = LookupKey(key);
    if (!record) {
        return static_cast<LONG>(ERROR_INVALID_HANDLE);
    }
    if (reserved != nullptr || (data != nullptr && dataBytes == nullptr)) {
        return static_cast<LONG>(ERROR_INVALID_PARAMETER);
    }
    if ((record->access & KEY_QUERY_VALUE) == 0) {
        return static_cast<LONG>(ERROR_ACCESS_DENIED);
    }
    std::string fileName;
    if (LONG named = ValueFileName(valueName, fileName); named != ERROR_SUCCESS) {
        return named;
    }
    StoredValue value;
    if (LONG found = FindValue(*record, fileName, value); found != ERROR_SUCCESS) {
        return found;
    }
    Terminate(value);
    if (type != nullptr) {
        *type = value.type;
    }
    if (dataBytes == nullptr) {
        return ERROR_SUCCESS;
    }
    DWORD needed = static_cast<DWORD>(value.data.size());
    if (data != nullptr && *dataBytes < needed) {
        *dataBytes = needed;
        return static_cast<LONG>(ERROR_MORE_DATA);
    }
    if (data != nullptr) {
        // Raw bytes of any type; strings already carry their zero (Terminate).
        std::memcpy(data, value.data.data(), needed);  // NOLINT(bugprone-not-null-terminated-result)
    }
    *dataBytes = needed;
    return ERROR_SUCCESS;
}

LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD /*reserved*/, DWORD type, const BYTE* data,
                    DWORD dataBytes) {
    std::optional<HKEY__> record = LookupKey(key);
    if (!record) {
        return static_cast<LONG>(ERROR_INVALID_HANDLE);
    }
    if ((data == nullptr && dataBytes > 0) || dataBytes > kMaxValueBytes) {
        return static_cast<LONG>(ERROR_INVALID_PARAMETER);
    }
    if ((record->access & KEY_SET_VALUE) == 0) {
        return static_cast<LONG>(ERROR_ACCESS_DENIED);
    }
    std::string fileName;
    if (LONG named = ValueFileName(valueName, fileName); named != ERROR_SUCCESS) {
        return named;
    }
    std::optional<Layer> layer = WritableLayer();
    if (!layer) {
        return static_cast<LONG>(ERROR_ACCESS_DENIED);
    }
    if (!KeyExists(*record)) {
        return static_cast<LONG>(ERROR_KEY_DELETED);
    }
    // A key seen only in the system root gets its folders in the user's root.
    fs::path dir;
    if (LONG made = MakeKeyDirs(*layer, *record, dir); made != ERROR_SUCCESS) {
        return made;
    }
    return WriteValueFile(dir, fileName, type, data, dataBytes);
}

LONG RegDeleteKeyA(HKEY key, LPCSTR subKey) {
    std::optional<HKEY__> record = LookupKey(key);
    if (!record) {
        return static_cast<LONG>(ERROR_INVALID_HANDLE);
    }
    std::size_t depth = record->components.size();
    if (LONG split = SplitKeyPath(subKey, record->components); split != ERROR_SUCCESS) {
        return split;
    }
    if (record->components.size() == depth) {
        return static_cast<LONG>(ERROR_INVALID_PARAMETER);  // a key names a subkey to delete
    }
    std::optional<Layer> layer = WritableLayer();
    std::optional<fs::path> dir = layer ? ResolveKey(*layer, *record) : std::nullopt;
    if (dir) {
        return RemoveKeyDir(*dir);
    }
    return static_cast<LONG>(OnlyBelow(*record, nullptr) ? ERROR_ACCESS_DENIED
                                                         : ERROR_FILE_NOT_FOUND);
}

LONG RegDeleteValueA(HKEY key, LPCSTR valueName) {
    std::optional<HKEY__> record = LookupKey(key);
    if (!record) {
        return static_cast<LONG>(ERROR_INVALID_HANDLE);
    }
    if ((record->access & KEY_SET_VALUE) == 0) {
        return static_cast<LONG>(ERROR_ACCESS_DENIED);
    }
    std::string fileName;
    if (LONG named = ValueFileName(valueName, fileName); named != ERROR_SUCCESS) {
        return named;
    }
    std::optional<Layer> layer = WritableLayer();
    std::optional<fs::path> dir = layer ? ResolveKey(*layer, *record) : std::nullopt;
    if (dir) {
        if (std::optional<fs::path> file = FindEntry(*dir, fileName, EntryKind::Value)) {
            return unlink(file->c_str()) == 0
                       ? static_cast<LONG>(ERROR_SUCCESS)
                       : ErrnoToResult(errno, static_cast<LONG>(ERROR_CANTWRITE));
        }
    }
    return static_cast<LONG>(OnlyBelow(*record, &fileName) ? ERROR_ACCESS_DENIED
                                                           : ERROR_FILE_NOT_FOUND);
}

namespace vareko::platform {

TestSystemRegistryRoot::TestSystemRegistryRoot(const char* path) { testSystemRoot = path; }

TestSystemRegistryRoot::~TestSystemRegistryRoot() { testSystemRoot.clear(); }

}  // namespace vareko::platform
