// Where `vareko-display register` finds the device library, on each
// platform: the library's file name, the places it is looked for when no
// path is given, and how a given path is made absolute.
#pragma once

#include <string>

namespace vareko::displayservice {

// libvareko-display.so on Linux, vareko-display.dll on Windows.
extern const char* const kLibraryFileName;

// The absolute path of the library beside this executable, else (Linux) in
// the installed library folder; empty when neither exists.
std::string FindLibraryNearExecutable();

// `path` made absolute (links resolved on Linux); empty when no such file
// exists.
std::string AbsoluteExistingPath(const std::string& path);

}  // namespace vareko::displayservice
