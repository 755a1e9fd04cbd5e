#include "compass_control.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "preview/compass.h"
#include "window_text.h"
#include "wintext/ansi_text.h"

namespace editor {
namespace {

struct State {
  preview::Sun sun;
  COLORREF colour = RGB(255, 255, 255);
  CompassPlace place{45, 180};  // where the keys start when there is no sun
};

State& StateOf(HWND compass) {
  return *reinterpret_cast<State*>(GetWindowLongPtrW(compass, GWLP_USERDATA));
}

// The ring's centre and radius in the control.
void Ring(HWND compass, POINT& centre, int& radius) {
  RECT client;
  GetClientRect(compass, &client);
  centre = {client.right / 2, client.bottom / 2};
  radius = std::min(client.right, client.bottom) * 4 / 10;
}

void Paint(HWND compass) {
  PAINTSTRUCT paint;
  const HDC screen = BeginPaint(compass, &paint);
  RECT client;
  GetClientRect(compass, &client);
  // Drawn off the screen, then copied at once: no flicker while the marker moves.
  const HDC dc = CreateCompatibleDC(screen);
  const HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
  const HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
  FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
  POINT c;
  int r = 0;
  Ring(compass, c, r);
  const HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  const HPEN pen = CreatePen(PS_SOLID, std::max(1, r / 40), GetSysColor(COLOR_WINDOWTEXT));
  const HGDIOBJ oldPen = SelectObject(dc, pen);
  Ellipse(dc, c.x - r, c.y - r, c.x + r, c.y + r);
  Ellipse(dc, c.x - 2, c.y - 2, c.x + 2, c.y + 2);  // overhead
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  const HGDIOBJ oldFont =
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(compass, WM_GETFONT, 0, 0)));
  constexpr const wchar_t* kLetters[] = {L"N", L"E", L"S", L"W"};
  for (int way = 0; way < 4; ++way) {
    const preview::CompassPoint at = preview::PointOfSun(0, way * 90.0);
    const int x = c.x + static_cast<int>(at.x * (r + r / 6.0)),
              y = c.y + static_cast<int>(at.y * (r + r / 6.0));
    RECT box{x - r / 6, y - r / 6, x + r / 6, y + r / 6};
    DrawTextW(dc, kLetters[way], 1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
  const State& state = StateOf(compass);
  if (state.sun.toward) {
    const preview::CompassPoint at =
        preview::PointOfSun(std::max(state.sun.height, 0.0), state.sun.bearing);
    const int x = c.x + static_cast<int>(std::lround(at.x * r));
    const int y = c.y + static_cast<int>(std::lround(at.y * r));
    const int size = std::max(4, r / 8);
    MoveToEx(dc, c.x, c.y, nullptr);
    LineTo(dc, x, y);
    const HBRUSH fill = CreateSolidBrush(state.colour);
    SelectObject(dc, state.sun.height >= 0 ? fill : GetStockObject(NULL_BRUSH));
    Ellipse(dc, x - size, y - size, x + size, y + size);
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    DeleteObject(fill);
  }
  if (GetFocus() == compass) {
    RECT focus = client;
    InflateRect(&focus, -1, -1);
    DrawFocusRect(dc, &focus);
  }
  SelectObject(dc, oldFont);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(pen);
  BitBlt(screen, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
  SelectObject(dc, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);
  EndPaint(compass, &paint);
}

// Tells the parent that the user put the sun at place.
void Move(HWND compass, CompassPlace place) {
  place.height = std::clamp(place.height, 0, 90);
  place.bearing = ((place.bearing % 360) + 360) % 360;
  StateOf(compass).place = place;
  SendMessageW(GetParent(compass), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(compass), kCompassMoved),
               reinterpret_cast<LPARAM>(compass));
}

void MoveToPointer(HWND compass, LPARAM lParam) {
  POINT c;
  int r = 0;
  Ring(compass, c, r);
  const preview::CompassPoint point{(static_cast<short>(LOWORD(lParam)) - c.x) / double(r),
                                    (static_cast<short>(HIWORD(lParam)) - c.y) / double(r)};
  const preview::SunPlace place = preview::SunAtPoint(point, StateOf(compass).place.bearing);
  Move(compass,
       {static_cast<int>(std::lround(place.height)), static_cast<int>(std::lround(place.bearing))});
}

void OnKey(HWND compass, WPARAM key) {
  const int step = GetKeyState(VK_SHIFT) < 0 ? 15 : 1;
  CompassPlace place = StateOf(compass).place;
  switch (key) {
    case VK_UP:
      place.height += step;
      break;
    case VK_DOWN:
      place.height -= step;
      break;
    case VK_RIGHT:
      place.bearing += step;
      break;
    case VK_LEFT:
      place.bearing -= step;
      break;
    case VK_HOME:
      place.height = 90;
      break;
    case VK_END:
      place.height = 0;
      break;
    default:
      return;
  }
  Move(compass, place);
}

LRESULT CALLBACK CompassProc(HWND compass, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE:
      SetWindowLongPtrW(compass, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new State));
      break;
    case WM_NCDESTROY:
      delete &StateOf(compass);
      SetWindowLongPtrW(compass, GWLP_USERDATA, 0);
      break;
    case WM_ERASEBKGND:
      return 1;  // Paint covers it all
    case WM_PAINT:
      Paint(compass);
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      InvalidateRect(compass, nullptr, FALSE);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_KEYDOWN:
      OnKey(compass, wParam);
      return 0;
    case WM_LBUTTONDOWN:
      SetFocus(compass);
      SetCapture(compass);
      MoveToPointer(compass, lParam);
      return 0;
    case WM_MOUSEMOVE:
      if (GetCapture() == compass) MoveToPointer(compass, lParam);
      return 0;
    case WM_LBUTTONUP:
      if (GetCapture() == compass) ReleaseCapture();
      return 0;
  }
  // The state made at WM_NCCREATE is deleted at WM_NCDESTROY, which the analyzer cannot follow.
  // NOLINTNEXTLINE(clang-analyzer-cplusplus.NewDeleteLeaks)
  return DefWindowProcW(compass, message, wParam, lParam);
}

}  // namespace

void RegisterCompassClass(HINSTANCE instance) {
  WNDCLASSEXW compassClass{};
  compassClass.cbSize = sizeof compassClass;
  if (GetClassInfoExW(instance, kCompassClass, &compassClass)) return;
  compassClass.lpfnWndProc = CompassProc;
  compassClass.hInstance = instance;
  compassClass.hCursor = LoadCursorW(nullptr, IDC_HAND);
  compassClass.lpszClassName = kCompassClass;
  RegisterClassExW(&compassClass);
}

void SetCompassSun(HWND compass, const preview::Sun& sun, COLORREF colour) {
  State& state = StateOf(compass);
  state.sun = sun;
  state.colour = colour;
  if (sun.toward) {
    state.place = {static_cast<int>(std::lround(std::max(sun.height, 0.0))),
                   static_cast<int>(std::lround(sun.bearing)) % 360};
  }
  InvalidateRect(compass, nullptr, FALSE);
  const std::wstring words = wintext::FromUtf8(preview::DescribeSun(sun));
  if (words == WindowText(compass)) return;
  SetWindowTextW(compass, words.c_str());
  NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, compass, OBJID_CLIENT, CHILDID_SELF);
}

CompassPlace GetCompassPlace(HWND compass) { return StateOf(compass).place; }

}  // namespace editor
