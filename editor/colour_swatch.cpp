#include "colour_swatch.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

#include "accessible_control.h"
#include "resource.h"

namespace editor {
namespace {

constexpr int kColourOffset = 0;  // window extra bytes that hold the colour

void ShowColourAsText(HWND swatch, lightset::ColourRef colour) {
  const std::string text = lightset::ColourText(colour);
  SetWindowTextW(swatch, std::wstring(text.begin(), text.end()).c_str());
}

void Paint(HWND swatch) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(swatch, &paint);
  RECT client;
  GetClientRect(swatch, &client);
  const auto colour = static_cast<COLORREF>(GetSwatchColour(swatch));
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &client, brush);
  DeleteObject(brush);
  if (GetFocus() == swatch) {
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    InflateRect(&client, -2, -2);
    DrawFocusRect(dc, &client);
  }
  EndPaint(swatch, &paint);
}

// What a click runs: the parent is told, as a static control tells it (STN_CLICKED).
void Click(HWND swatch) {
  SendMessageW(GetParent(swatch), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(swatch), STN_CLICKED),
               reinterpret_cast<LPARAM>(swatch));
}

// A colour in clipboard text: "R G B" as the file writes it, or "#RRGGBB", with at most the one
// line end that many programs add when they copy.
std::optional<lightset::ColourRef> ColourOfText(std::wstring_view text) {
  for (const std::wstring_view end : {L"\r\n", L"\n", L"\r"}) {
    if (text.ends_with(end)) {
      text.remove_suffix(end.size());
      break;
    }
  }
  auto hex = [&text](std::size_t at) {
    unsigned value = 0;
    for (const wchar_t c : text.substr(at, 2)) {
      const unsigned digit = c >= L'0' && c <= L'9'   ? c - L'0'
                             : c >= L'A' && c <= L'F' ? c - L'A' + 10
                             : c >= L'a' && c <= L'f' ? c - L'a' + 10
                                                      : 16;
      if (digit == 16) return -1;
      value = value * 16 + digit;
    }
    return static_cast<int>(value);
  };
  if (text.size() == 7 && text.front() == L'#') {
    const int red = hex(1), green = hex(3), blue = hex(5);
    if (red < 0 || green < 0 || blue < 0) return std::nullopt;
    return lightset::PackColour(red, green, blue);
  }
  if (std::any_of(text.begin(), text.end(), [](wchar_t c) { return c > 127; })) return std::nullopt;
  return lightset::ParseColourText(std::string(text.begin(), text.end()));
}

