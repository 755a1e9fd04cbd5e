#include "layout.h"

#include <commctrl.h>

#include <utility>

namespace editor {

int TwipsToPixels(int twips, UINT dpi) { return MulDiv(twips, static_cast<int>(dpi), 1440); }

FormLayout::FormLayout(std::span<const ControlLayout> controls, int clientWidthTwips,
                       int clientHeightTwips)
    : controls_(controls), clientWidth_(clientWidthTwips), clientHeight_(clientHeightTwips) {}

FormLayout::~FormLayout() { ReleaseFonts(); }

void FormLayout::ReleaseFonts() {
  for (const auto& [key, font] : fonts_) DeleteObject(font);
  fonts_.clear();
}

void FormLayout::CreateControls(HWND parent) {
  tooltip_ = nullptr;  // a window made again gets a tooltip control of its own
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
  for (const ControlLayout& control : controls_) {
    CreateWindowExW(control.exStyle, control.windowClass, control.text,
                    WS_CHILD | WS_VISIBLE | control.style, 0, 0, 0, 0, parent,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), instance, nullptr);
  }
}

void FormLayout::AddTooltips(HWND parent) {
  if (tooltip_) return;
  for (const ControlLayout& control : controls_) {
    if (!control.tooltip) continue;
    if (!tooltip_) {
      tooltip_ = CreateWindowExW(
          WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent, nullptr,
          reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
    }
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = parent;
    tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(parent, control.id));
    tool.lpszText = const_cast<wchar_t*>(control.tooltip);
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void FormLayout::Apply(HWND parent, UINT dpi) {
  // The controls hold the old fonts until they are given the new ones: deleted only then.
  const std::map<std::pair<int, int>, HFONT> oldFonts = std::exchange(fonts_, {});
  HDWP positions = BeginDeferWindowPos(static_cast<int>(controls_.size()));
  for (const ControlLayout& control : controls_) {
    HWND child = GetDlgItem(parent, control.id);
    if (control.fontHundredthsOfPoint) {
      HFONT& font = fonts_[{control.fontHundredthsOfPoint, control.fontWeight}];
      if (!font) {
        font = CreateFontW(-MulDiv(control.fontHundredthsOfPoint, static_cast<int>(dpi), 7200), 0,
                           0, 0, control.fontWeight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif");
      }
      SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    const Twips& place = control.place;
    positions = DeferWindowPos(positions, child, nullptr, TwipsToPixels(place.left, dpi),
                               TwipsToPixels(place.top, dpi), TwipsToPixels(place.width, dpi),
                               TwipsToPixels(place.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
  }
  EndDeferWindowPos(positions);
  for (const auto& [key, font] : oldFonts) DeleteObject(font);
  InvalidateRect(parent, nullptr, TRUE);
}

SIZE FormLayout::WindowSize(HWND window, UINT dpi) const {
  RECT rect{0, 0, TwipsToPixels(clientWidth_, dpi), TwipsToPixels(clientHeight_, dpi)};
  AdjustWindowRectExForDpi(&rect, static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)),
                           GetMenu(window) != nullptr,
                           static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)), dpi);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

RECT FormLayout::WindowRectAt(int leftTwips, int topTwips, DWORD style, DWORD exStyle,
                              UINT dpi) const {
  const int left = TwipsToPixels(leftTwips, dpi);
  const int top = TwipsToPixels(topTwips, dpi);
  RECT rect{left, top, left + TwipsToPixels(clientWidth_, dpi),
            top + TwipsToPixels(clientHeight_, dpi)};
  AdjustWindowRectExForDpi(&rect, style, FALSE, exStyle, dpi);
  return rect;
}

}  // namespace editor
