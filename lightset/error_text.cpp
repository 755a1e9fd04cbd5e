#include "error_text.h"

#include <system_error>

namespace lightset {

std::string PathForDisplay(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::string ErrnoReason(int error) { return std::generic_category().message(error); }

}  // namespace lightset
