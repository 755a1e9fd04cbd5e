#include "error_text.h"

#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace lightset {

#ifdef _WIN32
std::string Utf8(std::wstring_view text) {
  const int length = static_cast<int>(text.size());
  std::string utf8(
      WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), length, utf8.data(), static_cast<int>(utf8.size()),
                      nullptr, nullptr);
  return utf8;
}

std::string PathForDisplay(const FileName& path) { return Utf8(path); }
#else
std::string PathForDisplay(const FileName& path) { return path; }
#endif

std::string ErrnoReason(int error) { return std::generic_category().message(error); }

}  // namespace lightset
