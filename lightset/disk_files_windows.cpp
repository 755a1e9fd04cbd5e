// The save and the file calls on Windows: every step after the target is resolved works in its
// folder, held open, through the system's native calls relative to that folder.
#include <windows.h>

#include <aclapi.h>
#include <fcntl.h>
#include <io.h>
#include <winternl.h>

#include <vector>

#include "disk_files.h"
#include "error_text.h"
#include "running_under_wine.h"
#include "save_steps.h"
#include "windows_files.h"

namespace lightset {
namespace {

// A save tries the rename for about a second while another program holds the file.
constexpr int kSaveTries = 100;

// A full path in the \\?\ form, which the system takes as it is, at any length.
std::wstring VerbatimPath(const std::wstring& full) {
  if (full.starts_with(L"\\\\?\\")) return full;
  if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

}  // namespace

std::string Utf8(std::wstring_view text) {
  const int length = static_cast<int>(text.size());
  std::string utf8(
      WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), length, utf8.data(), static_cast<int>(utf8.size()),
                      nullptr, nullptr);
  return utf8;
}

std::string SystemReason(unsigned long error) {
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

// Paths past MAX_PATH work only in the \\?\ form, which must be absolute and normalised.
std::wstring SystemPath(const FileName& path) {
  std::wstring full(GetFullPathNameW(path.c_str(), 0, nullptr, nullptr), L'\0');
  const DWORD length =
      GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (length == 0 || length >= full.size()) return path;
  full.resize(length);
  return full.size() < MAX_PATH - 12 ? full : VerbatimPath(full);
}

namespace {

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
std::optional<std::string> WhyNotReplaceable(HANDLE file) {
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
    if (auto refused = WhyNotReplaceable(place.file.get())) return fail("cannot save: " + *refused);
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

// Returns 0 when the new file has the old one's owner, else the system's error code: a file of
// another owner cannot be given that owner without a privilege (ERROR_INVALID_OWNER).
DWORD CheckSameOwner(HANDLE old, HANDLE file) {
  PSECURITY_DESCRIPTOR security = nullptr, created = nullptr;
  PSID owner = nullptr, newOwner = nullptr;
  DWORD error = GetSecurityInfo(old, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                                nullptr, nullptr, &security);
  if (error == ERROR_SUCCESS)
    error = GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &newOwner, nullptr,
                            nullptr, nullptr, &created);
  if (error == ERROR_SUCCESS && !EqualSid(owner, newOwner)) error = ERROR_INVALID_OWNER;
  LocalFree(security);
  LocalFree(created);
  return error;
}

// Gives the new file the old one's access control list, inherited or protected as it was;
// returns 0 or the system's error code. Wine makes a file's list up from its Linux permission
// bits and turns a list set back into other bits: there the new file keeps Wine's own.
DWORD CopyAccessList(HANDLE old, HANDLE file) {
  if (RunningUnderWine()) return ERROR_SUCCESS;
  PSECURITY_DESCRIPTOR security = nullptr;
  PACL access = nullptr;
  DWORD error = GetSecurityInfo(old, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                &access, nullptr, &security);
  if (error == ERROR_SUCCESS) {
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
  return error;
}

// Gives the new file the old one's attributes and creation time; returns 0 or the error code.
DWORD CopyBasicInformation(HANDLE old, HANDLE file) {
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
  if (!set) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return false;
  }
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
}  // namespace

std::optional<std::string> Replace(const FileName& target, std::string_view bytes) {
  std::string failure;
  auto place = Resolve(target, failure);
  if (!place) return failure;

  std::wstring temporary;
  DWORD error = ERROR_ALREADY_EXISTS;
  Handle file;
  for (int attempt = 0; !file && error == ERROR_ALREADY_EXISTS && attempt < 256; ++attempt) {
    const std::string name = NextTemporaryName(GetCurrentProcessId());
    temporary.assign(name.begin(), name.end());
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
    if (const DWORD reason = CheckSameOwner(place->file.get(), file.get()))
      return abandon(reason == ERROR_INVALID_OWNER ? std::string("cannot save: ") + kOtherOwner
                                                   : "cannot keep its permissions",
                     reason);
    if (const DWORD reason = CopyAccessList(place->file.get(), file.get()))
      return abandon("cannot keep its permissions", reason);
    if (const DWORD reason = CopyBasicInformation(place->file.get(), file.get()))
      return abandon("cannot keep its attributes", reason);
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
  bool renamed = false;
  for (int tried = 1; !(renamed = RenameOver(file.get(), place->folder.get(), place->name)) &&
                      Held(GetLastError()) && tried < kSaveTries;
       ++tried)
    Pause();
  if (!renamed) return abandon("cannot replace the file", GetLastError());
  if (!CloseHandle(file.release()))
    return Failure(target, "cannot close: " + SystemReason(GetLastError()));
  return std::nullopt;
}

std::string PathForDisplay(const FileName& path) { return Utf8(path); }

bool PathExists(const FileName& path) {
  return GetFileAttributesW(SystemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::FILE* OpenForReading(const FileName& path, std::string& failure) {
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
}

}  // namespace lightset
