// The system's file calls the core needs: opening a file to read it, and replacing a file's
// contents so that a failure never leaves it half written. Paths of any length work.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "file_name.h"

namespace lightset {

// Why a file was not written: what failed, for a person to read (UTF-8).
struct WriteFailure {
  std::string message;
  bool valueRefused = false;  // a value was refused (file_writer.h); no file was touched
};

// The path as UTF-8 text, as given (not made absolute), for messages.
std::string PathForDisplay(const FileName& path);

// True when something (a file or a folder) exists at path.
bool PathExists(const FileName& path);

// True when path names a folder.
bool IsFolder(const FileName& path);

// Opens path for reading bytes, as std::fopen does. Returns null with errno set on failure.
std::FILE* OpenForReading(const FileName& path);

// Replaces the contents of the file target names with bytes, in one step.
//
// Target is first followed through any symbolic links to the file they finally name; that file
// is replaced and the links stay links. Refused before anything is written: a folder, anything
// else that is not a regular file (a device, a pipe), a file with more than one name (hard
// links, which a replacement would separate), a read-only file, and a file this user may not
// write. Otherwise bytes go to a new temporary file in the same folder ("~lgt<process id>.<2 hex
// digits>.tmp", retried under another name when taken), which is written, checked, flushed to
// disk and only then renamed over the file. The new file keeps the old one's permission bits,
// and its owner and group where the system allows. On Windows the rename is retried for about a
// second while another program holds the file.
//
// Returns nothing on success, otherwise a failure "<target>: <what failed>: <system's reason>". On
// any failure the file is unchanged and the temporary file is gone. A process killed mid-save
// leaves no temporary file on Linux (it has no name until it is complete) or Windows (marked to be
// deleted until the rename), save for the instant between naming and renaming; a temporary file
// whose writer is gone is removed by the next save in its folder.
[[nodiscard]] std::optional<WriteFailure> ReplaceFileContents(const FileName& target,
                                                              std::string_view bytes);

}  // namespace lightset
