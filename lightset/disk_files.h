// The system's file calls the core needs: opening a file to read it, replacing a file's contents
// so that a failure never leaves it half written, and holding a file while it is read and
// rewritten. Paths of any length work.
#pragma once

#include <cstdint>
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

// Opens the regular file at path for reading bytes. Returns null and sets failure to "cannot
// open: <the system's reason>", "cannot open: it is a folder, not a file" or, for anything else
// that is not a regular file (a device, a pipe, a socket), "cannot open: not a regular file":
// such a file is refused before a byte is read, so that reading cannot wait forever.
std::FILE* OpenForReading(const FileName& path, std::string& failure);

// Replaces the contents of the file target names with bytes, in one step.
//
// Target is followed through any symbolic links, as the system follows them for this user, to the
// file they finally name; that file is replaced and the links stay links. Its folder is then held
// open, and every later step (the checks, the new file, its rename over the old) works in that
// folder, whatever happens to the path meanwhile. Refused before anything is written: a folder,
// anything else that is not a regular file (a device, a pipe), a file with more than one name
// (hard links, which a replacement would separate), a read-only file, and a file this user may
// not write.
//
// The bytes go to a new file in the same folder, which is written, flushed to disk and only then
// renamed over the old one. The new file keeps who the old one belonged to and who may use it: on
// Linux its owner and group, permission bits, access control list and other extended attributes;
// on Windows its access control list, attributes and creation time. A file whose owner or group
// the new one cannot be given (another user's file that this user may write) is refused. On
// Windows the rename is retried for about a second while another program holds the file.
//
// Returns nothing on success, otherwise a failure "<target>: <what failed>: <system's reason>".
// On any failure the file is unchanged and the new one gone. Until it is complete the new file has
// no name (Linux) or is marked to be deleted (Windows), so a process killed mid-save leaves
// nothing, save in the instant between naming it "~lgt<process id>.<2 hex digits>.tmp" and the
// rename (and, where the system cannot name such a file later, as on Linux without /proc, from its
// creation): such a file is left for the user, since nothing proves it was this program's.
[[nodiscard]] std::optional<WriteFailure> ReplaceFileContents(const FileName& target,
                                                              std::string_view bytes);

// Holds the regular file at path against every other FileHold of it until destroyed, so that a
// program that reads a file and writes it back loses no change another such program makes
// meanwhile. Advisory: a lock on the file (flock; on Windows LockFileEx on a byte far past its
// end) that programs taking none are not stopped by. A file replaced while waiting is held anew.
class FileHold {
 public:
  // Waits up to ten seconds for other holders. Returns nothing and sets failure ("cannot open:
  // ...", or "another program is changing it") when the file cannot be held.
  static std::optional<FileHold> Take(const FileName& path, std::string& failure);

  FileHold(FileHold&& other) noexcept;
  FileHold& operator=(FileHold&&) = delete;
  ~FileHold();

 private:
  using Native = std::intptr_t;  // a descriptor, or a HANDLE
  explicit FileHold(Native file) : file_(file) {}
  Native file_;
};

}  // namespace lightset
