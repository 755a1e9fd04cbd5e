#include "layout.h"

#include <commctrl.h>

#include <string>
#include <string_view>
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

namespace {

constexpr int kSmallestFont = 600;  // hundredths of a point

// The face the layouts are drawn in, or, where the system lacks it (as a Wine prefix without its
// fonts does), the system's own message font.
std::wstring FontFace() {
  constexpr wchar_t kFace[] = L"MS Sans Serif";
  LOGFONTW wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  std::wstring_view(kFace).copy(wanted.lfFaceName, LF_FACESIZE - 1);
  bool found = false;
  const HDC screen = GetDC(nullptr);
  EnumFontFamiliesExW(
      screen, &wanted,
      [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
        *reinterpret_cast<bool*>(found) = true;
        return 0;
      },
      reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, screen);
  if (found) return kFace;
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  return metrics.lfMessageFont.lfFaceName;
}

// Whether text, wrapped at its words as a label wraps it, fits width x height in font: no word
// past the right edge, and no line cut by more than a quarter of its height (the layouts' own
// labels leave a descender's pixel out here and there, which loses no word).
bool Fits(HWND control, const wchar_t* text, HFONT font, int width, int height) {
  const HDC dc = GetDC(control);
  const HGDIOBJ old = SelectObject(dc, font);
  RECT needed{0, 0, width, 0};
  DrawTextW(dc, text, -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return needed.right <= width && needed.bottom <= height + metrics.tmHeight / 4;
}

}  // namespace

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
  const std::wstring face = FontFace();
  HDWP positions = BeginDeferWindowPos(static_cast<int>(controls_.size()));
  for (const ControlLayout& control : controls_) {
    HWND child = GetDlgItem(parent, control.id);
    auto font = [&](int hundredths) {
      HFONT& made = fonts_[{hundredths, control.fontWeight}];
      if (!made) {
        made = CreateFontW(-MulDiv(hundredths, static_cast<int>(dpi), 7200), 0, 0, 0,
                           control.fontWeight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH | FF_SWISS, face.c_str());
      }
      return made;
    };
    if (control.fontHundredthsOfPoint) {
      // A label whose text the face cannot fit in its place (another face stands in for a
      // missing one) takes a smaller size, rather than losing its last words.
      int hundredths = control.fontHundredthsOfPoint;
      const bool label = std::wstring_view(control.windowClass) == L"STATIC" && *control.text;
      while (label && hundredths > kSmallestFont &&
             !Fits(child, control.text, font(hundredths), TwipsToPixels(control.place.width, dpi),
                   TwipsToPixels(control.place.height, dpi)))
        hundredths -= 25;
      SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font(hundredths)), FALSE);
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
