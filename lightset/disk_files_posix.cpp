// The save and the file calls on Linux and other POSIX systems: every step after the target is
// resolved works in its folder, held open, through the calls relative to a folder (openat and
// its kin).
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <vector>

#include "disk_files.h"
#include "error_text.h"
#include "posix_files.h"
#include "save_steps.h"

namespace lightset {
namespace {

// A path's folder and its last name; a path that ends in a slash names its folder itself.
std::pair<std::string, std::string> Split(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {".", path};
  std::string name = path.substr(slash + 1);
  return {path.substr(0, slash + 1), name.empty() ? "." : name};
}

bool SameFile(const struct stat& one, const struct stat& other) {
  return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

// The place the links' texts lead to from name in the folder at, each hop checked as the system
// checks it; nothing when a link cannot be followed, with errno saying why.
std::optional<Place> FollowLinks(Descriptor at, std::string name) {
  std::string folder;
  // The system follows at most 40 links in a row: one more look finds what the last names.
  for (int hop = 0; hop <= 40; ++hop) {
    struct stat status {};
    if (fstatat(at.get(), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISLNK(status.st_mode))
      return Place{std::move(at), name};
    // The system follows this link for this user, or refuses to (a loop, or a link that the
    // protected_symlinks rule keeps it from); a link to nothing is followed to what it names.
    if (const Descriptor probe(openat(at.get(), name.c_str(), O_PATH | O_CLOEXEC));
        !probe && errno != ENOENT)
      return std::nullopt;
    char link[PATH_MAX];
    const ssize_t length = readlinkat(at.get(), name.c_str(), link, sizeof link);
    if (length < 0) return std::nullopt;
    std::tie(folder, name) = Split(std::string(link, static_cast<std::size_t>(length)));
    at = Descriptor(openat(at.get(), folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!at) return std::nullopt;
  }
  errno = ELOOP;
  return std::nullopt;
}

// Why the file must not be replaced, or nothing.
std::optional<std::string> WhyNotReplaceable(const struct stat& existing) {
  if (S_ISDIR(existing.st_mode)) return "it is a folder";
  if (!S_ISREG(existing.st_mode)) return kNotRegular;
  if (existing.st_nlink > 1) return kHardLinks;
  if ((existing.st_mode & 0222) == 0) return "the file is read-only";
  return std::nullopt;
}

using Attributes = std::vector<std::pair<std::string, std::string> >;

// Reads the extended attributes of a file, an access control list among them, as names and
// values. Returns 0 or the errno. A list or value that changes size between the look at its size
// and the read is read again.
int ReadAttributes(int file, Attributes& attributes) {
  // Reads into text what get gives, sized by its answer to a size of 0.
  auto read = [](std::string& text, auto get) {
    for (;;) {
      const ssize_t size = get(nullptr, 0);
      if (size < 0) return errno;
      text.resize(static_cast<std::size_t>(size));
      const ssize_t got = get(text.data(), text.size());
      if (got >= 0) {
        text.resize(static_cast<std::size_t>(got));
        return 0;
      }
      if (errno != ERANGE) return errno;
    }
  };
  std::string names;
  if (const int error =
          read(names, [file](char* to, std::size_t size) { return flistxattr(file, to, size); }))
    return error == ENOTSUP ? 0 : error;
  for (std::size_t at = 0; at < names.size(); at = names.find('\0', at) + 1) {
    const std::string name = names.c_str() + at;
    std::string value;
    if (const int error = read(value, [&](char* to, std::size_t size) {
          return fgetxattr(file, name.c_str(), to, size);
        }))
      return error;
    attributes.emplace_back(name, std::move(value));
  }
  return 0;
}

// Gives file the extended attributes of old and no others. Returns 0, or the errno and, in
// failed, the attribute.
int CopyAttributes(int old, int file, std::string& failed) {
  Attributes wanted, had;
  if (const int error = ReadAttributes(old, wanted)) return error;
  if (const int error = ReadAttributes(file, had)) return error;
  for (const auto& attribute : had) {
    const std::string& name = attribute.first;
    if (std::find_if(wanted.begin(), wanted.end(),
                     [&](const auto& a) { return a.first == name; }) == wanted.end() &&
        fremovexattr(file, name.c_str()) != 0) {
      failed = name;
      return errno;
    }
  }
  for (const auto& attribute : wanted) {
    if (std::find(had.begin(), had.end(), attribute) != had.end()) continue;
    if (fsetxattr(file, attribute.first.c_str(), attribute.second.data(), attribute.second.size(),
                  0) != 0) {
      failed = attribute.first;
      return errno;
    }
  }
  return 0;
}

// Writes all of bytes; returns 0 or the system's error code.
int WriteAll(int file, std::string_view bytes) {
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t count = write(file, bytes.data() + done, bytes.size() - done);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return count < 0 ? errno : ENOSPC;
    done += static_cast<std::size_t>(count);
  }
  return 0;
}

// The new file: unnamed until it is complete where the system can make such a file and name it
// later, and otherwise under a free temporary name from the start. Made with the access mode
// given, before anything is written to it.
class Temporary {
 public:
  Temporary(int folder, bool unnamed, mode_t mode) : folder_(folder) {
    if (unnamed) {
      file_ = Descriptor(openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
      if (file_) return;  // else not on this file system; a named file fails as this one did
    }
    TakeFreeName([this, mode](const std::string& name) {
      file_ =
          Descriptor(openat(folder_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
      return bool(file_);
    });
  }
  ~Temporary() {
    if (!name_.empty()) unlinkat(folder_, name_.c_str(), 0);
  }
  Temporary(const Temporary&) = delete;
  Temporary& operator=(const Temporary&) = delete;

  int file() const { return file_.get(); }
  bool Named() const { return !name_.empty(); }

  // Gives an unnamed file a name, through the system's two ways of naming one. Returns 0, or the
  // errno of the last try.
  int GiveName() {
    const std::string self = "/proc/self/fd/" + std::to_string(file_.get());
    return TakeFreeName([this, &self](const std::string& name) {
      return linkat(file_.get(), "", folder_, name.c_str(), AT_EMPTY_PATH) == 0 ||
             linkat(AT_FDCWD, self.c_str(), folder_, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
    });
  }

  // Closes the file; returns 0 or the errno.
  int Close() { return close(file_.release()) == 0 ? 0 : errno; }

  // Renames the file over name, after which it is no longer this object's to remove.
  int RenameOver(const std::string& name) {
    if (renameat(folder_, name_.c_str(), folder_, name.c_str()) != 0) return errno;
    name_.clear();
    return 0;
  }

 private:
  // Runs make on the next temporary names until one is free. Returns 0, or the errno.
  template <class Make>
  int TakeFreeName(Make make) {
    for (int attempt = 0; attempt < 256; ++attempt) {
      const std::string name = NextTemporaryName(static_cast<unsigned long>(getpid()));
      if (make(name)) {
        name_ = name;
        return 0;
      }
      if (errno != EEXIST) return errno;
    }
    return EEXIST;
  }

  int folder_;
  Descriptor file_;
  std::string name_;  // empty while the file has none
};

// A rename is durable only once its folder is flushed; the data already is.
void FlushFolder(int folder) {
  if (const Descriptor flushed(openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)); flushed)
    fsync(flushed.get());
}

}  // namespace

std::optional<Place> ResolveTarget(const FileName& target, std::string& failure) {
  // Where the system itself goes, every link counted (in the folders too), for this user.
  struct stat system {};
  const bool found = stat(target.c_str(), &system) == 0;
  if (!found && errno == ELOOP) {
    failure = Failure(target, "cannot follow the link: " + ErrnoReason(ELOOP));
    return std::nullopt;
  }
  // A path whose files are replaced meanwhile may differ for a moment; a link that leads
  // elsewhere differs every time.
  for (int attempt = 0; attempt < 3; ++attempt) {
    const auto [folder, name] = Split(target);
    Descriptor at(open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!at) {
      failure = Failure(target, "cannot open its folder: " + ErrnoReason(errno));
      return std::nullopt;
    }
    errno = 0;
    auto place = FollowLinks(std::move(at), name);
    if (!place) {
      failure = Failure(target, "cannot follow the link: " + ErrnoReason(errno ? errno : ELOOP));
      return std::nullopt;
    }
    struct stat there {};
    if (!found || (fstatat(place->folder.get(), place->name.c_str(), &there, 0) == 0 &&
                   SameFile(there, system)))
      return place;
    if (stat(target.c_str(), &system) != 0) break;
  }
  failure = Failure(target,
                    "cannot follow the link: it does not lead to the file the system opens there "
                    "(a deleted or moved file)");
  return std::nullopt;
}

std::optional<std::string> Replace(const FileName& target, std::string_view bytes) {
  std::string failure;
  const auto place = ResolveTarget(target, failure);
  if (!place) return failure;
  const int folder = place->folder.get();
  struct stat existing {};
  Descriptor old;  // the file replaced, opened to write as a plain write would open it
  if (fstatat(folder, place->name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
    if (auto refused = WhyNotReplaceable(existing))
      return Failure(target, "cannot save: " + *refused);
    old = Descriptor(openat(folder, place->name.c_str(),
                            O_WRONLY | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC));
    if (!old) return Failure(target, "cannot save: " + ErrnoReason(errno));
    // What was looked at is what was opened, or the save stops.
    struct stat opened {};
    if (fstat(old.get(), &opened) != 0 || !SameFile(opened, existing))
      return Failure(target, "cannot save: the file was replaced during the save");
    existing = opened;
  } else if (errno != ENOENT) {
    return Failure(target, "cannot save: " + ErrnoReason(errno));
  }

  // Writes the new file; returns why it could not be, or nothing. The data goes in before the
  // mode and attributes, since writing clears the set-id bits and file capabilities.
  auto write = [&](Temporary& temporary) -> std::optional<std::string> {
    const int file = temporary.file();
    if (file == -1) return "cannot create a temporary file in its folder: " + ErrnoReason(errno);
    // Owner first: giving a file away clears the set-id bits that the mode then puts back.
    if (old && fchown(file, existing.st_uid, existing.st_gid) != 0)
      return std::string("cannot save: ") + kOtherOwner + ": " + ErrnoReason(errno);
    if (const int error = WriteAll(file, bytes)) return "cannot write: " + ErrnoReason(error);
    if (old) {
      std::string attribute;
      if (const int error = CopyAttributes(old.get(), file, attribute))
        return "cannot keep its extended attribute " + attribute + ": " + ErrnoReason(error);
      if (fchmod(file, existing.st_mode & 07777) != 0)
        return "cannot set permissions: " + ErrnoReason(errno);
    }
    if (fsync(file) != 0) return "cannot flush to disk: " + ErrnoReason(errno);
    return std::nullopt;
  };
  // A replacement is readable by its owner alone until it has the old file's mode and access
  // list; a new file is made as any program makes one.
  const mode_t mode = old ? 0600 : 0666;
  // An unnamed file first; naming it needs /proc or a privilege, and where it cannot be named a
  // named one is written instead.
  std::unique_ptr<Temporary> temporary;
  for (const bool unnamed : {true, false}) {
    temporary = std::make_unique<Temporary>(folder, unnamed, mode);
    if (auto failed = write(*temporary)) return Failure(target, *failed);
    if (temporary->Named() || temporary->GiveName() == 0) break;
  }
  if (const int error = temporary->Close())
    return Failure(target, "cannot close: " + ErrnoReason(error));
  if (const int error = temporary->RenameOver(place->name))
    return Failure(target, "cannot replace the file: " + ErrnoReason(error));
  FlushFolder(folder);
  return std::nullopt;
}

std::string PathForDisplay(const FileName& path) { return path; }

bool PathExists(const FileName& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0;
}

std::FILE* OpenForReading(const FileName& path, std::string& failure) {
  Descriptor file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  struct stat status {};
  if (!file || fstat(file.get(), &status) != 0) {
    failure = "cannot open: " + ErrnoReason(errno);
    return nullptr;
  }
  if (!S_ISREG(status.st_mode)) {
    failure = S_ISDIR(status.st_mode) ? "cannot open: it is a folder, not a file"
                                      : "cannot open: not a regular file";
    return nullptr;
  }
  std::FILE* stream = fdopen(file.get(), "rb");
  if (!stream) {
    failure = "cannot open: " + ErrnoReason(errno);
    return nullptr;
  }
  file.release();
  return stream;
}

}  // namespace lightset
