#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "disk_files.h"
#include "error_text.h"
#include "posix_files.h"
#include "save_steps.h"

namespace lightset {

// The lock file, held locked, and where it is, so that it is removed while still held.
struct FileHold::Held {
  Held(Descriptor folder, Descriptor lock, std::string name)
      : folder(std::move(folder)), lock(std::move(lock)), name(std::move(name)) {}
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;
  ~Held() { unlinkat(folder.get(), name.c_str(), 0); }

  Descriptor folder, lock;
  std::string name;
};

namespace {

// "~lgt<FNV-1a of the file's name, 16 hex digits>.hold": short whatever the name's length. Two
// names that share one only wait for each other.
std::string LockName(const std::string& file) {
  std::uint64_t hash = 14695981039346656037u;
  for (const char c : file) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211u;
  constexpr char kHex[] = "0123456789abcdef";
  std::string name = "~lgt";
  for (int shift = 60; shift >= 0; shift -= 4) name += kHex[(hash >> shift) & 15];
  return name + ".hold";
}

bool SameFile(const struct stat& one, const struct stat& other) {
  return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

}  // namespace

std::optional<FileHold> FileHold::Take(const FileName& path, std::string& failure,
                                       std::chrono::milliseconds wait) {
  const auto deadline = std::chrono::steady_clock::now() + wait;
  auto fail = [&](const std::string& what) {
    failure = Failure(path, what);
    return std::nullopt;
  };
  for (;;) {
    auto place = ResolveTarget(path, failure);
    if (!place) return std::nullopt;
    const int folder = place->folder.get();
    struct stat file {};
    if (fstatat(folder, place->name.c_str(), &file, 0) != 0)
      return fail("cannot open: " + ErrnoReason(errno));
    // Write access alone opens the lock: no one who may only read the file can hold it.
    const std::string name = LockName(place->name);
    Descriptor lock(openat(folder, name.c_str(),
                           O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC,
                           0200));
    struct stat locked {
    }, there{};
    if (lock) {
      if (fstat(lock.get(), &locked) != 0 || !S_ISREG(locked.st_mode))
        return fail(std::string("cannot hold it: ") + name + " is " + kNotRegular);
      // Made now or by a killed holder: whoever may write the file may take it.
      if (locked.st_uid == geteuid()) fchmod(lock.get(), 0200 | (file.st_mode & 0022));
      if (flock(lock.get(), LOCK_EX | LOCK_NB) == 0) {
        // A holder removes the lock as it lets go: one taken on a removed file holds nothing.
        if (fstatat(folder, name.c_str(), &there, AT_SYMLINK_NOFOLLOW) == 0 &&
            SameFile(there, locked))
          return FileHold(std::make_unique<Held>(std::move(place->folder), std::move(lock), name));
        continue;
      }
      if (errno != EWOULDBLOCK) return fail("cannot hold it: " + ErrnoReason(errno));
    } else if (errno != EACCES || fstatat(folder, name.c_str(), &there, AT_SYMLINK_NOFOLLOW) != 0) {
      // A lock of another user's that this one may not open is held; any other failure is not.
      return fail("cannot hold it: " + ErrnoReason(errno));
    }
    if (std::chrono::steady_clock::now() >= deadline) return fail(kHeldByAnother);
    Pause();
  }
}

FileHold::FileHold(std::unique_ptr<Held> held) : held_(std::move(held)) {}

FileHold::FileHold(FileHold&& other) noexcept = default;
FileHold& FileHold::operator=(FileHold&& other) noexcept = default;
FileHold::~FileHold() = default;

}  // namespace lightset
