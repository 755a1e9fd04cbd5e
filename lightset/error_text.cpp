#include "error_text.h"

#include <system_error>

namespace lightset {

std::string ErrnoReason(int error) { return std::generic_category().message(error); }

std::string Printable(std::string_view bytes) {
  std::string shown;
  shown.reserve(bytes.size());
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 32 && byte < 127) {
      shown += c;
    } else {
      constexpr char kHex[] = "0123456789ABCDEF";
      shown += {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
    }
  }
  return shown;
}

std::string WithThousands(std::size_t number) {
  std::string digits = std::to_string(number);
  for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, 1, ',');
  return digits;
}

std::string Quoted(std::string_view bytes) {
  constexpr std::size_t kShown = 24;
  return '"' + Printable(bytes.substr(0, kShown)) + (bytes.size() > kShown ? "...\"" : "\"");
}

}  // namespace lightset
