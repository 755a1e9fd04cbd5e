// Text for windows: a window's own, read into a buffer sized from it, and numbers to show.
#pragma once

#include <windows.h>

#include <string>

namespace editor {

inline std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// A whole number in decimal digits. std::to_wstring would bring the C library's whole wide
// printf into the program for a few digits.
template <class Whole>
std::wstring NumberText(Whole number) {
  const std::string digits = std::to_string(number);
  return std::wstring(digits.begin(), digits.end());
}

}  // namespace editor
