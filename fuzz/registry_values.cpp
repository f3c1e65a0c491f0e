// Fuzz target: the registry's value-file reader. Each input becomes a value
// file under the display-manager library's key in a scratch registry root
// and is read back as the device link reads it (a 259-byte offer), with a
// size query, a buffer of exactly the reported size and one a byte short.
// The answers are checked against the file itself; a second pass writes the
// data through RegSetValueExA with an input-chosen type and reads it back.
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "display/devicelink/device_link.h"
#include "display/devicelink/link_interface.h"
#include "platform/win32.h"

namespace {

namespace fs = std::filesystem;

constexpr BYTE kGuard = 0xAB;

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "registry_values: %s\n", what);
        std::abort();
    }
}

// The key's folder in a fresh root under /dev/shm (or the temporary folder),
// so that every input costs a file write in memory.
const fs::path& KeyFolder() {
    static const fs::path folder = [] {
        std::error_code ec;
        const fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
        std::string root = (base / "vareko-fuzz-registry-XXXXXX").string();
        Check(mkdtemp(root.data()) != nullptr, "no scratch folder");
        setenv("VAREKO_REGISTRY_ROOT", root.c_str(), 1);
        fs::path key = fs::path(root) / "HKEY_LOCAL_MACHINE";
        std::string_view rest = vareko::link::kLibraryRegistryKey;
        while (!rest.empty()) {
            const std::size_t cut = rest.find('\\');
            key /= std::string(rest.substr(0, cut));
            rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
        }
        fs::create_directories(key);
        return key;
    }();
    return folder;
}

void WriteFile(const fs::path& file, const std::uint8_t* data, std::size_t size) {
    std::FILE* out = std::fopen(file.c_str(), "wb");
    Check(out != nullptr, "cannot write the value file");
    if (size > 0) std::fwrite(data, 1, size, out);
    std::fclose(out);
    // The registry reads only value files that group and others cannot write.
    chmod(file.c_str(), 0644);
}

std::size_t ZerosRequired(DWORD type) {
    if (type == REG_SZ || type == REG_EXPAND_SZ) return 1;
    return type == REG_MULTI_SZ ? 2 : 0;
}

// What a successful read must return for stored bytes `stored` of `type`:
// the bytes as stored, then the zeros a string type lacks at its end.
void CheckReadBack(DWORD type, std::string_view stored, const BYTE* data, DWORD size) {
    Check(size >= stored.size() && size <= stored.size() + ZerosRequired(type), "size is not the stored size");
    Check(std::memcmp(data, stored.data(), stored.size()) == 0, "data differs from the file");
    for (DWORD i = static_cast<DWORD>(stored.size()); i < size; ++i) Check(data[i] == 0, "appended byte is not a zero");
    for (std::size_t i = 0; i < ZerosRequired(type); ++i) {
        Check(size > i && data[size - 1 - i] == 0, "string value comes back unterminated");
    }
}

// One query with a buffer of `offer` bytes; the guard byte behind it must
// survive, and the reported size must fit the offer on success.
LONG Query(HKEY key, const char* name, DWORD offer, DWORD& type, std::vector<BYTE>& buffer, DWORD& size) {
    buffer.assign(offer + 1u, kGuard);
    size = offer;
    type = 0xFFFFFFFF;
    const LONG result = RegQueryValueExA(key, name, nullptr, &type, buffer.data(), &size);
    Check(buffer[offer] == kGuard, "write past the offered buffer");
    if (result == ERROR_SUCCESS) Check(size <= offer, "success with more bytes than offered");
    return result;
}

