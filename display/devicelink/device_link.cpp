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
LoadStatus lastLoad;

struct RegistryOutcome {
    LONG result;
    LoadOutcome outcome;
};

// Registry results with a meaning of their own; any other is EntryUnusable.
const RegistryOutcome kRegistryOutcomes[] = {
    {static_cast<LONG>(ERROR_FILE_NOT_FOUND), LoadOutcome::NotRegistered},
    {static_cast<LONG>(ERROR_KEY_DELETED), LoadOutcome::NotRegistered},
    {static_cast<LONG>(platform::kUntrustedPathError), LoadOutcome::EntryRefused},
};

LoadStatus RegistryFailure(LONG result) {
    LoadStatus status;
    status.outcome = LoadOutcome::EntryUnusable;
    status.registryResult = result;
    for (const RegistryOutcome& row : kRegistryOutcomes) {
        if (row.result == result) {
            status.outcome = row.outcome;
        }
    }
    return status;
}

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
// NotTried when the path was read and is yet to be checked.
LoadStatus ReadLibraryPath(HKEY key) {
    std::memset(libraryPath, 0, sizeof libraryPath);
    DWORD type = REG_NONE;
    DWORD size = kLibraryPathBytes - 1;
    LONG r = RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(libraryPath),
                              &size);
    if (r != ERROR_SUCCESS) {
        return RegistryFailure(r);
    }
    LoadStatus status;
    if (type != REG_SZ || size == 0 || size >= kLibraryPathBytes) {
        status.outcome = LoadOutcome::EntryUnusable;
        return status;
    }
    libraryPath[size] = '\0';
    status.libraryPath = libraryPath;
    return status;
}

LoadOutcome BindLibrary() {
    module = LoadLibraryA(libraryPath);
    if (module == nullptr) {
        return LoadOutcome::NotLoadable;
    }
    FARPROC proc = GetProcAddress(module, kGetInterfaceExport);
    if (proc == nullptr) {
        return LoadOutcome::NoEntryPoint;
    }
    // Through void(*)(), the one function type that converts to any other unchecked.
    auto getInterface =
        reinterpret_cast<GetInterfaceFunction>(reinterpret_cast<void (*)()>(proc));
    table = getInterface(kInterfaceVersion);
    return table != nullptr && HasEveryCalledEntry(*table) ? LoadOutcome::Loaded : LoadOutcome::NoTable;
}

// Only a library that nobody but root and the user can have written is
// handed to the loader; the check also says why another is not.
LoadStatus FindAndBindLibrary() {
    HKEY key = nullptr;
    if (LONG r = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kLibraryRegistryKey, 0, KEY_READ, &key);
        r != ERROR_SUCCESS) {
        return RegistryFailure(r);
    }
    LoadStatus status = ReadLibraryPath(key);
    RegCloseKey(key);
    if (status.outcome != LoadOutcome::NotTried) {
        return status;
    }
    status.pathCheck = platform::CheckTrustedFile(libraryPath);
    if (!status.pathCheck.Trusted()) {
        status.outcome = status.pathCheck.trust == platform::PathTrust::Missing ? LoadOutcome::Missing
                                                                                : LoadOutcome::PathRefused;
        return status;
    }
    status.outcome = BindLibrary();
    return status;
}

}  // namespace

bool LoadDisplayManager() {
    lastLoad = FindAndBindLibrary();
    if (lastLoad.outcome != LoadOutcome::Loaded) {
        UnloadDisplayManager();
        return false;
    }
    return true;
}

const LoadStatus& LastLoadStatus() { return lastLoad; }

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
