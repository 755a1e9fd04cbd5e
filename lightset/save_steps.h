// What the two platforms' saves and holds share: their messages, the temporary file's name and
// the pause between tries. Internal to the core; disk_files.h is the contract.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "file_name.h"

namespace lightset {

// "<target>: <what>".
std::string Failure(const FileName& target, const std::string& what);

inline constexpr const char* kNotRegular = "not a regular file";
inline constexpr const char* kHardLinks =
    "the file has other names (hard links), which a save would leave holding the old contents";
inline constexpr const char* kOtherOwner =
    "the file belongs to another user or group, which a new file cannot be given";
inline constexpr const char* kHeldByAnother = "the file is held by another process; try again";

// "~lgt<process id>.<two hex digits>.tmp", short, so that any name the system allows can be
// saved beside it. Each call gives the next of the 256 names of this process.
std::string NextTemporaryName(unsigned long process);

// Another program may hold a file for a moment (a virus scanner, the game, another lgt set): a
// save or a hold looks again after each pause.
inline constexpr std::chrono::milliseconds kPause{10};
void Pause();

// The platform's save: ReplaceFileContents (disk_files.h) but for its failure's type.
std::optional<std::string> Replace(const FileName& target, std::string_view bytes);

}  // namespace lightset
