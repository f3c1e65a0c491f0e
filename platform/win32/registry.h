// The platform's registry calls on a directory tree of small files.
//
// On-disk layout (also in docs/registry.md). A registry root holds one folder
// per hive, HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER; inside, every key is a
// folder and every value a regular file in its key's folder, named "@" plus
// the value name ("@" alone is the key's default value). A value file starts
// with one line naming its type ("REG_SZ\n", "REG_DWORD\n", ... or the type's
// decimal number) followed by the raw data bytes, nothing appended:
//   <root>/HKEY_LOCAL_MACHINE/SOFTWARE/Vendor/App/@       REG_SZ\n/usr/lib/x.so
// Key and value names match case-insensitively (ASCII letters); a new key or
// value keeps the spelling it was created with. Key path components of "." or
// "..", and any name holding '/', are refused (ERROR_BAD_PATHNAME).
//
// A value is read only from a file that passes the trust check of
// trusted_path.h (the file and every folder above it owned by root or the
// caller and writable by neither group nor others); any other read fails
// with kUntrustedPathError, so that another user cannot plant settings.
//
// Roots: $VAREKO_REGISTRY_ROOT alone when it is set and not empty; otherwise
// the user's root ($XDG_CONFIG_HOME/vareko/registry, default
// ~/.config/vareko/registry) laid over the system's (/etc/vareko/registry).
// Reads see the user's entries first, then the system's; writes and deletes
// go to the user's root only.
//
// Depends on the basic types, the trust check and the C++ and POSIX libraries.
#pragma once

#include "platform/win32/types.h"

struct HKEY__;
using HKEY = HKEY__*;
using PHKEY = HKEY*;
using REGSAM = DWORD;
using LPDWORD = DWORD*;
using LPBYTE = BYTE*;

struct SECURITY_ATTRIBUTES;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

// Predefined root keys, with the platform's handle values.
inline HKEY const HKEY_CURRENT_USER =
    reinterpret_cast<HKEY>(static_cast<INT_PTR>(static_cast<LONG>(0x80000001u)));
inline HKEY const HKEY_LOCAL_MACHINE =
    reinterpret_cast<HKEY>(static_cast<INT_PTR>(static_cast<LONG>(0x80000002u)));

// Access rights.
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

// Value types.
constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_MULTI_SZ = 7;
constexpr DWORD REG_QWORD = 11;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Result codes that only the registry reports.
constexpr DWORD ERROR_BAD_PATHNAME = 161;
constexpr DWORD ERROR_BADDB = 1009;  // a value file without a valid type line
constexpr DWORD ERROR_CANTREAD = 1012;
constexpr DWORD ERROR_CANTWRITE = 1013;
constexpr DWORD ERROR_KEY_DELETED = 1018;  // the open key no longer exists

LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM desired, PHKEY result);
LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options,
                     REGSAM desired, LPSECURITY_ATTRIBUTES security, PHKEY result,
                     LPDWORD disposition);
LONG RegCloseKey(HKEY key);

// String values (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) always come back
// terminated: a stored string that lacks its zero (two for REG_MULTI_SZ) is
// returned with it added, and the size reported counts it.
LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD dataBytes);
LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                    DWORD dataBytes);

// Deletes a key that has no subkeys, with its values. What lies only in the
// system root cannot be deleted (ERROR_ACCESS_DENIED).
LONG RegDeleteKeyA(HKEY key, LPCSTR subKey);
LONG RegDeleteValueA(HKEY key, LPCSTR valueName);

namespace vareko::platform {

// While one exists, the system root is `path` instead of /etc/vareko/registry,
// so tests can build both layers. Tests only; not thread-safe by design.
class TestSystemRegistryRoot {
public:
    explicit TestSystemRegistryRoot(const char* path);
    ~TestSystemRegistryRoot();
    TestSystemRegistryRoot(const TestSystemRegistryRoot&) = delete;
    TestSystemRegistryRoot& operator=(const TestSystemRegistryRoot&) = delete;
};

}  // namespace vareko::platform
