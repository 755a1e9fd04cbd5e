#include "numeric_text.h"

namespace lightset {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool IsNumeric(std::string_view text) {
  std::size_t i = 0;
  auto at = [&](std::size_t pos) { return pos < text.size() ? text[pos] : '\0'; };
  while (at(i) == ' ') ++i;
  if (at(i) == '+' || at(i) == '-') ++i;
  std::size_t digits = 0;
  while (IsDigit(at(i))) ++i, ++digits;
  if (at(i) == '.') {
    ++i;
    while (IsDigit(at(i))) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (at(i) == 'e' || at(i) == 'E') {
    ++i;
    if (at(i) == '+' || at(i) == '-') ++i;
    if (!IsDigit(at(i))) return false;
    while (IsDigit(at(i))) ++i;
  }
  while (at(i) == ' ') ++i;
  return i == text.size();
}

}  // namespace lightset
