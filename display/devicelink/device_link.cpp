// The loader and forwarding layer for the display-manager library.
#include "display/devicelink/device_link.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "platform/win32.h"

namespace vareko::link {
namespace {

HMODULE module = nullptr;
char libraryPath[kLibraryPathBytes] = {};
const InterfaceTable* table = nullptr;
bool initialized = false;

// A table missing an entry that the program calls is no table at all.
bool HasEveryCalledEntry(const InterfaceTable& t) {
    const bool present[] = {t.init != nullptr,      t.deinit != nullptr,   t.connect != nullptr,
                            t.disconnect != nullptr, t.enumerate != nullptr, t.open != nullptr,
                            t.close != nullptr,      t.readButtons != nullptr, t.update != nullptr,
                            t.setDeviceFlag != nullptr};
    return std::all_of(std::begin(present), std::end(present), [](bool p) { return p; });
}

// Reads the key's default value into libraryPath. Only a string value is
// taken, at most one byte short of the buffer, and it is terminated at the
// length read, so the path handed to the loader always ends inside the buffer.
bool ReadLibraryPath(HKEY key) {
    std::memset(libraryPath, 0, sizeof libraryPath);
    DWORD type = REG_NONE;
    DWORD size = kLibraryPathBytes - 1;
    LONG r = RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(libraryPath),
                              &size);
    if (r != ERROR_SUCCESS || type != REG_SZ || size == 0 || size >= kLibraryPathBytes) {
        return false;
    }
    libraryPath[size] = '\0';
    return true;
}

bool BindLibrary() {
    module = LoadLibraryA(libraryPath);
    if (module == nullptr) {
        return false;
    }
    FARPROC proc = GetProcAddress(module, kGetInterfaceExport);
    if (proc == nullptr) {
        return false;
    }
    // Through void(*)(), the one function type that converts to any other unchecked.
    auto getInterface =
        reinterpret_cast<GetInterfaceFunction>(reinterpret_cast<void (*)()>(proc));
    table = getInterface(kInterfaceVersion);
    return table != nullptr && HasEveryCalledEntry(*table);
}

}  // namespace

bool LoadDisplayManager() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kLibraryRegistryKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    bool pathRead = ReadLibraryPath(key);
    RegCloseKey(key);
    if (!pathRead || !BindLibrary()) {
        UnloadDisplayManager();
        return false;
    }
    return true;
}

void UnloadDisplayManager() {
    if (module != nullptr) {
        FreeLibrary(module);
    }
    module = nullptr;
    table = nullptr;
}

LinkResult LinkInit() {
    if (initialized) {
        return kLinkAlreadyInitialized;
    }
    if (!LoadDisplayManager()) {
        return kLinkServerUnavailable;
    }
    initialized = true;
    return table->init();
}

LinkResult LinkDeinit() {
    if (!initialized) {
        return kLinkOk;
    }
    LinkResult r = table->deinit();
    UnloadDisplayManager();
    initialized = false;
    return r;
}

LinkResult LinkConnect(ConnectionRecord* record) {
    return initialized ? table->connect(record) : kLinkNotActive;
}

LinkResult LinkDisconnect(LinkHandle connection) {
    return initialized ? table->disconnect(connection) : kLinkNotActive;
}

LinkResult LinkEnumerate(LinkHandle connection, std::uint32_t index, void* buffer16) {
    return initialized ? table->enumerate(connection, index, buffer16) : kLinkNotActive;
}

LinkResult LinkOpen(OpenRecord* record) {
    return initialized ? table->open(record) : kLinkNotActive;
}

LinkResult LinkClose(LinkHandle device) {
    return initialized ? table->close(device) : kLinkNotActive;
}

LinkResult LinkReadButtons(LinkHandle device, std::uint32_t* buttons) {
    return initialized ? table->readButtons(device, buttons) : kLinkNotActive;
}

LinkResult LinkUpdate(LinkHandle device, const DeviceBitmap* bitmap, std::uint32_t priority) {
    return initialized ? table->update(device, bitmap, priority) : kLinkNotActive;
}

LinkResult LinkSetDeviceFlag(LinkHandle device, std::uint32_t flag) {
    return initialized ? table->setDeviceFlag(device, flag) : kLinkNotActive;
}

}  // namespace vareko::link
