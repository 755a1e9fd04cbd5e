#include "output.h"

#include <algorithm>

#include "code_page.h"

namespace lgt {
namespace {

void AppendEscaped(std::string& shown, unsigned char code) {
  constexpr char kHex[] = "0123456789ABCDEF";
  shown += {'\\', 'x', kHex[code >> 4], kHex[code & 15]};
}

std::string ShownOnTerminal(std::string_view text, bool utf8) {
  std::string shown;
  shown.reserve(text.size());
  while (!text.empty()) {
    const auto lead = static_cast<unsigned char>(text[0]);
    const std::size_t length = Utf8SequenceLength(text);
    if (lead == '\\') {
      shown += "\\\\";
    } else if (lead == '\n' || (lead >= 0x20 && lead < 0x7F)) {
      shown += text[0];
    } else if (length == 2 && lead == 0xC2 && static_cast<unsigned char>(text[1]) < 0xA0) {
      AppendEscaped(shown, static_cast<unsigned char>(text[1]));  // U+0080 to U+009F: controls
    } else if (length > 1 && utf8) {
      shown += text.substr(0, length);
    } else {
      for (std::size_t i = 0; i < std::max<std::size_t>(length, 1); ++i)
        AppendEscaped(shown, static_cast<unsigned char>(text[i]));
    }
    text.remove_prefix(std::max<std::size_t>(length, 1));
  }
  return shown;
}

}  // namespace

Output& Output::operator<<(std::string_view text) {
  if (terminal_)
    held_ += ShownOnTerminal(text, utf8_);
  else
    held_ += text;
  if (stream_ && held_.size() >= (std::size_t{1} << 16)) Flush();
  return *this;
}

bool Output::Flush() {
  if (!stream_) return true;
  if (!held_.empty() && std::fwrite(held_.data(), 1, held_.size(), stream_) != held_.size())
    failed_ = true;
  held_.clear();
  if (std::fflush(stream_) != 0) failed_ = true;
  return !failed_;
}

}  // namespace lgt
