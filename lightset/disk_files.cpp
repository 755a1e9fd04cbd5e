#include "disk_files.h"

#include <algorithm>
#include <charconv>
#include <string>
#include <utility>

#include "error_text.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <random>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#endif

namespace lightset {
namespace {

std::string Failure(const FileName& target, const std::string& what) {
  return PathForDisplay(target) + ": " + what;
}

// "~lgt<process id>.<two hex digits>.tmp": short, so that any name the system allows can be
// saved beside it, and naming its writer, so that a later save can tell when one was abandoned.
// A process writes one at a time, so 256 names are plenty; a taken one is tried again.
constexpr std::string_view kTemporaryPrefix = "~lgt";
constexpr std::string_view kTemporarySuffix = ".tmp";

unsigned long ThisProcess() {
#ifdef _WIN32
  return GetCurrentProcessId();
#else
  return static_cast<unsigned long>(getpid());
#endif
}

// Differs from run to run, so that a process does not try a predecessor's names in its order.
unsigned long long Seed() {
#ifdef _WIN32
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  return static_cast<unsigned long long>(now.QuadPart) ^ (ThisProcess() * 0x9e3779b97f4a7c15ULL);
#else
  return std::random_device{}();
#endif
}

std::string TemporaryName() {
  static unsigned long long state = 0;  // xorshift64: any spread of the 256 names will do
  if (state == 0) state = Seed() | 1;
  state ^= state << 13;
  state ^= state >> 7;
  state ^= state << 17;
  constexpr char kHex[] = "0123456789abcdef";
  std::string name(kTemporaryPrefix);
  name += std::to_string(ThisProcess()) + '.';
  const auto bits = static_cast<unsigned>(state >> 32);
  name += {kHex[(bits >> 4) & 15], kHex[bits & 15]};
  return name += kTemporarySuffix;
}

// The process that made a temporary file of ours, or nothing when name is not one.
std::optional<unsigned long> TemporaryWriter(std::string_view name) {
  if (!name.starts_with(kTemporaryPrefix) || !name.ends_with(kTemporarySuffix)) return {};
  name.remove_prefix(kTemporaryPrefix.size());
  unsigned long process = 0;
  const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), process);
  const std::string_view rest(end, static_cast<std::size_t>(name.data() + name.size() - end));
  if (error != std::errc() || rest.size() != 3 + kTemporarySuffix.size() || rest[0] != '.')
    return {};
  return process;
}

#ifdef _WIN32

std::string Utf8(std::wstring_view text) {
  const int length = static_cast<int>(text.size());
  std::string utf8(
      WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), length, utf8.data(), static_cast<int>(utf8.size()),
                      nullptr, nullptr);
  return utf8;
}

std::string SystemReason(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  if (length == 0) return "error " + std::to_string(error);
  std::wstring reason(text, length);
  LocalFree(text);
  while (!reason.empty() && (iswspace(reason.back()) || reason.back() == L'.')) reason.pop_back();
  return Utf8(reason);
}

// A full path in the \\?\ form, which the system takes as it is, at any length.
std::wstring VerbatimPath(const std::wstring& full) {
  if (full.starts_with(L"\\\\?\\")) return full;
  if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

// Paths past MAX_PATH work only in the \\?\ form, which must be absolute and normalised.
std::wstring SystemPath(const FileName& path) {
  std::wstring full(GetFullPathNameW(path.c_str(), 0, nullptr, nullptr), L'\0');
  const DWORD length =
      GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (length == 0 || length >= full.size()) return path;
  full.resize(length);
  return full.size() < MAX_PATH - 12 ? full : VerbatimPath(full);
}

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (*this) CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }
  HANDLE release() { return std::exchange(handle_, INVALID_HANDLE_VALUE); }

 private:
  HANDLE handle_;
};

// What a save may replace: the file that path, through any links, finally names.
struct SaveTarget {
  std::wstring path;
  std::optional<std::string> refused;
};

