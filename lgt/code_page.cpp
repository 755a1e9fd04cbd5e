#include "code_page.h"

#ifdef _WIN32
#include "wintext/ansi_text.h"
#endif

namespace lgt {

#ifdef _WIN32

std::string FromCodePage(std::string_view bytes) {
  return wintext::ToUtf8(wintext::FromAnsi(bytes));
}

#else

std::string FromCodePage(std::string_view bytes) {
  // Windows-1252's characters for 0x80 to 0x9F; the rest are Latin-1's, the byte's own value.
  static constexpr char16_t kHigh[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  std::string text;
  text.reserve(bytes.size());
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    const char32_t point = byte >= 0x80 && byte < 0xA0 ? kHigh[byte - 0x80] : byte;
    if (point < 0x80) {
      text += static_cast<char>(point);
    } else if (point < 0x800) {
      text += static_cast<char>(0xC0 | (point >> 6));
      text += static_cast<char>(0x80 | (point & 0x3F));
    } else {
      text += static_cast<char>(0xE0 | (point >> 12));
      text += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
      text += static_cast<char>(0x80 | (point & 0x3F));
    }
  }
  return text;
}

#endif

}  // namespace lgt
