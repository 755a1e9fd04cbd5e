// The Windows pieces that the save and the hold share. Internal to the core.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <utility>

#include "file_name.h"

namespace lightset {

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

inline constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::string Utf8(std::wstring_view text);

// The path as the system takes it at any length: absolute, and past MAX_PATH in the \\?\ form.
std::wstring SystemPath(const FileName& path);

}  // namespace lightset
