// What became of the device link's last attempt to load the display-manager
// library, for the program to tell its user: a status value, never printed
// here. Depends on the platform's trust check only.
#pragma once

#include <cstdint>
#include <string>

#include "platform/win32/trusted_path.h"

namespace vareko::link {

enum class LoadOutcome : std::uint8_t {
    NotTried,
    Loaded,
    NotRegistered,   // no registry key, or no default value in it
    EntryRefused,    // the registry refused its entry: another user could have written it
    EntryUnusable,   // the entry is no string, is empty, too long or unreadable
    PathRefused,     // the path failed the trust check (relative, foreign, writable by others)
    Missing,         // the library, or a directory on its path, does not exist
    NotLoadable,     // the system's loader refused the file
    NoEntryPoint,    // the library has no GetInterface export
    NoTable,         // GetInterface gave no table, or one without an entry the program calls
};

struct LoadStatus {
    LoadOutcome outcome = LoadOutcome::NotTried;
    std::string libraryPath;        // the registry's value, once one was read
    platform::PathCheck pathCheck;  // for PathRefused and Missing: what failed the check
    long registryResult = 0;        // for EntryUnusable: the registry's result code, if any

    friend bool operator==(const LoadStatus&, const LoadStatus&) = default;
};

}  // namespace vareko::link
