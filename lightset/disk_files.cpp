#include "disk_files.h"

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "error_text.h"

#ifdef _WIN32
#include <windows.h>

#include <aclapi.h>
#include <fcntl.h>
#include <io.h>
#include <winternl.h>
#else
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <cerrno>
#endif

namespace lightset {
namespace {

std::string Failure(const FileName& target, const std::string& what) {
  return PathForDisplay(target) + ": " + what;
}

constexpr const char* kNotRegular = "not a regular file";
constexpr const char* kHardLinks =
    "the file has other names (hard links), which a save would leave holding the old contents";
constexpr const char* kOtherOwner =
    "the file belongs to another user or group, which a new file cannot be given";

// "~lgt<process id>.<two hex digits>.tmp", short, so that any name the system allows can be
// saved beside it. Each call gives the next of the 256 names of this process.
template <class Name>
Name TemporaryName(unsigned long process) {
  static unsigned next = 0;
  constexpr char kHex[] = "0123456789abcdef";
  const std::string digits = std::to_string(process);
  const unsigned number = next++;
  const std::string name =
      "~lgt" + digits + '.' + kHex[(number >> 4) & 15] + kHex[number & 15] + ".tmp";
  return Name(name.begin(), name.end());
}

// Another program may hold a file for a moment (a virus scanner, the game, another lgt set): a
// save or a hold looks again every 10 ms, a save for about a second (on Windows, where a file held
// open cannot be replaced) and a hold for ten.
#ifdef _WIN32
constexpr int kSaveTries = 100;
#endif
constexpr int kHoldTries = 1000;

void Pause() {
#ifdef _WIN32
  Sleep(10);
#else
  usleep(10000);
#endif
}

// Runs attempt until it gives true, or false when busy says that the file is not merely held, at
// most tries times.
template <class Attempt, class Busy>
bool Retried(int tries, Attempt attempt, Busy busy) {
  for (int tried = 1; !attempt(); ++tried) {
    if (!busy() || tried == tries) return false;
    Pause();
  }
  return true;
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
  explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
  ~Handle() {
    if (*this) CloseHandle(handle_);
  }
  Handle(Handle&& other) noexcept : handle_(other.release()) {}
  Handle& operator=(Handle&& other) noexcept {
    Handle gone(std::exchange(handle_, other.release()));
    return *this;
  }
  explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE get() const { return handle_; }
  HANDLE release() { return std::exchange(handle_, INVALID_HANDLE_VALUE); }

 private:
  HANDLE handle_;
};

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Opens name in the folder held open, as CreateFileW would open a path; on failure returns an
// invalid handle and sets the system's error code.
Handle OpenIn(HANDLE folder, const std::wstring& name, ACCESS_MASK access, ULONG share,
              ULONG disposition, DWORD& error) {
  UNICODE_STRING text{static_cast<USHORT>(name.size() * sizeof(wchar_t)),
                      static_cast<USHORT>(name.size() * sizeof(wchar_t)),
                      const_cast<wchar_t*>(name.c_str())};
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, folder, nullptr);
  IO_STATUS_BLOCK status{};
  HANDLE opened = INVALID_HANDLE_VALUE;
  const NTSTATUS result = NtCreateFile(
      &opened, access | SYNCHRONIZE, &attributes, &status, nullptr, FILE_ATTRIBUTE_NORMAL, share,
      disposition, FILE_NON_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
  error = RtlNtStatusToDosError(result);
  return Handle(result >= 0 ? opened : INVALID_HANDLE_VALUE);
}

bool SameFile(HANDLE one, HANDLE other) {
  BY_HANDLE_FILE_INFORMATION a{}, b{};
  return GetFileInformationByHandle(one, &a) && GetFileInformationByHandle(other, &b) &&
         a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
}

// Where a save writes: the folder of the file that the target, through any links, finally names,
// held open; that file's name there; and the file, held open, when there is one.
struct Place {
  Handle folder, file;
  std::wstring name;
};

// Why the file must not be replaced, or nothing.
std::optional<std::string> Refusal(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &info))
    return kNotRegular;
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return "it is a folder";
  if (info.nNumberOfLinks > 1) return kHardLinks;
  // Windows refuses to rename over a read-only file but Wine does not; refuse it everywhere.
  if (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) return "the file is read-only";
  return std::nullopt;
}

