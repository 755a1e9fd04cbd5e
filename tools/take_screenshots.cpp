// Shows the windows with an example lighting set and saves each, frame included, as a BMP: the
// main window, the help window, and the preview beside the main window:
// take_screenshots MAIN.bmp HELP.bmp PREVIEW.bmp
#include <windows.h>

#include <commctrl.h>

#include <fstream>

#include "editor/colour_swatch.h"
#include "editor/main_window.h"
#include "editor/resource.h"

namespace {

void Pump(editor::Main& window) {
  for (int round = 0; round < 20; ++round) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (window.PreTranslateMessage(message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(25);
  }
}

bool SaveArea(const RECT& place, const wchar_t* path) {
  const int width = place.right - place.left, height = place.bottom - place.top;
  BITMAPINFOHEADER header{sizeof header, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS,
                                    &bits, nullptr, 0);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, place.left, place.top, SRCCOPY);
  GdiFlush();
  const DWORD rowBytes = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  header.biSizeImage = rowBytes * static_cast<DWORD>(height);
  const BITMAPFILEHEADER file{
      0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof header + header.biSizeImage), 0,
      0, sizeof(BITMAPFILEHEADER) + sizeof header};
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&header), sizeof header);
  out.write(static_cast<const char*>(bits), header.biSizeImage);
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return static_cast<bool>(out);
}

bool SaveWindow(HWND window, const wchar_t* path) {
  RECT place;
  GetWindowRect(window, &place);
  return SaveArea(place, path);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) return 2;
  SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
  const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  editor::Main window(editor::WindowsDialogs());
  window.Show(GetModuleHandleW(nullptr), SW_SHOW);
  HWND main = window.Window();
  SetDlgItemTextW(main, IDC_TXTNAME, L"Dusk");
  editor::SetSwatchColour(GetDlgItem(main, IDC_PICSUNCOL), 0x96C8FF);
  editor::SetSwatchColour(GetDlgItem(main, IDC_PICAMBCOL), 0x3C2828);
  editor::SetSwatchColour(GetDlgItem(main, IDC_PICTERRAMBCOL), 0x503C3C);
  SetDlgItemTextW(main, IDC_TXTSUNINC, L"50");
  SetDlgItemTextW(main, IDC_TXTSUNROT, L"180");
  // Away from where the help window stands, so that neither hides the other.
  SetWindowPos(main, nullptr, 560, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  Pump(window);
  const bool mainSaved = SaveWindow(main, argv[1]);
  SendMessageW(main, WM_COMMAND, IDM_HELP, 0);
  Pump(window);
  const bool helpSaved = SaveWindow(window.HelpWindow().Window(), argv[2]);
  DestroyWindow(window.HelpWindow().Window());
  // The preview opens to the right of the main window: both must be on the screen to be read.
  SetWindowPos(main, nullptr, 40, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  SendMessageW(main, WM_COMMAND, IDM_PREVIEW, 0);
  SetForegroundWindow(main);
  for (int round = 0; round < 6; ++round) Pump(window);  // Wine maps a new window slowly
  RECT both, preview;
  GetWindowRect(main, &both);
  GetWindowRect(window.Preview().Window(), &preview);
  UnionRect(&both, &both, &preview);

  const bool previewSaved = SaveArea(both, argv[3]);

  return mainSaved && helpSaved && previewSaved ? 0 : 1;
}
