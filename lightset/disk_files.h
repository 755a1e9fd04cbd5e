// The system's file calls the core needs: opening a file to read it, replacing a file's contents
// so that a failure never leaves it half written, and holding a file while it is read and
// rewritten. Paths of any length work.
#pragma once

#include <chrono>
#include <cstdio>
#include <memory>
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
// meanwhile. Advisory: programs that take no hold are not stopped by one.
//
// What is held is the file that path, through any links, finally names, whatever path names it.
// On Linux the hold is a lock on a file "~lgt<16 hex digits>.hold" made beside it for the time
// of the hold, which only those who may write the file can open, so that a program that may only
// read the file cannot keep its owner from changing it; a hold left by a process that was killed
// is taken over. On Windows it is a mutex named after the file's identity on its volume.
class FileHold {
 public:
  // Waits up to wait for other holders, however often the file is replaced meanwhile. Returns
  // nothing and sets failure ("<path>: cannot open: ...", "<path>: cannot hold it: ...", or,
  // after waiting, "<path>: the file is held by another process; try again") when the file
  // cannot be held.
  static std::optional<FileHold> Take(const FileName& path, std::string& failure,
                                      std::chrono::milliseconds wait = std::chrono::seconds(10));

  FileHold(FileHold&& other) noexcept;
  FileHold& operator=(FileHold&& other) noexcept;
  ~FileHold();

 private:
  struct Held;  // the platform's
  explicit FileHold(std::unique_ptr<Held> held);
  std::unique_ptr<Held> held_;
};

}  // namespace lightset
