// Waits for a running Kestrune Light Editor's main window, prints the values its boxes and
// swatches show (a swatch's window text is its colour as R G B) and closes it. For the
// installer test, which starts the editor as the file association does.
#include <windows.h>

#include <cstdio>
#include <string>

#include "editor/resource.h"
#include "wintext/ansi_text.h"

int wmain() {
  HWND window = nullptr;
  for (int tries = 0; !window && tries < 300; ++tries) {  // 30 s
    window = FindWindowW(L"KestruneLightEditorMain", nullptr);
    if (!window) Sleep(100);
  }
  if (!window) {
    std::fputs("no Kestrune Light Editor window appeared\n", stderr);
    return 1;
  }
  Sleep(500);  // the file given is opened just after the window is shown
  // clang-format off
  const std::pair<const char*, int> fields[] = {
      {"Name", IDC_TXTNAME}, {"SunColour", IDC_PICSUNCOL}, {"SunSpecular", IDC_PICSUNSPEC},
      {"AmbientColour", IDC_PICAMBCOL}, {"TerrainAmbientColour", IDC_PICTERRAMBCOL},
      {"SunInclination", IDC_TXTSUNINC}, {"SunRotation", IDC_TXTSUNROT}};
  // clang-format on
  for (const auto& [key, id] : fields) {
    wchar_t text[256] = L"";
    GetDlgItemTextW(window, id, text, 256);
    std::printf("%s=%s\n", key, wintext::ToUtf8(text).c_str());
  }
  PostMessageW(window, WM_CLOSE, 0, 0);
  return 0;
}
