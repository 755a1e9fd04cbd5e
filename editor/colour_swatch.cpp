#include "colour_swatch.h"

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

LRESULT CALLBACK SwatchProc(HWND swatch, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      SetSwatchColour(swatch, 0xFFFFFF);
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
      if (PtInRect(&client, point)) {
        SendMessageW(GetParent(swatch), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(swatch), STN_CLICKED),
                     reinterpret_cast<LPARAM>(swatch));
      }
      return 0;
    }
    default:
      return DefWindowProcW(swatch, message, wParam, lParam);
  }
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
  SetWindowLongPtrW(swatch, kColourOffset, colour);
  ShowColourAsText(swatch, colour);
  InvalidateRect(swatch, nullptr, FALSE);
}

}  // namespace editor
