// Pieces of the messages the core returns: a path and a system error, for a person to read.
#pragma once

#include <string>
#include <string_view>

#include "file_name.h"

namespace lightset {

// The path as UTF-8 text, as given (not made absolute).
std::string PathForDisplay(const FileName& path);

// The C library's description of an errno value ("No such file or directory").
std::string ErrnoReason(int error);

#ifdef _WIN32
// UTF-16 text (a path, a system message) as UTF-8.
std::string Utf8(std::wstring_view text);
#endif

}  // namespace lightset