SaveTarget ResolveTarget(const FileName& target) {
  const std::wstring path = SystemPath(target);
  const Handle existing(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!existing) return {path, {}};
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(existing.get()) != FILE_TYPE_DISK ||
      !GetFileInformationByHandle(existing.get(), &info))
    return {path, Failure(target, "cannot save: not a regular file")};
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
    return {path, Failure(target, "cannot save: it is a folder")};
  if (info.nNumberOfLinks > 1)
    return {path, Failure(target,
                          "cannot save: the file has other names (hard links), which a "
                          "save would leave holding the old contents")};
  // Windows refuses to rename over a read-only file but Wine does not; refuse it everywhere.
  if (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
    return {path, Failure(target, "cannot save: the file is read-only")};

  DWORD length = GetFinalPathNameByHandleW(existing.get(), nullptr, 0, FILE_NAME_NORMALIZED);
  std::wstring final(length, L'\0');
  length = GetFinalPathNameByHandleW(existing.get(), final.data(), length, FILE_NAME_NORMALIZED);
  if (length == 0 || length >= final.size()) return {path, {}};
  final.resize(length);
  // The same answer a plain write would give; a file merely held by another program is retried
  // at the rename.
  const Handle writable(CreateFileW(final.c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
  if (!writable && GetLastError() == ERROR_ACCESS_DENIED)
    return {final, Failure(target, "cannot save: " + SystemReason(ERROR_ACCESS_DENIED))};
  return {final, {}};
}

std::wstring FolderPath(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

void RemoveAbandonedTemporaries(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  const std::wstring pattern =
      folder + L"\\" + std::wstring(kTemporaryPrefix.begin(), kTemporaryPrefix.end()) + L"*";
  const HANDLE search = FindFirstFileW(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring wide = found.cFileName;
    // Our names are ASCII; narrowing any other character could make a user's name look like one.
    if (std::any_of(wide.begin(), wide.end(), [](wchar_t c) { return c > 127; })) continue;
    const auto writer = TemporaryWriter(std::string(wide.begin(), wide.end()));
    if (!writer || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    if (const HANDLE process =
            OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(*writer))) {
      DWORD code = 0;
      const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
      CloseHandle(process);
      if (running) continue;
    }
    DeleteFileW((folder + L"\\" + wide).c_str());
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

bool MarkForDeletion(HANDLE file, bool deleteOnClose) {
  FILE_DISPOSITION_INFO disposition{deleteOnClose};
  return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition);
}

// Renames the open file over target, a full path, replacing it. The system takes the name as it
// is, so it goes in the \\?\ form.
bool RenameOver(HANDLE file, const std::wstring& fullTarget) {
  const std::wstring target = VerbatimPath(fullTarget);
  std::string buffer(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t), '\0');
  auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  rename->ReplaceIfExists = TRUE;
  rename->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
  target.copy(rename->FileName, target.size());
  return SetFileInformationByHandle(file, FileRenameInfo, rename,
                                    static_cast<DWORD>(buffer.size()));
}

// Creates a file under a free temporary name in folder; on failure returns an invalid handle
// with the system's error code in error.
HANDLE CreateTemporary(const std::wstring& folder, std::wstring& path, DWORD& error) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = TemporaryName();
    path = folder + L"\\" + std::wstring(name.begin(), name.end());
    const HANDLE created = CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_DELETE,
                                       nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    error = GetLastError();
    if (created != INVALID_HANDLE_VALUE || error != ERROR_FILE_EXISTS) return created;
  }
  return INVALID_HANDLE_VALUE;
}

// Another program (a virus scanner, the game) may hold the target for a moment.
bool RenameOverWhenLetGo(HANDLE file, const std::wstring& fullTarget) {
  for (int attempt = 0;; ++attempt) {
    if (RenameOver(file, fullTarget)) return true;
    const DWORD error = GetLastError();
    if ((error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION &&
         error != ERROR_ACCESS_DENIED) ||
        attempt == 20)
      return false;
    Sleep(50);
  }
}

// The temporary file is marked for deletion from its creation until the rename: if the
// process dies at any point in between, the system removes it.
std::optional<std::string> Replace(const FileName& target, std::string_view bytes) {
  const SaveTarget resolved = ResolveTarget(target);
  if (resolved.refused) return resolved.refused;
  const std::wstring folder = FolderPath(resolved.path);
  RemoveAbandonedTemporaries(folder);

  std::wstring temporary;
  DWORD error = 0;
  Handle file(CreateTemporary(folder, temporary, error));
  if (!file)
    return Failure(target, "cannot create a temporary file in its folder: " + SystemReason(error));
  const bool marked = MarkForDeletion(file.get(), true);
  auto abandon = [&](const std::string& what, DWORD reason) {
    if (!MarkForDeletion(file.get(), true)) {
      CloseHandle(file.release());
      DeleteFileW(temporary.c_str());
    }
    return Failure(target, what + ": " + SystemReason(reason));
  };
  DWORD written = 0;
  if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
    return abandon("cannot write", GetLastError());
  if (written != bytes.size()) return abandon("cannot write", ERROR_DISK_FULL);
  if (!FlushFileBuffers(file.get())) return abandon("cannot flush to disk", GetLastError());
  if (marked && !MarkForDeletion(file.get(), false))
    return abandon("cannot keep the new file", GetLastError());
  if (!RenameOverWhenLetGo(file.get(), resolved.path))
    return abandon("cannot replace the file", GetLastError());
  if (!CloseHandle(file.release()))
    return Failure(target, "cannot close: " + SystemReason(GetLastError()));
  return std::nullopt;
}

#else

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The file path finally names once every symbolic link on the way is followed; a link to
// nothing names the file it would point at.
std::optional<std::string> FollowLinks(std::string path, int& error) {
  for (int hop = 0; hop < 40; ++hop) {
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return path;
    std::string link(static_cast<std::size_t>(status.st_size) + 256, '\0');
    const ssize_t length = readlink(path.c_str(), link.data(), link.size());
    if (length < 0 || static_cast<std::size_t>(length) == link.size()) {
      error = length < 0 ? errno : ENAMETOOLONG;
      return {};
    }
    link.resize(static_cast<std::size_t>(length));
    if (!link.starts_with('/')) link.insert(0, FolderOf(path) + '/');
    path = std::move(link);
  }
  error = ELOOP;
  return {};
}

// Refuses what a save must not replace; returns nothing when the target may be replaced.
std::optional<std::string> RefuseTarget(const FileName& target, const std::string& final,
                                        const struct stat& existing) {
  if (S_ISDIR(existing.st_mode)) return Failure(target, "cannot save: it is a folder");
  if (!S_ISREG(existing.st_mode)) return Failure(target, "cannot save: not a regular file");
  if (existing.st_nlink > 1)
    return Failure(target,
                   "cannot save: the file has other names (hard links), which a save "
                   "would leave holding the old contents");
  if ((existing.st_mode & 0222) == 0) return Failure(target, "cannot save: the file is read-only");
  // The same answer a plain write would give: renaming needs only the folder's permission.
  const int probe = open(final.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (probe < 0) return Failure(target, "cannot save: " + ErrnoReason(errno));
  close(probe);
  return std::nullopt;
}

bool WriterIsGone(unsigned long process) {
  return process > 0 && process != ThisProcess() && kill(static_cast<pid_t>(process), 0) != 0 &&
         errno == ESRCH;
}

void RemoveAbandonedTemporaries(const std::string& folder) {
  DIR* const entries = opendir(folder.c_str());
  if (!entries) return;
  while (const dirent* entry = readdir(entries)) {
    const auto writer = TemporaryWriter(entry->d_name);
    if (writer && WriterIsGone(*writer)) unlinkat(dirfd(entries), entry->d_name, 0);
  }
  closedir(entries);
}

// A new file in folder for the text. On Linux it has no name until it is complete, so that
// nothing is left behind if the process dies; elsewhere it is named at once.
struct Temporary {
  int file = -1;
  std::string name;  // empty while the file has none
};

// Runs make on fresh temporary names in folder until one is not taken. Returns 0 and sets
// name, or the errno of the last try.
template <class Make>
int OnAFreeName(const std::string& folder, std::string& name, Make make) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = folder + '/' + TemporaryName();
    if (make(name)) return 0;
    if (errno != EEXIST) return errno;
  }
  return EEXIST;
}

