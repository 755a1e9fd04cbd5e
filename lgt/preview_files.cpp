#include "preview_files.h"

#include <algorithm>
#include <cerrno>

#include "code_page.h"
#include "lightset/error_text.h"

#ifdef _WIN32
#include <windows.h>

#include "wintext/ansi_text.h"
#else
#include <sys/stat.h>
#endif

namespace lgt {

#ifdef _WIN32

std::optional<std::string> MakeFolder(const lightset::FileName& folder) {
  if (CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS)
    return std::nullopt;
  return "cannot make the folder: " + lightset::SystemReason(GetLastError());
}

lightset::FileName FileInFolder(const lightset::FileName& folder, const std::string& name) {
  return folder + L"\\" + wintext::FromUtf8(name);
}

#else

std::optional<std::string> MakeFolder(const lightset::FileName& folder) {
  if (mkdir(folder.c_str(), 0777) == 0 || errno == EEXIST) return std::nullopt;
  return "cannot make the folder: " + lightset::ErrnoReason(errno);
}

lightset::FileName FileInFolder(const lightset::FileName& folder, const std::string& name) {
  return folder + "/" + name;
}

#endif

std::string PictureName(const std::string& file, std::set<std::string>& taken) {
  std::string base = file.substr(file.find_last_of("/\\") + 1);
  if (base.size() > 4 && std::equal(base.end() - 4, base.end(), ".lgt", [](char a, char b) {
        return (a >= 'A' && a <= 'Z' ? a + 32 : a) == b;
      }))
    base.resize(base.size() - 4);
  std::string name;
  for (std::string_view rest = base; !rest.empty();) {
    const std::size_t length = Utf8SequenceLength(rest);
    const char c = rest[0];
    const bool plain =
        length > 1 || (length == 1 && c > ' ' && c < 127 &&
                       std::string_view("\"%#&*/:<>?\\|'").find(c) == std::string_view::npos);
    name += plain ? rest.substr(0, length) : "_";
    rest.remove_prefix(std::max<std::size_t>(length, 1));
  }
  if (name.empty() || name.front() == '.') name.insert(0, "_");
  auto folded = [](std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; });
    return text;
  };
  std::string unique = name;
  for (int number = 2; !taken.insert(folded(unique)).second; ++number)
    unique = name + "-" + std::to_string(number);
  return unique + ".png";
}

}  // namespace lgt