// Reads the value every way a caller may and checks the answers agree with
// one another and, where `stored` is known, with the stored bytes.
void ReadEveryWay(HKEY key, const char* name, const std::string_view* stored, DWORD expectedType) {
    DWORD type = 0;
    DWORD needed = 0;
    const LONG sized = RegQueryValueExA(key, name, nullptr, &type, nullptr, &needed);
    DWORD typeOnly = 0;
    Check(RegQueryValueExA(key, name, nullptr, &typeOnly, nullptr, nullptr) == sized, "type query disagrees");
    std::vector<BYTE> buffer;
    DWORD gotType = 0;
    DWORD got = 0;
    const LONG linkRead = Query(key, name, vareko::link::kLibraryPathBytes - 1, gotType, buffer, got);
    if (sized != ERROR_SUCCESS) {
        Check(linkRead == sized, "reads of one value fail differently");
        return;
    }
    Check(typeOnly == type, "type query reports another type");
    if (stored != nullptr) {
        Check(type == expectedType, "type differs from the one stored");
        if (linkRead == ERROR_SUCCESS) CheckReadBack(type, *stored, buffer.data(), got);
    }
    if (linkRead == ERROR_MORE_DATA) Check(got == needed, "too small a buffer reports another size");
    Check(Query(key, name, needed, gotType, buffer, got) == ERROR_SUCCESS && got == needed && gotType == type,
          "a buffer of the reported size is refused");
    if (stored != nullptr) CheckReadBack(type, *stored, buffer.data(), got);
    if (needed > 0) {
        Check(Query(key, name, needed - 1, gotType, buffer, got) == ERROR_MORE_DATA && got == needed,
              "a buffer one byte short is not refused");
    }
}

// The type a value file names in its first line, when the reader must take it.
bool KnownTypeLine(std::string_view file, DWORD& type, std::string_view& data) {
    static constexpr struct {
        const char* name;
        DWORD type;
    } kNames[] = {{"REG_NONE", REG_NONE},         {"REG_SZ", REG_SZ},       {"REG_EXPAND_SZ", REG_EXPAND_SZ},
                  {"REG_BINARY", REG_BINARY},     {"REG_DWORD", REG_DWORD}, {"REG_MULTI_SZ", REG_MULTI_SZ},
                  {"REG_QWORD", REG_QWORD}};
    const std::size_t newline = file.find('\n');
    if (newline == std::string_view::npos) return false;
    for (const auto& entry : kNames) {
        if (file.substr(0, newline) == entry.name) {
            type = entry.type;
            data = file.substr(newline + 1);
            return true;
        }
    }
    return false;
}

}  // namespace

// Input: one byte choosing the value name and the type of the write-back,
// then the value file's bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t control = data[0];
    const std::string_view file(reinterpret_cast<const char*>(data + 1), size - 1);
    // The default value, or a named one looked up in another letter case.
    const bool named = (control & 1) != 0;
    const char* fileName = named ? "@Path" : "@";
    const char* queryName = named ? "pATH" : nullptr;
    WriteFile(KeyFolder() / fileName, data + 1, size - 1);

    HKEY key = nullptr;
    Check(RegOpenKeyExA(HKEY_LOCAL_MACHINE, vareko::link::kLibraryRegistryKey, 0, KEY_READ, &key) == ERROR_SUCCESS,
          "the key does not open");
    DWORD knownType = 0;
    std::string_view stored;
    const bool known = KnownTypeLine(file, knownType, stored);
    if (file.find('\n') == std::string_view::npos) {
        DWORD needed = 0;
        Check(RegQueryValueExA(key, queryName, nullptr, nullptr, nullptr, &needed) == static_cast<LONG>(ERROR_BADDB),
              "a file without a type line is not ERROR_BADDB");
    }
    ReadEveryWay(key, queryName, known ? &stored : nullptr, knownType);
    RegCloseKey(key);
    std::remove((KeyFolder() / fileName).c_str());

    // Write-back: the file's bytes as the data of a value of any type.
    const DWORD types[] = {REG_NONE, REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_MULTI_SZ, REG_QWORD, 12345, 0xFFFFFFFF};
    const DWORD type = types[(control >> 1) % std::size(types)];
    Check(RegCreateKeyExA(HKEY_LOCAL_MACHINE, vareko::link::kLibraryRegistryKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                          nullptr, &key, nullptr) == ERROR_SUCCESS,
          "the key does not open for writing");
    Check(RegSetValueExA(key, queryName, 0, type, data + 1, static_cast<DWORD>(size - 1)) == ERROR_SUCCESS,
          "a value does not write");
    ReadEveryWay(key, queryName, &file, type);
    Check(RegDeleteValueA(key, queryName) == ERROR_SUCCESS, "the value does not delete");
    RegCloseKey(key);
    return 0;
}
