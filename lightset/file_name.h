// A file's name as the system takes it: UTF-16 on Windows, bytes elsewhere.
#pragma once

#include <string>

namespace lightset {

// A std::filesystem::path converts to it implicitly (its native form), so callers may keep
// paths; the core does not use them itself, so that a program need not carry the library's
// path and locale machinery (most of a small program's size) for a name it only passes on.
#ifdef _WIN32
using FileName = std::wstring;
#else
using FileName = std::string;
#endif

}  // namespace lightset
