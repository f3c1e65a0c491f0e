// Scratch registry root for benchmarks: mkdtemp, the library key's default
// value through our registry functions, and removal of the tree at the end.
#include "bench/support/scratch_registry.h"

#include <cstdlib>
#include <filesystem>

#include "display/devicelink/link_interface.h"
#include "platform/win32.h"

namespace vareko::bench {

ScratchRegistry::ScratchRegistry(const char* libraryPath) {
    std::string pattern = (std::filesystem::temp_directory_path() / "vareko-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return;
    root = pattern;
    setenv("VAREKO_REGISTRY_ROOT", root.c_str(), 1);
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, link::kLibraryRegistryKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return;
    }
    const std::string value = std::string(libraryPath) + '\0';
    ok = RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.data()),
                        static_cast<DWORD>(value.size())) == ERROR_SUCCESS;
    RegCloseKey(key);
}

ScratchRegistry::~ScratchRegistry() {
    if (root.empty()) return;
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
    unsetenv("VAREKO_REGISTRY_ROOT");
}

}  // namespace vareko::bench
