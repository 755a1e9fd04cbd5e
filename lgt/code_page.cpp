#include "code_page.h"

#include <algorithm>
#include <iterator>

#ifdef _WIN32
#include "wintext/ansi_text.h"
#endif

namespace lgt {

std::size_t Utf8SequenceLength(std::string_view text) {
  const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  const std::size_t length = lead < 0x80   ? 1
                             : lead < 0xC2 ? 0
                             : lead < 0xE0 ? 2
                             : lead < 0xF0 ? 3
                             : lead < 0xF5 ? 4
                                           : 0;
  if (length == 0 || text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
  }
  if ((lead == 0xE0 && byte(1) < 0xA0) || (lead == 0xED && byte(1) >= 0xA0) ||
      (lead == 0xF0 && byte(1) < 0x90) || (lead == 0xF4 && byte(1) >= 0x90))
    return 0;
  return length;
}

#ifdef _WIN32

const char* const kCodePageName = "the system's ANSI code page";

std::string FromCodePage(std::string_view bytes) {
  return wintext::ToUtf8(wintext::FromAnsi(bytes));
}

std::optional<std::string> ToCodePage(std::string_view text) {
  const std::wstring wide = wintext::FromUtf8(text);
  if (wintext::ToUtf8(wide) != text) return std::nullopt;  // not UTF-8
  return wintext::ToAnsi(wide);
}

#else

const char* const kCodePageName = "Windows-1252";

namespace {

// Windows-1252's characters for 0x80 to 0x9F; the rest are Latin-1's, the byte's own value.
constexpr char16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

std::string FromCodePage(std::string_view bytes) {
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

std::optional<std::string> ToCodePage(std::string_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  while (!text.empty()) {
    const std::size_t length = Utf8SequenceLength(text);
    if (length == 0 || length == 4) return std::nullopt;  // past U+FFFF: no code page holds it
    const auto lead = static_cast<unsigned char>(text[0]);
    char32_t point = length == 1 ? lead : lead & (length == 2 ? 0x1F : 0x0F);
    for (std::size_t i = 1; i < length; ++i) point = (point << 6) | (text[i] & 0x3F);
    text.remove_prefix(length);
    if (point < 0x80 || (point >= 0xA0 && point < 0x100)) {
      bytes += static_cast<char>(point);
      continue;
    }
    const auto high = std::find(std::begin(kHigh), std::end(kHigh), point);
    if (high == std::end(kHigh)) return std::nullopt;
    bytes += static_cast<char>(0x80 + (high - std::begin(kHigh)));
  }
  return bytes;
}

#endif

}  // namespace lgt
