// Kestrune Light Editor: shows the main window, opens a file named on the command line, and
// runs the message loop until the last window is closed.
#include <windows.h>

#include <commctrl.h>

#include "editor/command_line.h"
#include "editor/main_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  // The manifest asks for per-monitor DPI awareness; this covers systems that ignore it there.
  // Where neither is supported (Wine) the window is laid out for the system DPI instead.
  SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
  const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);

  editor::Main window(editor::WindowsDialogs());
  window.Show(instance, showCommand);
  window.OpenFiles(editor::FilesToOpen(GetCommandLineW()));
  // The program ends when its last window is gone: the help window may outlive the main one.
  MSG message;
  while (window.IsOpen() && GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (window.PreTranslateMessage(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
