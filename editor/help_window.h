// frmAbout: the help and about window. One instance at a time, modeless, without an owner, at
// a fixed place on the screen.
#pragma once

#include "base_window.h"
#include "layout.h"

namespace editor {

class frmAbout : public BaseWindow<frmAbout> {
 public:
  frmAbout();
  ~frmAbout();

  // Creates and shows the window, or brings the open one to the front.
  void Show(HINSTANCE instance);
  // Enter, Esc and Tab for the window; true when the message was one of its own.
  bool PreTranslateMessage(MSG& message);

 private:
  friend class BaseWindow<frmAbout>;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void LayOut(UINT dpi);
  void Form_Load();
  void cmdOK_Click();
  void PaintSeparator();

  FormLayout layout_;
  UINT dpi_ = 96;
  HWND cmdOK = nullptr;
  HWND picIcon = nullptr;
  HWND lblTitle = nullptr;
  HWND lblVersion = nullptr;
};

}  // namespace editor
