// Main: the editing window. Its controls are the only store of the lighting set being edited;
// its commands turn them into calls of the core and of the system dialogs.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <optional>
#include <string>
#include <vector>

#include "base_window.h"
#include "help_window.h"
#include "layout.h"
#include "preview_window.h"
#include "resource.h"
#include "system_dialogs.h"

namespace lightset {
struct LoadedLightSetting;
struct LightSetting;
}  // namespace lightset

namespace editor {

class Main : public BaseWindow<Main> {
 public:
  // The control that shows each field of a lighting set, in the order of lightset::kFields, and
  // the label that names it.
  struct FieldControl {
    int control, label;
  };
  static constexpr FieldControl kFieldControls[] = {
      {IDC_TXTNAME, IDC_LABEL1},   {IDC_PICSUNCOL, IDC_LABEL2},     {IDC_PICSUNSPEC, IDC_LABEL7},
      {IDC_PICAMBCOL, IDC_LABEL3}, {IDC_PICTERRAMBCOL, IDC_LABEL4}, {IDC_TXTSUNINC, IDC_LABEL5},
      {IDC_TXTSUNROT, IDC_LABEL6}};

  // A text box takes at most this many characters, which is more than a name the file can hold:
  // Wine's text boxes take a second for this many, and their time grows with the square of it.
  static constexpr std::size_t kLongestText = 32767;
  static constexpr wchar_t kCaption[] = L"Kestrune Light Editor";

  explicit Main(SystemDialogs& dialogs);
  ~Main();

  // Creates the window and its controls and shows it. Returns false, with the system's error
  // code set, when the window cannot be made.
  bool Show(HINSTANCE instance, int showCommand);
  // Shortcut keys and dialog navigation for both windows; true when the message was handled.
  bool PreTranslateMessage(MSG& message);
  // Opens the first of paths that opens, as File > Open opens the file chosen, and says which
  // and why the others were not (one lighting set is open at a time). Paths come from the open
  // dialog, the command line or a drop.
  void OpenFiles(const std::vector<std::wstring>& paths);
  frmAbout& HelpWindow() { return about_; }
  PreviewWindow& Preview() { return preview_; }
  // True while the main window or the help window is open.
  bool IsOpen() const { return hwnd_ || about_.Window(); }

 private:
  friend class BaseWindow<Main>;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnCreate();
  bool OnNotify(NMHDR& header);
  void OnCommand(int id, int code);
  void OnDpiChanged(UINT dpi, const RECT& suggested);
  void OnDropFiles(HDROP drop);
  void OnActivate(bool active);

  void Cmdsave_Click();
  void Save_Click();
  void Open_Click();
  void Picsuncol_Click();
  void Picsunspec_Click();
  void PicAmbcol_Click();
  void Picterrambcol_Click();
  void Help_Click();
  void Exit_Click();
  void Preview_Click();
  void Value_Change();
  void Form_Close();
  void Compass_Moved(CompassPlace place);

  // Saves as the Save button does; returns true when the file was written.
  bool SaveCommand();
  // The setting the controls show, as far as it can be had: a number the code page cannot hold
  // is left empty.
  lightset::LightSetting ShownSetting() const;
  bool SaveLightFile(const lightset::LightSetting& setting);
  // The values as the controls show them (the swatches' as "R G B"), to tell whether they changed.
  std::vector<std::wstring> ShownValues() const;
  // Whether the values differ from those last opened or saved (at start, the empty window's).
  bool Changed() const { return ShownValues() != saved_; }
  // Takes the values shown as opened from or saved to file.
  void Saved(const std::wstring& file);
  // "[*][<file name> - ]Kestrune Light Editor", told to a screen reader when it changes.
  void ShowCaption();
  // When the values changed, asks whether to save them first. Returns false to stop what was
  // about to replace or discard them: the user cancelled, or the save did not happen.
  bool MayDiscardChanges();
  void PickSwatchColour(HWND swatch);
  // Reads path into the window; returns nothing, or why nothing was changed.
  std::optional<std::wstring> OpenLightFile(const std::wstring& path);
  void Apply(const lightset::LoadedLightSetting& loaded);
  void Tell(const std::wstring& text, UINT icon);
  HWND Control(int id) const { return GetDlgItem(hwnd_, id); }

  SystemDialogs& dialogs_;
  // The controls the commands read and set; the labels and the Save button need no handle.
  HWND txtname = nullptr;
  HWND Picsuncol = nullptr;
  HWND Picsunspec = nullptr;
  HWND PicAmbcol = nullptr;
  HWND Picterrambcol = nullptr;
  HWND txtsuninc = nullptr;
  HWND txtsunrot = nullptr;
  CommonDialog Cdlg;
  frmAbout about_;
  PreviewWindow preview_;
  std::wstring file_;                // the file last opened or saved; empty: none
  std::vector<std::wstring> saved_;  // the values then
  FormLayout layout_;
  HACCEL accelerators_ = nullptr;
  HWND lastFocus_ = nullptr;  // the control that had the focus when the window was left
};

}  // namespace editor
