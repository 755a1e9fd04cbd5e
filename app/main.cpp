// Kestrune Light Editor: shows the main window, opens a file named on the command line, and
// runs the message loop until the last window is closed.
#include <windows.h>

#include <commctrl.h>

#include <cstdlib>

#include "editor/command_line.h"
#include "editor/main_window.h"
#include "lightset/error_text.h"
#include "wintext/ansi_text.h"

#ifdef __GLIBCXX__
// The GNU C++ library's own handler for an exception nothing caught prints the exception's type,
// demangled, which brings a demangler and printf (a fifth of this program's size) into a program
// that has no console to print on. Nothing escapes the program's own code; should anything, it
// ends as plainly.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }  // NOLINT(bugprone-reserved-identifier)
}  // namespace __gnu_cxx
#endif

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  // The manifest asks for per-monitor DPI awareness; this covers systems that ignore it there.
  // Where neither is supported (Wine) the window is laid out for the system DPI instead.
  SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
  const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);

  editor::Main window(editor::WindowsDialogs());
  if (!window.Show(instance, showCommand)) {
    const std::wstring why = L"Kestrune Light Editor could not make its window: " +
                             wintext::FromUtf8(lightset::SystemReason(GetLastError())) + L".";
    MessageBoxW(nullptr, why.c_str(), L"Kestrune Light Editor", MB_OK | MB_ICONERROR);
    return 1;
  }
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
