#include "wildcards.h"

#ifdef _WIN32
#include <shlwapi.h>
#include <windows.h>

#include <algorithm>

#include "wintext/ansi_text.h"
#endif

namespace lgt {

#ifdef _WIN32

std::vector<Argument> FilesMatching(const Argument& argument) {
  const std::wstring& pattern = argument.path;
  // After the last separator, or a drive's colon ("Z:*.lgt": in the current folder of Z:).
  const std::size_t nameStart = pattern.find_last_of(L"\\/:") + 1;  // 0 when there is none
  const std::wstring_view name = std::wstring_view(pattern).substr(nameStart);
  if (name.find_first_of(L"*?") == std::wstring_view::npos) return {argument};

  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                         FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE) return {};
  do {
    // The system also matches the short 8.3 names ("*.lgt" finds "a.lgtx"); only long ones count.
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
        PathMatchSpecW(found.cFileName, std::wstring(name).c_str()))
      names.emplace_back(found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);

  std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
    const int order = CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                           static_cast<int>(b.size()), TRUE);
    return order == CSTR_EQUAL ? a < b : order == CSTR_LESS_THAN;
  });
  std::vector<Argument> files;
  for (const std::wstring& match : names) {
    const std::wstring path = pattern.substr(0, nameStart) + match;
    files.push_back({path, wintext::ToAnsi(path), wintext::ToUtf8(path)});
  }
  return files;
}

#else

std::vector<Argument> FilesMatching(const Argument& argument) { return {argument}; }

#endif

}  // namespace lgt
