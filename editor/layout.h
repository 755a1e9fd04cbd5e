// Window layouts given in twips (1/1440 inch) and turned into pixels for a DPI, with the fonts
// the layouts name.
#pragma once

#include <windows.h>

#include <map>
#include <span>
#include <utility>

namespace editor {

struct Twips {
  int left, top, width, height;
};

// 15 twips a pixel at 96 DPI, scaled with the DPI.
int TwipsToPixels(int twips, UINT dpi);

// One child control: what it is, where it goes and how its text is drawn.
struct ControlLayout {
  int id;
  const wchar_t* windowClass;
  const wchar_t* text;
  DWORD style;
  DWORD exStyle;
  Twips place;
  int fontHundredthsOfPoint;  // 0: the control shows no text
  int fontWeight;
  const wchar_t* tooltip;  // nullptr: none; LPSTR_TEXTCALLBACKW: the control's own text
};

// The controls of one window, created in their tab order and placed for the window's DPI.
class FormLayout {
 public:
  FormLayout(std::span<const ControlLayout> controls, int clientWidthTwips, int clientHeightTwips);
  ~FormLayout();
  FormLayout(const FormLayout&) = delete;
  FormLayout& operator=(const FormLayout&) = delete;

  void CreateControls(HWND parent);
  // Gives the controls their tooltips, once: called when the pointer first comes over the
  // window, so that the tooltip control costs nothing until then.
  void AddTooltips(HWND parent);
  // Places every control and gives it its font for dpi.
  void Apply(HWND parent, UINT dpi);
  // The outer size of a window whose client area is the layout's, at dpi.
  SIZE WindowSize(HWND window, UINT dpi) const;
  // The outer rectangle of a window whose client area starts at the given point in twips.
  RECT WindowRectAt(int leftTwips, int topTwips, DWORD style, DWORD exStyle, UINT dpi) const;

 private:
  void ReleaseFonts();

  std::span<const ControlLayout> controls_;
  int clientWidth_;
  int clientHeight_;
  HWND tooltip_ = nullptr;
  std::map<std::pair<int, int>, HFONT> fonts_;
};

}  // namespace editor
