#include "help_window.h"

#include <oleacc.h>

#include "accessible_control.h"
#include "resource.h"
#include "version.h"
#include "window_text.h"

namespace editor {
namespace {

constexpr wchar_t kAboutClass[] = L"KestruneLightEditorAbout";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;  // fixed dialog border
constexpr int kLeft = 2340, kTop = 1935;  // the client area's place on the screen, in twips
constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;
constexpr int kFont = 825;

// In screen order, top to bottom, which is the order a screen reader reads them in; OK, the one
// control that takes the focus, is alone in the tab order.
// clang-format off
constexpr ControlLayout kControls[] = {
    {IDC_PICICON, L"STATIC", L"", SS_ICON | SS_CENTERIMAGE, WS_EX_CLIENTEDGE, {240, 240, 540, 540}, 0, 0, nullptr},
    {IDC_LBLTITLE, L"STATIC", L"Kestrune Light Editor", kLabel, 0, {960, 240, 2805, 480}, kFont, FW_NORMAL, nullptr},
    {IDC_LBLVERSION, L"STATIC", L"", kLabel, 0, {840, 720, 2805, 225}, kFont, FW_NORMAL, nullptr},
    {IDC_ABOUT_LABEL8, L"STATIC", L"Help:", kLabel, 0, {720, 1320, 2805, 225}, kFont, FW_BOLD, nullptr},
    {IDC_ABOUT_LABEL1, L"STATIC", L"Name of Light Setting - Sets the name of the lighting file as it will appear in the Kestrune Editor.", kLabel, 0, {720, 1680, 4095, 495}, kFont, FW_NORMAL, nullptr},
    {IDC_ABOUT_LABEL2, L"STATIC", L"Sun Colour - Sets the colour of the light that will come from the directon of the sun.", kLabel, 0, {720, 2160, 4095, 495}, kFont, FW_NORMAL, nullptr},
    {IDC_ABOUT_LABEL7, L"STATIC", L"Sun Specular - This is the other light from the direction of the sun, its more dramatic and will appear on the waters surface and other shiny objects.", kLabel, 0, {720, 2640, 4095, 615}, kFont, FW_NORMAL, nullptr},
    {IDC_ABOUT_LABEL3, L"STATIC", L"Ambient Colour - Sets the colour for a weak light which has no source. It works well to create an atmosphere.", kLabel, 0, {720, 3360, 4095, 495}, kFont, FW_NORMAL, nullptr},
    {IDC_ABOUT_LABEL4, L"STATIC", L"Terrain Ambient Colour - Simlar to ambient colour only specific to the terrain.", kLabel, 0, {720, 3840, 4095, 495}, kFont, FW_NORMAL, nullptr},
    {IDC_ABOUT_LABEL5, L"STATIC", L"Sun Inclination - This value sets the brightness of the sun.", kLabel, 0, {720, 4320, 4095, 255}, kFont, FW_NORMAL, nullptr},
    {IDC_ABOUT_LABEL6, L"STATIC", L"Sun Rotation - Sets the position of the sun around the world ie. 0 - 360", kLabel, 0, {720, 4680, 4095, 375}, kFont, FW_NORMAL, nullptr},
    {IDOK, L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, {3960, 5280, 1260, 345}, kFont, FW_NORMAL, nullptr},
};
// clang-format on

std::wstring VersionLabel(int major, int minor) {
  return L"Version : " + NumberText(major) + L"." + NumberText(minor);
}

}  // namespace

frmAbout::frmAbout() : layout_(kControls, 5385, 5775) {}

frmAbout::~frmAbout() {
  if (hwnd_) DestroyWindow(hwnd_);
}

void frmAbout::Show(HINSTANCE instance) {
  if (hwnd_) {
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    SetForegroundWindow(hwnd_);
    return;
  }
  // Placed and sized when it is created, for the DPI it is created at.
  CreateTopLevel(instance, {.className = kAboutClass,
                            .iconId = IDI_APP,
                            .caption = L"Tolvane's Kestrune Light Editor",
                            .style = kStyle,
                            .exStyle = kExStyle});
  ShowWindow(hwnd_, SW_SHOW);
  SetFocus(cmdOK);
  NotifyWinEvent(EVENT_SYSTEM_DIALOGSTART, hwnd_, OBJID_WINDOW, CHILDID_SELF);
}

bool frmAbout::PreTranslateMessage(MSG& message) {
  return hwnd_ && (message.hwnd == hwnd_ || IsChild(hwnd_, message.hwnd)) &&
         IsDialogMessageW(hwnd_, &message);
}

LRESULT frmAbout::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      layout_.CreateControls(hwnd_);
      Describe(hwnd_, {.role = ROLE_SYSTEM_DIALOG});  // read as a dialog when it opens
      cmdOK = GetDlgItem(hwnd_, IDOK);
      picIcon = GetDlgItem(hwnd_, IDC_PICICON);
      lblTitle = GetDlgItem(hwnd_, IDC_LBLTITLE);
      lblVersion = GetDlgItem(hwnd_, IDC_LBLVERSION);
      LayOut(GetDpiForWindow(hwnd_));
      Form_Load();
      return 0;
    case WM_COMMAND:
      // Enter comes as IDOK and Esc as IDCANCEL, wherever the focus is: both press OK.
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) cmdOK_Click();
      return 0;
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lParam) == lblTitle) {
        const auto dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      }
      break;
    case WM_PAINT:
      PaintSeparator();
      return 0;
    case WM_DPICHANGED:
      LayOut(HIWORD(wParam));
      return 0;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

// Lays the controls out for dpi and puts the client area at its fixed place on the screen.
void frmAbout::LayOut(UINT dpi) {
  dpi_ = dpi;
  layout_.Apply(hwnd_, dpi_);
  const RECT place = layout_.WindowRectAt(kLeft, kTop, kStyle, kExStyle, dpi_);
  SetWindowPos(hwnd_, nullptr, place.left, place.top, place.right - place.left,
               place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void frmAbout::Form_Load() {
  SetWindowTextW(lblVersion, VersionLabel(KESTRUNE_VERSION_MAJOR, KESTRUNE_VERSION_MINOR).c_str());
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE));
  SendMessageW(picIcon, STM_SETICON,
               reinterpret_cast<WPARAM>(
                   LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, 32, 32, LR_SHARED)),
               0);
}

void frmAbout::cmdOK_Click() { DestroyWindow(hwnd_); }

// The etched separator: a white line 2 pixels wide with a grey line of 1 pixel over it.
void frmAbout::PaintSeparator() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd_, &paint);
  const int left = TwipsToPixels(360, dpi_), right = TwipsToPixels(4920, dpi_),
            y = TwipsToPixels(1200, dpi_);
  const std::pair<COLORREF, int> lines[] = {{RGB(255, 255, 255), 2}, {RGB(128, 128, 128), 1}};
  for (const auto& [colour, width] : lines) {
    HPEN pen = CreatePen(PS_SOLID, MulDiv(width, static_cast<int>(dpi_), 96), colour);
    HGDIOBJ previous = SelectObject(dc, pen);
    MoveToEx(dc, left, y, nullptr);
    LineTo(dc, right, y);
    SelectObject(dc, previous);
    DeleteObject(pen);
  }
  EndPaint(hwnd_, &paint);
}

}  // namespace editor
