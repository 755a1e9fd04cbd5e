#include "light_setting.h"

#include <algorithm>
#include <charconv>

namespace lightset {

std::string ColourText(ColourRef colour) {
  const int red = colour & 255;
  const int green = (colour >> 8) & 255;
  const int blue = (colour >> 16) & 255;
  return std::to_string(red) + ' ' + std::to_string(green) + ' ' + std::to_string(blue);
}

std::optional<ColourRef> ParseColourText(std::string_view text) {
  int parts[3] = {};
  const char* cursor = text.data();
  const char* const end = text.data() + text.size();
  for (int i = 0; i < 3; ++i) {
    if (i > 0) {
      if (cursor == end || *cursor != ' ') return std::nullopt;
      ++cursor;
    }
    if (cursor == end || *cursor < '0' || *cursor > '9') return std::nullopt;  // no sign, no blank
    const auto [next, error] = std::from_chars(cursor, end, parts[i]);
    if (error != std::errc{} || parts[i] > 255) return std::nullopt;
    cursor = next;
  }
  if (cursor != end) return std::nullopt;
  return PackColour(parts[0], parts[1], parts[2]);
}

}  // namespace lightset
