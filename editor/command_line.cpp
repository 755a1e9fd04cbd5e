#include "command_line.h"

#include <windows.h>

#include <shellapi.h>

namespace editor {

std::vector<std::wstring> FilesToOpen(const wchar_t* commandLine) {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(commandLine, &count);
  if (!arguments) return {};
  std::vector<std::wstring> files;
  for (int i = 1; i < count; ++i) {
    std::wstring full(GetFullPathNameW(arguments[i], 0, nullptr, nullptr), L'\0');
    full.resize(
        GetFullPathNameW(arguments[i], static_cast<DWORD>(full.size()), full.data(), nullptr));
    files.push_back(full.empty() ? arguments[i] : full);
  }
  LocalFree(arguments);
  return files;
}

}  // namespace editor
