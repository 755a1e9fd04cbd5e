// The system's file calls the core needs: opening a file to read it, and replacing a file's
// contents so that a failure never leaves it half written. Paths of any length work.
#pragma once

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace lightset {

// True when something (a file or a folder) exists at path.
bool PathExists(const std::filesystem::path& path);

// Opens path for reading bytes, as std::fopen does. Returns null with errno set on failure.
std::FILE* OpenForReading(const std::filesystem::path& path);

// Writes bytes to a new temporary file beside target, checks that all were written, flushes
// them to disk, closes the file and renames it over target in one step (retrying briefly on
// Windows while another program holds target). Refuses a target that is read-only or a folder.
// Returns nothing on success, otherwise "<target>: <what failed>: <system's reason>". On any
// failure target is unchanged and the temporary file is removed.
[[nodiscard]] std::optional<std::string> ReplaceFileContents(const std::filesystem::path& target,
                                                             std::string_view bytes);

}  // namespace lightset
