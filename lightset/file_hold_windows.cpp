#include <windows.h>

#include <algorithm>

#include "disk_files.h"
#include "error_text.h"
#include "save_steps.h"
#include "windows_files.h"

namespace lightset {

// A file open here could not be renamed over, so what is held is a mutex named after the file's
// identity on its volume, which a replaced file does not keep.
struct FileHold::Held {
  explicit Held(Handle mutex) : mutex(std::move(mutex)) {}
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;
  ~Held() { ReleaseMutex(mutex.get()); }

  Handle mutex;
};

namespace {

// The mutex's name for the file path names now, or nothing with the system's error set.
std::optional<std::wstring> MutexName(const std::wstring& path) {
  const Handle file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!file || !GetFileInformationByHandle(file.get(), &info)) return std::nullopt;
  return L"Local\\KestruneLightSet-" + std::to_wstring(info.dwVolumeSerialNumber) + L"-" +
         std::to_wstring(info.nFileIndexHigh) + L"-" + std::to_wstring(info.nFileIndexLow);
}

}  // namespace

std::optional<FileHold> FileHold::Take(const FileName& path, std::string& failure,
                                       std::chrono::milliseconds wait) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + wait;
  const std::wstring system = SystemPath(path);
  // A file another set is replacing may be missing for an instant (Wine replaces it in two
  // steps): a file not found is looked for again for a second before it counts as missing.
  const auto missingUntil = Clock::now() + std::chrono::seconds(1);
  for (;;) {
    const auto name = MutexName(system);
    if (!name) {
      const DWORD error = GetLastError();
      if (error == ERROR_FILE_NOT_FOUND && Clock::now() < missingUntil) {
        Pause();
        continue;
      }
      failure = Failure(path, "cannot open: " + SystemReason(error));
      return std::nullopt;
    }
    Handle mutex(CreateMutexW(nullptr, FALSE, name->c_str()));
    if (!mutex) {
      failure = Failure(path, "cannot hold it: " + SystemReason(GetLastError()));
      return std::nullopt;
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    const DWORD waited =
        WaitForSingleObject(mutex.get(), static_cast<DWORD>(std::max<long long>(0, left.count())));
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) break;
    // A holder that replaced the file let go of the old one: the file the path names now is held.
    if (MutexName(system) == name) return FileHold(std::make_unique<Held>(std::move(mutex)));
    ReleaseMutex(mutex.get());
  }
  failure = Failure(path, kHeldByAnother);
  return std::nullopt;
}

FileHold::FileHold(std::unique_ptr<Held> held) : held_(std::move(held)) {}

FileHold::FileHold(FileHold&& other) noexcept = default;
FileHold& FileHold::operator=(FileHold&& other) noexcept = default;
FileHold::~FileHold() = default;

}  // namespace lightset