// The text on the clipboard, if it holds any.
std::optional<std::wstring> ClipboardText(HWND owner) {
  if (!OpenClipboard(owner)) return std::nullopt;
  std::optional<std::wstring> text;
  if (const HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* characters = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = characters;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

void Copy(HWND swatch) {
  const std::string text = lightset::ColourText(GetSwatchColour(swatch));
  const HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  if (!data || !OpenClipboard(swatch)) {
    if (data) GlobalFree(data);
    return;
  }
  auto* characters = static_cast<wchar_t*>(GlobalLock(data));
  std::copy(text.c_str(), text.c_str() + text.size() + 1, characters);
  GlobalUnlock(data);
  EmptyClipboard();
  if (!SetClipboardData(CF_UNICODETEXT, data)) GlobalFree(data);
  CloseClipboard();
}

void Paste(HWND swatch) {
  const auto text = ClipboardText(swatch);
  const auto colour = text ? ColourOfText(*text) : std::nullopt;
  if (colour) {
    SetSwatchColour(swatch, *colour);
    SetDescription(swatch, kSwatchHint);
  } else {
    // Heard, not only a beep: a screen reader reads the description it is told has changed.
    MessageBeep(MB_ICONWARNING);
    SetDescription(swatch, std::wstring(kPasteRefused) + kSwatchHint);
  }
}

// The swatch's menu, at the pointer or, opened from the keyboard, below the swatch.
void ShowMenu(HWND swatch, LPARAM where) {
  POINT at{static_cast<short>(LOWORD(where)), static_cast<short>(HIWORD(where))};
  if (where == -1) {
    RECT place;
    GetWindowRect(swatch, &place);
    at = {place.left, place.bottom};
  }
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(swatch, GWLP_HINSTANCE));
  const HMENU menus = LoadMenuW(instance, MAKEINTRESOURCEW(IDR_SWATCHMENU));
  const HMENU menu = GetSubMenu(menus, 0);
  const auto text = ClipboardText(swatch);
  if (!text || !ColourOfText(*text)) EnableMenuItem(menu, IDM_PASTECOLOUR, MF_GRAYED);
  const auto chosen = static_cast<int>(TrackPopupMenu(
      menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, swatch, nullptr));
  DestroyMenu(menus);
  if (chosen == IDM_CHOOSECOLOUR) Click(swatch);
  if (chosen == IDM_COPYCOLOUR) Copy(swatch);
  if (chosen == IDM_PASTECOLOUR) Paste(swatch);
}

bool ControlDown() { return GetKeyState(VK_CONTROL) < 0; }

LRESULT CALLBACK SwatchProc(HWND swatch, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      SetWindowLongPtrW(swatch, kColourOffset, lightset::kWhiteColour);
      ShowColourAsText(swatch, lightset::kWhiteColour);
      return 0;
    case WM_PAINT:
      Paint(swatch);
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      InvalidateRect(swatch, nullptr, FALSE);
      return 0;
    case WM_LBUTTONDOWN:
      SetFocus(swatch);
      SetCapture(swatch);
      return 0;
    case WM_LBUTTONUP: {
      // A click is a press and release inside the swatch, as for a button.
      if (GetCapture() != swatch) return 0;
      ReleaseCapture();
      RECT client;
      GetClientRect(swatch, &client);
      const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      if (PtInRect(&client, point)) Click(swatch);
      return 0;
    }
    case WM_GETDLGCODE: {
      // Enter presses the swatch, as a button's own key, rather than a default button.
      const auto* key = reinterpret_cast<const MSG*>(lParam);
      return key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN ? DLGC_WANTMESSAGE : 0;
    }
    case WM_KEYDOWN:
      if (wParam == VK_RETURN && !(lParam & (1 << 30))) Click(swatch);  // not when held down
      if (wParam == 'C' && ControlDown()) Copy(swatch);
      if (wParam == 'V' && ControlDown()) Paste(swatch);
      return 0;
    case WM_KEYUP:
      if (wParam == VK_SPACE) Click(swatch);  // on release, as a button
      break;
    case WM_CONTEXTMENU:
      ShowMenu(swatch, lParam);
      return 0;
  }
  return DefWindowProcW(swatch, message, wParam, lParam);
}

}  // namespace

void RegisterColourSwatchClass(HINSTANCE instance) {
  WNDCLASSEXW swatchClass{};
  swatchClass.cbSize = sizeof swatchClass;
  if (GetClassInfoExW(instance, kColourSwatchClass, &swatchClass)) return;
  swatchClass.lpfnWndProc = SwatchProc;
  swatchClass.cbWndExtra = sizeof(LONG_PTR);
  swatchClass.hInstance = instance;
  swatchClass.hCursor = static_cast<HCURSOR>(
      LoadImageW(instance, MAKEINTRESOURCEW(IDC_EYEDROPPER), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE));
  swatchClass.lpszClassName = kColourSwatchClass;
  RegisterClassExW(&swatchClass);
}

lightset::ColourRef GetSwatchColour(HWND swatch) {
  return static_cast<lightset::ColourRef>(GetWindowLongPtrW(swatch, kColourOffset));
}

void SetSwatchColour(HWND swatch, lightset::ColourRef colour) {
  const bool changed = GetSwatchColour(swatch) != colour;
  SetWindowLongPtrW(swatch, kColourOffset, colour);
  ShowColourAsText(swatch, colour);
  InvalidateRect(swatch, nullptr, FALSE);
  if (!changed) return;
  NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, swatch, OBJID_CLIENT, CHILDID_SELF);
  SendMessageW(GetParent(swatch), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(swatch), kSwatchChanged),
               reinterpret_cast<LPARAM>(swatch));
}

}  // namespace editor
