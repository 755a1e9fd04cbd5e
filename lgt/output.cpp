#include "output.h"

namespace lgt {

Output& Output::operator<<(std::string_view text) {
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
