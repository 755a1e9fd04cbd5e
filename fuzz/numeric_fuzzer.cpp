// The numeric test against strtod: whatever it accepts, the C library reads whole as a number.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "lightset/numeric_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (!lightset::IsNumeric(text)) return 0;
  const std::size_t first = text.find_first_not_of(' ');
  const std::size_t last = text.find_last_not_of(' ');
  const std::string number = text.substr(first, last - first + 1);
  if (number.find_first_not_of("0123456789+-.eE") != std::string::npos) std::abort();
  char* end = nullptr;
  std::strtod(number.c_str(), &end);
  if (end != number.c_str() + number.size()) std::abort();
  return 0;
}