std::optional<Temporary> CreateTemporary(const std::string& folder, int& error) {
#ifdef O_TMPFILE
  if (const int file = open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666); file >= 0)
    return Temporary{file, {}};
  if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
    error = errno;
    return {};
  }
#endif
  Temporary temporary;
  error = OnAFreeName(folder, temporary.name, [&](const std::string& name) {
    temporary.file = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    return temporary.file >= 0;
  });
  if (error) return {};
  return temporary;
}

// Gives an unnamed temporary file a name in folder, so that it can be renamed over the target.
int NameTemporary(Temporary& temporary, const std::string& folder) {
  if (!temporary.name.empty()) return 0;
  const std::string self = "/proc/self/fd/" + std::to_string(temporary.file);
  std::string name;
  const int error = OnAFreeName(folder, name, [&](const std::string& tried) {
    return linkat(AT_FDCWD, self.c_str(), AT_FDCWD, tried.c_str(), AT_SYMLINK_FOLLOW) == 0;
  });
  if (!error) temporary.name = name;
  return error;
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

// A rename is durable only once its folder is flushed; the data already is.
void FlushFolder(const std::string& folder) {
  if (const int directory = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      directory >= 0) {
    fsync(directory);
    close(directory);
  }
}

std::optional<std::string> Replace(const FileName& target, std::string_view bytes) {
  int error = 0;
  const auto final = FollowLinks(target, error);
  if (!final) return Failure(target, "cannot follow the link: " + ErrnoReason(error));
  struct stat existing {};
  const bool exists = stat(final->c_str(), &existing) == 0;
  if (exists) {
    if (auto refused = RefuseTarget(target, *final, existing)) return refused;
  }
  const std::string folder = FolderOf(*final);
  RemoveAbandonedTemporaries(folder);

  auto temporary = CreateTemporary(folder, error);
  if (!temporary)
    return Failure(target, "cannot create a temporary file in its folder: " + ErrnoReason(error));
  auto abandon = [&](const std::string& what, int reason) {
    if (temporary->file >= 0) close(temporary->file);
    if (!temporary->name.empty()) unlink(temporary->name.c_str());
    return Failure(target, what + ": " + ErrnoReason(reason));
  };
  if (exists) {
    // Owner first: changing it may clear the set-id bits that the mode then puts back. Only
    // root may give a file away; anyone else keeps the file as theirs.
    if (fchown(temporary->file, existing.st_uid, existing.st_gid) != 0 && errno != EPERM)
      return abandon("cannot set the owner", errno);
    if (fchmod(temporary->file, existing.st_mode & 07777) != 0)
      return abandon("cannot set permissions", errno);
  }
  if (const int reason = WriteAll(temporary->file, bytes)) return abandon("cannot write", reason);
  if (fsync(temporary->file) != 0) return abandon("cannot flush to disk", errno);
  if (const int reason = NameTemporary(*temporary, folder))
    return abandon("cannot name the new file", reason);
  const int closed = close(temporary->file);
  temporary->file = -1;
  if (closed != 0) return abandon("cannot close", errno);
  if (rename(temporary->name.c_str(), final->c_str()) != 0)
    return abandon("cannot replace the file", errno);
  FlushFolder(folder);
  return std::nullopt;
}

#endif

}  // namespace

std::string PathForDisplay(const FileName& path) {
#ifdef _WIN32
  return Utf8(path);
#else
  return path;
#endif
}

bool PathExists(const FileName& path) {
#ifdef _WIN32
  return GetFileAttributesW(SystemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
#else
  struct stat status {};
  return stat(path.c_str(), &status) == 0;
#endif
}

bool IsFolder(const FileName& path) {
#ifdef _WIN32
  const DWORD attributes = GetFileAttributesW(SystemPath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
#else
  struct stat status {};
  return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
#endif
}

std::FILE* OpenForReading(const FileName& path) {
#ifdef _WIN32
  return _wfopen(SystemPath(path).c_str(), L"rb");
#else
  return std::fopen(path.c_str(), "rb");
#endif
}

std::optional<WriteFailure> ReplaceFileContents(const FileName& target, std::string_view bytes) {
  if (auto failure = Replace(target, bytes)) return WriteFailure{std::move(*failure)};
  return std::nullopt;
}

}  // namespace lightset
