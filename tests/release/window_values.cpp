// Waits for a running Kestrune Light Editor's main window, prints the values its boxes and
// swatches show (a swatch's window text is its colour as R G B) and closes it. For the
// installer test, which starts the editor as the file association does.
#include <windows.h>

#include <cstdio>

#include "editor/main_window.h"
#include "lightset/fields.h"
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
  for (std::size_t i = 0; i < lightset::kFieldCount; ++i) {
    // Another process's controls give their text only when asked by message.
    const HWND control = GetDlgItem(window, editor::Main::kFieldControls[i].control);
    std::wstring text(static_cast<std::size_t>(SendMessageW(control, WM_GETTEXTLENGTH, 0, 0)),
                      L' ');
    SendMessageW(control, WM_GETTEXT, text.size() + 1, reinterpret_cast<LPARAM>(text.data()));
    std::printf("%.*s=%s\n", static_cast<int>(lightset::kFields[i].key.size()),
                lightset::kFields[i].key.data(), wintext::ToUtf8(text).c_str());
  }
  PostMessageW(window, WM_CLOSE, 0, 0);
  return 0;
}
