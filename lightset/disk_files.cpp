#include "disk_files.h"

#include <string>

#include "error_text.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#endif

namespace lightset {
namespace {

namespace fs = std::filesystem;

std::string Failure(const fs::path& target, const std::string& what) {
  return PathForDisplay(target) + ": " + what;
}

fs::path TemporaryBeside(const fs::path& target, unsigned long process, int attempt) {
  fs::path name = "~";
  name += target.filename();
  name += ".";
  name += std::to_string(process) + '-' + std::to_string(attempt) + ".tmp";
  return target.has_parent_path() ? target.parent_path() / name : name;
}

#ifdef _WIN32

std::string SystemReason(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring reason = length ? std::wstring(text, length) : L"error " + std::to_wstring(error);
  LocalFree(text);
  while (!reason.empty() && (iswspace(reason.back()) || reason.back() == L'.')) reason.pop_back();
  std::string utf8(WideCharToMultiByte(CP_UTF8, 0, reason.data(), static_cast<int>(reason.size()),
                                       nullptr, 0, nullptr, nullptr),
                   '\0');
  WideCharToMultiByte(CP_UTF8, 0, reason.data(), static_cast<int>(reason.size()), utf8.data(),
                      static_cast<int>(utf8.size()), nullptr, nullptr);
  return utf8;
}

// Paths past MAX_PATH work only in the \\?\ form, which must be absolute and normalised.
std::wstring SystemPath(const fs::path& path) {
  std::wstring full(GetFullPathNameW(path.c_str(), 0, nullptr, nullptr), L'\0');
  const DWORD length =
      GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (length == 0 || length >= full.size()) return path.wstring();
  full.resize(length);
  if (full.size() < MAX_PATH - 12 || full.starts_with(L"\\\\?\\")) return full;
  if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

std::optional<std::string> Replace(const fs::path& target, std::string_view bytes) {
  const std::wstring targetPath = SystemPath(target);
  const DWORD attributes = GetFileAttributesW(targetPath.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
      return Failure(target, "cannot save: it is a folder");
    // Windows refuses to rename over a read-only file but Wine does not; refuse it everywhere.
    if (attributes & FILE_ATTRIBUTE_READONLY)
      return Failure(target, "cannot save: the file is read-only");
  }

  std::wstring temporary;
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int attempt = 0; file == INVALID_HANDLE_VALUE; ++attempt) {
    temporary = SystemPath(TemporaryBeside(target, GetCurrentProcessId(), attempt));
    file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    const DWORD error = GetLastError();
    if (file == INVALID_HANDLE_VALUE && (error != ERROR_FILE_EXISTS || attempt == 99))
      return Failure(target,
                     "cannot create a temporary file in its folder: " + SystemReason(error));
  }

  auto abandon = [&](const std::string& what, DWORD error) {
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    DeleteFileW(temporary.c_str());
    return Failure(target, what + ": " + SystemReason(error));
  };
  DWORD written = 0;
  if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
    return abandon("cannot write", GetLastError());
  if (written != bytes.size()) return abandon("cannot write", ERROR_DISK_FULL);
  if (!FlushFileBuffers(file)) return abandon("cannot flush to disk", GetLastError());
  const BOOL closed = CloseHandle(file);
  file = INVALID_HANDLE_VALUE;
  if (!closed) return abandon("cannot close", GetLastError());

  // Another program (a virus scanner, the game) may hold the target for a moment.
  for (int attempt = 0;; ++attempt) {
    if (MoveFileExW(temporary.c_str(), targetPath.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return std::nullopt;
    const DWORD error = GetLastError();
    const bool held = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
                      error == ERROR_ACCESS_DENIED;
    if (!held || attempt == 20) return abandon("cannot replace the file", error);
    Sleep(50);
  }
}

#else

std::optional<std::string> Replace(const fs::path& target, std::string_view bytes) {
  struct stat existing {};
  const bool exists = stat(target.c_str(), &existing) == 0;
  if (exists && S_ISDIR(existing.st_mode)) return Failure(target, "cannot save: it is a folder");
  if (exists && (existing.st_mode & 0222) == 0)
    return Failure(target, "cannot save: the file is read-only");

  fs::path temporary;
  int file = -1;
  for (int attempt = 0; file < 0; ++attempt) {
    temporary = TemporaryBeside(target, static_cast<unsigned long>(getpid()), attempt);
    file = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (file < 0 && (errno != EEXIST || attempt == 99))
      return Failure(target, "cannot create a temporary file in its folder: " + ErrnoReason(errno));
  }

  auto abandon = [&](const std::string& what, int error) {
    if (file >= 0) close(file);
    unlink(temporary.c_str());
    return Failure(target, what + ": " + ErrnoReason(error));
  };
  if (exists && fchmod(file, existing.st_mode & 07777) != 0)
    return abandon("cannot set permissions", errno);
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t count = write(file, bytes.data() + done, bytes.size() - done);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return abandon("cannot write", count < 0 ? errno : ENOSPC);
    done += static_cast<std::size_t>(count);
  }
  if (fsync(file) != 0) return abandon("cannot flush to disk", errno);
  const int closed = close(file);
  file = -1;
  if (closed != 0) return abandon("cannot close", errno);
  if (rename(temporary.c_str(), target.c_str()) != 0)
    return abandon("cannot replace the file", errno);

  // The rename itself is durable only once the folder is flushed; the data already is.
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  if (const int directory = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      directory >= 0) {
    fsync(directory);
    close(directory);
  }
  return std::nullopt;
}

#endif

}  // namespace

bool PathExists(const fs::path& path) {
#ifdef _WIN32
  return GetFileAttributesW(SystemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
#else
  struct stat status {};
  return stat(path.c_str(), &status) == 0;
#endif
}

std::FILE* OpenForReading(const fs::path& path) {
#ifdef _WIN32
  return _wfopen(SystemPath(path).c_str(), L"rb");
#else
  return std::fopen(path.c_str(), "rb");
#endif
}

std::optional<std::string> ReplaceFileContents(const fs::path& target, std::string_view bytes) {
  return Replace(target, bytes);
}

}  // namespace lightset
