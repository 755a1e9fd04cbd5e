// Pieces of the messages the core returns: a path and a system error, for a person to read.
#pragma once

#include <filesystem>
#include <string>

namespace lightset {

// The path as UTF-8 text, as given (not made absolute).
std::string PathForDisplay(const std::filesystem::path& path);

// The C library's description of an errno value ("No such file or directory").
std::string ErrnoReason(int error);

}  // namespace lightset
