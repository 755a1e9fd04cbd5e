#include "preview_window.h"

#include <oleacc.h>

#include "accessible_control.h"
#include "preview/sun.h"
#include "resource.h"
#include "wintext/ansi_text.h"

namespace editor {
namespace {

constexpr wchar_t kPreviewClass[] = L"KestruneLightEditorPreview";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;
constexpr int kPicture = 3840;  // twips: 256 pixels at 96 DPI

// clang-format off
constexpr ControlLayout kControls[] = {
    {IDC_PREVIEW_PICTURE, L"STATIC",      L"", SS_OWNERDRAW,            0, {180, 180, kPicture, kPicture}, 0,   0,         nullptr},
    {IDC_PREVIEW_COMPASS, kCompassClass, L"", WS_TABSTOP,              0, {4200, 180, 2700, 2700},        825, FW_NORMAL, nullptr},
    {IDC_PREVIEW_HINT,    L"STATIC",      L"Drag the sun, or use the arrow keys (Shift: 15 degrees), Home and End.", SS_LEFT | SS_NOPREFIX, 0, {4200, 3000, 2700, 1020}, 825, FW_NORMAL, nullptr},
    {IDC_PREVIEW_TEXT,    L"STATIC",      L"", SS_LEFT | SS_NOPREFIX,   0, {180, 4140, 6720, 480},          825, FW_NORMAL, nullptr},
};
// clang-format on

COLORREF ColourOf(const std::string& text) {
  return static_cast<COLORREF>(lightset::ParseColourText(text).value_or(lightset::kWhiteColour));
}

}  // namespace

PreviewWindow::PreviewWindow(std::function<void(CompassPlace)> sunMoved)
    : sunMoved_(std::move(sunMoved)), layout_(kControls, 7080, 4800) {}

PreviewWindow::~PreviewWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
  if (picture_) DeleteObject(picture_);
}

void PreviewWindow::Show(HWND owner) {
  if (hwnd_) {
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    SetForegroundWindow(hwnd_);
    return;
  }
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE));
  RegisterCompassClass(instance);
  RECT beside;
  GetWindowRect(owner, &beside);
  CreateTopLevel(instance, {.className = kPreviewClass,
                            .iconId = IDI_APP,
                            .caption = L"Preview",
                            .style = kStyle,
                            .exStyle = kExStyle,
                            .owner = owner,
                            .x = beside.right,
                            .y = beside.top});
  if (!hwnd_) return;
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  SetFocus(GetDlgItem(hwnd_, IDC_PREVIEW_COMPASS));
}

bool PreviewWindow::PreTranslateMessage(MSG& message) {
  return hwnd_ && (message.hwnd == hwnd_ || IsChild(hwnd_, message.hwnd)) &&
         IsDialogMessageW(hwnd_, &message);
}

void PreviewWindow::Update(const lightset::LightSetting& setting) {
  setting_ = setting;
  if (hwnd_) Draw();
}

LRESULT PreviewWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      layout_.CreateControls(hwnd_);
      // A graphic named Preview whose description says what it shows; the compass a dial.
      Describe(GetDlgItem(hwnd_, IDC_PREVIEW_PICTURE),
               {.name = L"Preview", .role = ROLE_SYSTEM_GRAPHIC, .textIsDescription = true});
      Describe(GetDlgItem(hwnd_, IDC_PREVIEW_COMPASS),
               {.name = L"Sun position", .textIsValue = true, .role = ROLE_SYSTEM_DIAL});
      LayOut(GetDpiForWindow(hwnd_));
      return 0;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_PREVIEW_COMPASS && HIWORD(wParam) == kCompassMoved)
        sunMoved_(GetCompassPlace(reinterpret_cast<HWND>(lParam)));
      if (LOWORD(wParam) == IDCANCEL) DestroyWindow(hwnd_);  // Esc closes it
      return 0;
    case WM_DRAWITEM:
      OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_DPICHANGED: {
      LayOut(HIWORD(wParam));
      const auto& suggested = *reinterpret_cast<const RECT*>(lParam);
      const SIZE size = layout_.WindowSize(hwnd_, HIWORD(wParam));
      SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, size.cx, size.cy,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

// Places the controls for dpi and makes the scene for the picture's size there.
void PreviewWindow::LayOut(UINT dpi) {
  layout_.Apply(hwnd_, dpi);
  const SIZE size = layout_.WindowSize(hwnd_, dpi);
  SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  const int pixels = TwipsToPixels(kPicture, dpi);
  if (pixels != pictureSize_) {
    pictureSize_ = pixels;
    scene_ = std::make_unique<preview::Scene>(pixels, pixels);
    if (picture_) DeleteObject(std::exchange(picture_, nullptr));
  }
  Draw();
}

// Renders the setting into the picture, then shows it and says it in words.
void PreviewWindow::Draw() {
  const preview::Image image = scene_->Render(setting_);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = image.width;
  info.bmiHeader.biHeight = -image.height;  // top row first, as the image
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  if (!picture_) picture_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  DIBSECTION section{};
  if (!picture_ || !GetObjectW(picture_, sizeof section, &section)) return;
  auto* out = static_cast<std::uint8_t*>(section.dsBm.bmBits);
  for (std::size_t at = 0; at < image.rgb.size() / 3; ++at) {
    out[at * 4] = image.rgb[at * 3 + 2], out[at * 4 + 1] = image.rgb[at * 3 + 1];
    out[at * 4 + 2] = image.rgb[at * 3], out[at * 4 + 3] = 0;
  }
  const preview::Sun sun = preview::SunOf(setting_);
  const std::wstring words = wintext::FromUtf8(preview::DescribeSun(sun));
  const HWND picture = GetDlgItem(hwnd_, IDC_PREVIEW_PICTURE);
  SetWindowTextW(picture, words.c_str());
  SetWindowTextW(GetDlgItem(hwnd_, IDC_PREVIEW_TEXT), words.c_str());
  SetCompassSun(GetDlgItem(hwnd_, IDC_PREVIEW_COMPASS), sun, ColourOf(setting_.SunColour));
  InvalidateRect(picture, nullptr, FALSE);
  UpdateWindow(picture);
}

void PreviewWindow::OnDrawItem(const DRAWITEMSTRUCT& item) {
  if (item.CtlID != IDC_PREVIEW_PICTURE || !picture_) return;
  const HDC source = CreateCompatibleDC(item.hDC);
  const HGDIOBJ old = SelectObject(source, picture_);
  BitBlt(item.hDC, 0, 0, pictureSize_, pictureSize_, source, 0, 0, SRCCOPY);
  SelectObject(source, old);
  DeleteDC(source);
}

}  // namespace editor