std::optional<Place> Resolve(const FileName& target, std::string& failure) {
  auto fail = [&](const std::string& what) {
    failure = Failure(target, what);
    return std::nullopt;
  };
  Place place;
  std::wstring path = SystemPath(target);
  place.file = Handle(CreateFileW(path.c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES, kShareAll,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (place.file) {
    if (auto refused = Refusal(place.file.get())) return fail("cannot save: " + *refused);
    std::wstring final(32768, L'\0');
    const DWORD length = GetFinalPathNameByHandleW(place.file.get(), final.data(),
                                                   static_cast<DWORD>(final.size()), 0);
    if (length != 0 && length < final.size()) path = final.substr(0, length);
  }
  const std::size_t slash = path.find_last_of(L"\\/");
  place.name = path.substr(slash + 1);
  place.folder = Handle(CreateFileW(path.substr(0, slash + 1).c_str(),
                                    FILE_LIST_DIRECTORY | FILE_ADD_FILE | FILE_TRAVERSE, kShareAll,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!place.folder) return fail("cannot open its folder: " + SystemReason(GetLastError()));
  if (!place.file) return place;
  DWORD error = 0;
  // The file in the folder held is the one the path named a moment ago, unless a folder on the
  // way was swapped meanwhile.
  const Handle there =
      OpenIn(place.folder.get(), place.name, FILE_READ_ATTRIBUTES, kShareAll, FILE_OPEN, error);
  if (!there || !SameFile(there.get(), place.file.get()))
    return fail("cannot save: a folder on its path changed during the save");
  // The same answer a plain write would give; a file merely held by another program is retried
  // at the rename.
  const Handle writable =
      OpenIn(place.folder.get(), place.name, GENERIC_WRITE, kShareAll, FILE_OPEN, error);
  if (!writable && error == ERROR_ACCESS_DENIED) return fail("cannot save: " + SystemReason(error));
  return place;
}

bool MarkForDeletion(HANDLE file, bool deleteOnClose) {
  FILE_DISPOSITION_INFO disposition{deleteOnClose};
  return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition);
}

// Gives the new file the old one's access control list, attributes and creation time; returns 0
// or the system's error code. A file of another owner is not given that owner, which takes a
// privilege: ERROR_INVALID_OWNER.
DWORD KeepIdentity(HANDLE old, HANDLE file) {
  PSECURITY_DESCRIPTOR security = nullptr, created = nullptr;
  PSID owner = nullptr, newOwner = nullptr;
  PACL access = nullptr;
  DWORD error =
      GetSecurityInfo(old, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                      &owner, nullptr, &access, nullptr, &security);
  if (error == ERROR_SUCCESS)
    error = GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &newOwner, nullptr,
                            nullptr, nullptr, &created);
  if (error == ERROR_SUCCESS && !EqualSid(owner, newOwner)) error = ERROR_INVALID_OWNER;
  // Wine makes a file's access list up from its Linux permission bits and turns a list set back
  // into other bits (the group's from the system's entry): there the new file keeps Wine's own.
  const bool underWine =
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
  if (error == ERROR_SUCCESS && !underWine) {
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    GetSecurityDescriptorControl(security, &control, &revision);
    const SECURITY_INFORMATION inheritance = (control & SE_DACL_PROTECTED)
                                                 ? PROTECTED_DACL_SECURITY_INFORMATION
                                                 : UNPROTECTED_DACL_SECURITY_INFORMATION;
    error = SetSecurityInfo(file, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION | inheritance, nullptr,
                            nullptr, access, nullptr);
  }
  LocalFree(security);
  LocalFree(created);
  if (error != ERROR_SUCCESS) return error;
  FILE_BASIC_INFO basic{};
  if (!GetFileInformationByHandleEx(old, FileBasicInfo, &basic, sizeof basic))
    return GetLastError();
  FILE_BASIC_INFO kept{};
  kept.CreationTime = basic.CreationTime;
  kept.FileAttributes = basic.FileAttributes;
  return SetFileInformationByHandle(file, FileBasicInfo, &kept, sizeof kept) ? ERROR_SUCCESS
                                                                             : GetLastError();
}

// Gives the new file the old one's named streams (a downloaded file's zone mark, for one); returns
// 0 or the system's error code. A file system that keeps no streams has none to give. Windows'
// headers declare neither the stream list's record nor its number, so both are spelled out here.
DWORD KeepStreams(HANDLE old, HANDLE file) {
  struct StreamInformation {
    ULONG NextEntryOffset;
    ULONG StreamNameLength;
    LARGE_INTEGER StreamSize, StreamAllocationSize;
    WCHAR StreamName[1];
  };
  constexpr int kFileStreamInformation = 22;
  std::vector<LONGLONG> list(8192);  // 64 KiB, aligned for the records
  IO_STATUS_BLOCK status{};
  if (NtQueryInformationFile(old, &status, list.data(),
                             static_cast<ULONG>(list.size() * sizeof(LONGLONG)),
                             static_cast<FILE_INFORMATION_CLASS>(kFileStreamInformation)) < 0 ||
      status.Information == 0)
    return ERROR_SUCCESS;
  const auto* entry = reinterpret_cast<const char*>(list.data());
  for (;;) {
    const auto& stream = *reinterpret_cast<const StreamInformation*>(entry);
    const std::wstring name(stream.StreamName, stream.StreamNameLength / sizeof(wchar_t));
    if (name != L"::$DATA") {  // the file's own data, which is written anew
      DWORD error = 0;
      const Handle from = OpenIn(old, name, GENERIC_READ, kShareAll, FILE_OPEN, error);
      const Handle to = from ? OpenIn(file, name, GENERIC_WRITE, 0, FILE_CREATE, error) : Handle();
      if (!to) return error;
      char buffer[4096];
      DWORD got = 0, written = 0;
      do {
        if (!ReadFile(from.get(), buffer, sizeof buffer, &got, nullptr) ||
            !WriteFile(to.get(), buffer, got, &written, nullptr))
          return GetLastError();
      } while (got > 0);
    }
    if (stream.NextEntryOffset == 0) return ERROR_SUCCESS;
    entry += stream.NextEntryOffset;
  }
}

// Renames the open file over name in folder, replacing what is there. The system's rename by a
// name relative to a folder held open is the native one; Windows' headers declare neither it nor
// its record, so both are spelled out here.
bool RenameOver(HANDLE file, HANDLE folder, const std::wstring& name) {
  struct RenameInformation {
    BOOLEAN ReplaceIfExists;
    HANDLE RootDirectory;
    ULONG FileNameLength;
    WCHAR FileName[1];
  };
  constexpr int kFileRenameInformation = 10;
  using SetInformation = NTSTATUS(NTAPI*)(HANDLE, IO_STATUS_BLOCK*, void*, ULONG, int);
  const auto set = reinterpret_cast<SetInformation>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtSetInformationFile")));
  std::string buffer(sizeof(RenameInformation) + name.size() * sizeof(wchar_t), '\0');
  auto* rename = reinterpret_cast<RenameInformation*>(buffer.data());
  rename->ReplaceIfExists = TRUE;
  rename->RootDirectory = folder;
  rename->FileNameLength = static_cast<ULONG>(name.size() * sizeof(wchar_t));
  name.copy(rename->FileName, name.size());
  IO_STATUS_BLOCK status{};
  const NTSTATUS result =
      set(file, &status, rename, static_cast<ULONG>(buffer.size()), kFileRenameInformation);
  SetLastError(RtlNtStatusToDosError(result));
  return result >= 0;
}

bool Held(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
         error == ERROR_ACCESS_DENIED;
}

// The new file is marked for deletion from its creation until the rename: if the process dies at
// any point in between, the system removes it.
std::optional<std::string> Replace(const FileName& target, std::string_view bytes) {
  std::string failure;
  auto place = Resolve(target, failure);
  if (!place) return failure;

  std::wstring temporary;
  DWORD error = ERROR_ALREADY_EXISTS;
  Handle file;
  for (int attempt = 0; !file && error == ERROR_ALREADY_EXISTS && attempt < 256; ++attempt) {
    temporary = TemporaryName<std::wstring>(GetCurrentProcessId());
    file = OpenIn(place->folder.get(), temporary, GENERIC_WRITE | DELETE | READ_CONTROL | WRITE_DAC,
                  FILE_SHARE_DELETE, FILE_CREATE, error);
  }
  if (!file)
    return Failure(target, "cannot create a temporary file in its folder: " + SystemReason(error));
  const bool marked = MarkForDeletion(file.get(), true);
  auto abandon = [&](const std::string& what, DWORD reason) {
    if (!MarkForDeletion(file.get(), true)) {
      file = Handle();
      DWORD ignored = 0;
      const Handle again =
          OpenIn(place->folder.get(), temporary, DELETE, kShareAll, FILE_OPEN, ignored);
      if (again) MarkForDeletion(again.get(), true);
    }
    return Failure(target, what + ": " + SystemReason(reason));
  };
  if (place->file) {
    if (const DWORD reason = KeepIdentity(place->file.get(), file.get()))
      return abandon(reason == ERROR_INVALID_OWNER ? std::string("cannot save: ") + kOtherOwner
                                                   : "cannot keep its permissions",
                     reason);
    if (const DWORD reason = KeepStreams(place->file.get(), file.get()))
      return abandon("cannot keep its named streams", reason);
    place->file = Handle();  // a file still open cannot be renamed over
  }
  DWORD written = 0;
  if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
    return abandon("cannot write", GetLastError());
  if (written != bytes.size()) return abandon("cannot write", ERROR_DISK_FULL);
  if (!FlushFileBuffers(file.get())) return abandon("cannot flush to disk", GetLastError());
  if (marked && !MarkForDeletion(file.get(), false))
    return abandon("cannot keep the new file", GetLastError());
  // Another program (a virus scanner, the game) may hold the file for a moment.
  const bool renamed = Retried(
      kSaveTries, [&] { return RenameOver(file.get(), place->folder.get(), place->name); },
      [] { return Held(GetLastError()); });
  if (!renamed) return abandon("cannot replace the file", GetLastError());
  if (!CloseHandle(file.release()))
    return Failure(target, "cannot close: " + SystemReason(GetLastError()));
  return std::nullopt;
}

#else

class Descriptor {
 public:
  explicit Descriptor(int descriptor = -1) : descriptor_(descriptor) {}
  ~Descriptor() {
    if (*this) close(descriptor_);
  }
  Descriptor(Descriptor&& other) noexcept : descriptor_(other.release()) {}
  Descriptor& operator=(Descriptor&& other) noexcept {
    Descriptor gone(std::exchange(descriptor_, other.release()));
    return *this;
  }
  explicit operator bool() const { return descriptor_ != -1; }
  int get() const { return descriptor_; }
  int release() { return std::exchange(descriptor_, -1); }

 private:
  int descriptor_;
};

// A path's folder and its last name; a path that ends in a slash names its folder itself.
std::pair<std::string, std::string> Split(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {".", path};
  std::string name = path.substr(slash + 1);
  return {path.substr(0, slash + 1), name.empty() ? "." : name};
}

// Where a save writes: the folder of the file that the target, through any links, finally names,
// held open, and that file's name there.
struct Place {
  Descriptor folder;
  std::string name;
};

std::optional<Place> Resolve(const FileName& target, std::string& failure) {
  auto [folder, name] = Split(target);
  Descriptor at(open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (!at) {
    failure = Failure(target, "cannot open its folder: " + ErrnoReason(errno));
    return {};
  }
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
      break;
    char link[PATH_MAX];
    const ssize_t length = readlinkat(at.get(), name.c_str(), link, sizeof link);
    if (length < 0) break;
    std::tie(folder, name) = Split(std::string(link, static_cast<std::size_t>(length)));
    at = Descriptor(openat(at.get(), folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!at) break;
  }
  failure = Failure(target, "cannot follow the link: " + ErrnoReason(errno ? errno : ELOOP));
  return {};
}

// Why the file must not be replaced, or nothing.
std::optional<std::string> Refusal(const struct stat& existing) {
  if (S_ISDIR(existing.st_mode)) return "it is a folder";
  if (!S_ISREG(existing.st_mode)) return kNotRegular;
  if (existing.st_nlink > 1) return kHardLinks;
  if ((existing.st_mode & 0222) == 0) return "the file is read-only";
  return std::nullopt;
}

// The extended attributes of a file, an access control list among them, as names and values.
std::optional<std::vector<std::pair<std::string, std::string> > > Attributes(int file) {
  std::vector<std::pair<std::string, std::string> > attributes;
  const ssize_t size = flistxattr(file, nullptr, 0);
  if (size < 0) {
    if (errno == ENOTSUP) return attributes;
    return {};
  }
  std::string names(static_cast<std::size_t>(size), '\0');
  if (flistxattr(file, names.data(), names.size()) != size) return {};
  for (std::size_t at = 0; at < names.size(); at = names.find('\0', at) + 1) {
    const std::string name = names.c_str() + at;
    std::string value(
        static_cast<std::size_t>(std::max<ssize_t>(0, fgetxattr(file, name.c_str(), nullptr, 0))),
        '\0');
    if (fgetxattr(file, name.c_str(), value.data(), value.size()) !=
        static_cast<ssize_t>(value.size()))
      return {};
    attributes.emplace_back(name, std::move(value));
  }
  return attributes;
}

// Gives file the extended attributes of old and no others. Returns 0, or the errno and, in
// failed, the attribute.
int CopyAttributes(int old, int file, std::string& failed) {
  const auto wanted = Attributes(old), had = Attributes(file);
  if (!wanted || !had) return errno;
  for (const auto& attribute : *had) {
    const std::string& name = attribute.first;
    if (std::find_if(wanted->begin(), wanted->end(),
                     [&](const auto& a) { return a.first == name; }) == wanted->end() &&
        fremovexattr(file, name.c_str()) != 0) {
      failed = name;
      return errno;
    }
  }
  for (const auto& attribute : *wanted) {
    if (std::find(had->begin(), had->end(), attribute) != had->end()) continue;
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
// later, and otherwise under a free temporary name from the start.
class Temporary {
 public:
  Temporary(int folder, bool unnamed) : folder_(folder) {
    if (unnamed) {
      file_ = Descriptor(openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
      if (file_) return;  // else not on this file system; a named file fails as this one did
    }
    Name([this](const std::string& name) {
      file_ =
          Descriptor(openat(folder_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
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
  int Name() {
    const std::string self = "/proc/self/fd/" + std::to_string(file_.get());
    return Name([this, &self](const std::string& name) {
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
  int Name(Make make) {
    for (int attempt = 0; attempt < 256; ++attempt) {
      const std::string name = TemporaryName<std::string>(static_cast<unsigned long>(getpid()));
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

std::optional<std::string> Replace(const FileName& target, std::string_view bytes) {
  std::string failure;
  const auto place = Resolve(target, failure);
  if (!place) return failure;
  const int folder = place->folder.get();
  struct stat existing {};
  Descriptor old;  // the file replaced, opened to write as a plain write would open it
  if (fstatat(folder, place->name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
    if (auto refused = Refusal(existing)) return Failure(target, "cannot save: " + *refused);
    old = Descriptor(openat(folder, place->name.c_str(),
                            O_WRONLY | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC));
    if (!old) return Failure(target, "cannot save: " + ErrnoReason(errno));
  } else if (errno != ENOENT) {
    return Failure(target, "cannot save: " + ErrnoReason(errno));
  }

  // Writes the new file; returns why it could not be, or nothing.
  auto write = [&](Temporary& temporary) -> std::optional<std::string> {
    const int file = temporary.file();
    if (file == -1) return "cannot create a temporary file in its folder: " + ErrnoReason(errno);
    if (old) {
      // Owner first: giving a file away clears the set-id bits that the mode then puts back.
      if (fchown(file, existing.st_uid, existing.st_gid) != 0)
        return std::string("cannot save: ") + kOtherOwner + ": " + ErrnoReason(errno);
      std::string attribute;
      if (const int error = CopyAttributes(old.get(), file, attribute))
        return "cannot keep its extended attribute " + attribute + ": " + ErrnoReason(error);
      if (fchmod(file, existing.st_mode & 07777) != 0)
        return "cannot set permissions: " + ErrnoReason(errno);
    }
    if (const int error = WriteAll(file, bytes)) return "cannot write: " + ErrnoReason(error);
    if (fsync(file) != 0) return "cannot flush to disk: " + ErrnoReason(errno);
    return std::nullopt;
  };
  // An unnamed file first; naming it needs /proc or a privilege, and where it cannot be named a
  // named one is written instead.
  std::unique_ptr<Temporary> temporary;
  for (const bool unnamed : {true, false}) {
    temporary = std::make_unique<Temporary>(folder, unnamed);
    if (auto failed = write(*temporary)) return Failure(target, *failed);
    if (temporary->Named() || temporary->Name() == 0) break;
  }
  if (const int error = temporary->Close())
    return Failure(target, "cannot close: " + ErrnoReason(error));
  if (const int error = temporary->RenameOver(place->name))
    return Failure(target, "cannot replace the file: " + ErrnoReason(error));
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

std::FILE* OpenForReading(const FileName& path, std::string& failure) {
#ifdef _WIN32
  Handle file(CreateFileW(SystemPath(path).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                          FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file) {
    failure = "cannot open: " + SystemReason(GetLastError());
    return nullptr;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  const bool regular =
      GetFileType(file.get()) == FILE_TYPE_DISK && GetFileInformationByHandle(file.get(), &info);
  if (!regular || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    failure =
        regular ? "cannot open: it is a folder, not a file" : "cannot open: not a regular file";
    return nullptr;
  }
  const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(file.get()), _O_RDONLY);
  if (descriptor < 0) {
    failure = "cannot open: " + ErrnoReason(errno);
    return nullptr;
  }
  file.release();
  std::FILE* stream = _fdopen(descriptor, "rb");
  if (!stream) {
    failure = "cannot open: " + ErrnoReason(errno);
    _close(descriptor);
  }
  return stream;
#else
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
#endif
}

std::optional<WriteFailure> ReplaceFileContents(const FileName& target, std::string_view bytes) {
  if (auto failure = Replace(target, bytes)) return WriteFailure{std::move(*failure)};
  return std::nullopt;
}

std::optional<FileHold> FileHold::Take(const FileName& path, std::string& failure) {
  // A file replaced while waiting is held anew, a few times at most.
  for (int attempt = 0; attempt < 10; ++attempt) {
#ifdef _WIN32
    // A file open here could not be renamed over, so what is held is a mutex named after the
    // file's identity on its volume, which a replaced file does not keep.
    const std::wstring system = SystemPath(path);
    auto identity = [&system](std::wstring& name) {
      const Handle file(CreateFileW(system.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
      BY_HANDLE_FILE_INFORMATION info{};
      if (!file || !GetFileInformationByHandle(file.get(), &info)) return false;
      name = L"Local\\KestruneLightSet-" + std::to_wstring(info.dwVolumeSerialNumber) + L"-" +
             std::to_wstring(info.nFileIndexHigh) + L"-" + std::to_wstring(info.nFileIndexLow);
      return true;
    };
    std::wstring name, now;
    if (!identity(name)) {
      failure = "cannot open: " + SystemReason(GetLastError());
      return std::nullopt;
    }
    Handle file(CreateMutexW(nullptr, FALSE, name.c_str()));
    const DWORD waited = file ? WaitForSingleObject(file.get(), kHoldTries * 10) : WAIT_FAILED;
    const bool held = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    const bool same = held && identity(now) && now == name;
    if (held && !same) ReleaseMutex(file.get());
#else
    Descriptor file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!file) {
      failure = "cannot open: " + ErrnoReason(errno);
      return std::nullopt;
    }
    const bool held = Retried(
        kHoldTries, [&] { return flock(file.get(), LOCK_EX | LOCK_NB) == 0; },
        [] { return errno == EWOULDBLOCK; });
    struct stat holding {
    }, now{};
    const bool same = fstat(file.get(), &holding) == 0 && stat(path.c_str(), &now) == 0 &&
                      holding.st_dev == now.st_dev && holding.st_ino == now.st_ino;
#endif
      // A holder that replaced the file let go of the old one: the file the path names now is held.
#ifdef _WIN32
    if (held && same) return FileHold(reinterpret_cast<Native>(file.release()));
#else
    if (held && same) return FileHold(file.release());
#endif
    if (!held) break;
  }
  failure = "another lgt set is changing it; try again";
  return std::nullopt;
}

FileHold::FileHold(FileHold&& other) noexcept : file_(std::exchange(other.file_, -1)) {}

FileHold::~FileHold() {
  if (file_ == -1) return;
#ifdef _WIN32
  ReleaseMutex(reinterpret_cast<HANDLE>(file_));
  CloseHandle(reinterpret_cast<HANDLE>(file_));
#else
  close(static_cast<int>(file_));
#endif
}

}  // namespace lightset
