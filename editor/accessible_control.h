// What a screen reader is told of a control beyond what the system tells of it by itself: the
// name of the label beside it, a hint, a push button's role and action, and a value.
#pragma once

#include <windows.h>

#include <string>

namespace editor {

struct ControlDescription {
  std::wstring name{};         // empty: the system's
  std::wstring description{};  // empty: the system's
  // A push button, whose default action ("Press") sends its parent the click it sends when pressed
  // (BN_CLICKED, which is also a static control's STN_CLICKED).
  bool button = false;
  bool textIsValue = false;        // its window text is its value (a swatch's colour)
  LONG role = 0;                   // 0: the system's, or a push button's for a button
  bool textIsDescription = false;  // its window text says what it shows (a picture)
};

// Answers a screen reader's questions about control with description, for as long as it lives.
void Describe(HWND control, ControlDescription description);

// Changes the description of a control Describe described, and tells a screen reader.
void SetDescription(HWND control, const std::wstring& description);

}  // namespace editor
