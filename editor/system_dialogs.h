// The system dialogs the main window's commands run, behind one interface that tests replace.
#pragma once

#include <windows.h>

#include <string>

#include "lightset/light_setting.h"

namespace editor {

class SystemDialogs {
 public:
  virtual ~SystemDialogs() = default;

  // The open-file dialog. Returns the chosen file's full path, or empty text when cancelled.
  virtual std::wstring ShowOpenDialog(const std::wstring& title, const std::wstring& pattern,
                                      HWND owner) = 0;
  // The colour chooser, starting on initialColour with a fresh all-black custom-colour table.
  // Returns the chosen colour, or -1 when cancelled.
  virtual lightset::ColourRef PickColour(HWND owner, lightset::ColourRef initialColour) = 0;
  // The save-file dialog proposing fileName. Returns true and sets fileName to the chosen path
  // when the user confirms; returns false and leaves it when cancelled.
  virtual bool ShowSaveDialog(HWND owner, std::wstring& fileName, const std::wstring& filter) = 0;
  // A message box; returns the button pressed (IDOK, IDYES, IDNO).
  virtual int ShowMessage(HWND owner, const std::wstring& text, const std::wstring& title,
                          UINT type) = 0;
  // Asks "Do you want to save changes to <name>?" with Save, Don't Save and Cancel. Returns
  // IDYES, IDNO or IDCANCEL.
  virtual int AskToSaveChanges(HWND owner, const std::wstring& name) = 0;
};

// The system's own dialogs.
SystemDialogs& WindowsDialogs();

// The edit control in which a file dialog takes the file name.
HWND FileNameEdit(HWND dialog);

// The main window's save dialog: the file name it proposes and returns, and its filter.
class CommonDialog {
 public:
  explicit CommonDialog(SystemDialogs& dialogs) : dialogs_(dialogs) {}

  std::wstring FileName;
  std::wstring Filter;

  // Runs the save dialog. Returns false, FileName unchanged, when the user cancels.
  bool ShowSave(HWND owner) { return dialogs_.ShowSaveDialog(owner, FileName, Filter); }

 private:
  SystemDialogs& dialogs_;
};

}  // namespace editor
