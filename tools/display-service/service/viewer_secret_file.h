// Reads a file only this user may have written: the kept viewer secret is
// trusted only from a regular file (never a link) that belongs to this user
// and admits nobody else. One source file per platform.
#pragma once

#include <cstddef>
#include <string>

namespace vareko::displayservice {

// At most `maxBytes` of the file at `path` into `text`; false when the file
// is missing, is not such a file, or cannot be read.
bool ReadOwnPrivateFile(const std::string& path, std::size_t maxBytes, std::string& text);

}  // namespace vareko::displayservice
