// Main's work on files and on what they hold: Save, Open and the files handed over, the caption
// that names the file, and the question before typed work would be lost.
#include <algorithm>
#include <cwchar>

#include "colour_swatch.h"
#include "lightset/disk_files.h"
#include "lightset/fields.h"
#include "lightset/file_reader.h"
#include "lightset/file_writer.h"
#include "main_window.h"
#include "window_text.h"
#include "wintext/ansi_text.h"

namespace editor {
namespace {

// The name of the lighting set as a file name for the save dialog to propose: without what no
// file name may hold (control characters and < > : " / \ | ? *, blanks and dots at its end), no
// longer than a file name may be with ".lgt" added, and empty when it would name a device.
std::wstring ProposedFileName(std::wstring name) {
  std::erase_if(name, [](wchar_t c) { return c < 32 || std::wcschr(L"<>:\"/\\|?*", c); });
  name.resize(std::min<std::size_t>(name.size(), 255 - 4));
  while (!name.empty() && (name.back() == L' ' || name.back() == L'.')) name.pop_back();
  std::wstring device = name.substr(0, name.find(L'.'));
  while (!device.empty() && device.back() == L' ') device.pop_back();
  for (wchar_t& c : device) c = c >= L'a' && c <= L'z' ? c - L'a' + L'A' : c;
  const bool numbered = device.size() == 4 &&
                        (device.starts_with(L"COM") || device.starts_with(L"LPT")) &&
                        device[3] >= L'1' && device[3] <= L'9';
  const bool named = device == L"CON" || device == L"PRN" || device == L"AUX" || device == L"NUL";
  return numbered || named ? std::wstring() : name;
}

// Appends ".lgt" unless the chosen name already ends in it, in any letter case.
std::wstring WithLgtExtension(std::wstring path) {
  constexpr std::wstring_view kExtension = L".lgt";
  bool hasExtension = path.size() >= kExtension.size();
  for (std::size_t i = 0; hasExtension && i < kExtension.size(); ++i) {
    const wchar_t c = path[path.size() - kExtension.size() + i];
    hasExtension = (c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c) == kExtension[i];
  }
  return hasExtension ? path : path + std::wstring(kExtension);
}

// The last part of a path: its file's name.
std::wstring FileNameOf(const std::wstring& path) {
  return path.substr(path.find_last_of(L"\\/") + 1);
}

}  // namespace

std::vector<std::wstring> Main::ShownValues() const {
  std::vector<std::wstring> values;
  for (const FieldControl& field : kFieldControls)
    values.push_back(WindowText(Control(field.control)));
  return values;
}

void Main::Saved(const std::wstring& file) {
  file_ = file;
  saved_ = ShownValues();
  ShowCaption();
}

void Main::ShowCaption() {
  if (saved_.empty()) return;  // still being made
  std::wstring caption = Changed() ? L"*" : L"";
  if (!file_.empty()) caption += FileNameOf(file_) + L" - ";
  caption += kCaption;
  if (caption == WindowText(hwnd_)) return;
  SetWindowTextW(hwnd_, caption.c_str());
  NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, hwnd_, OBJID_WINDOW, CHILDID_SELF);
}

bool Main::MayDiscardChanges() {
  if (!Changed()) return true;
  switch (dialogs_.AskToSaveChanges(hwnd_, file_.empty() ? L"Untitled" : FileNameOf(file_))) {
    case IDYES:
      return SaveCommand();
    case IDNO:
      return true;
    default:
      return false;
  }
}

// The compass writes whole degrees into the boxes, which stay the only store of the angles.
bool Main::SaveCommand() {
  lightset::LightSetting setting;
  const lightset::Field* notAnsi = nullptr;  // a text the code page cannot hold
  bool numbers = true;                       // a number is ANSI text that passes the numeric test
  for (std::size_t i = 0; i < lightset::kFieldCount; ++i) {
    const lightset::Field& field = lightset::kFields[i];
    const HWND control = Control(kFieldControls[i].control);
    if (field.kind == lightset::FieldKind::Colour) {
      setting.*field.text = lightset::ColourText(GetSwatchColour(control));
    } else if (auto text = wintext::ToAnsi(WindowText(control))) {
      setting.*field.text = std::move(*text);
    } else if (field.kind == lightset::FieldKind::Number) {
      numbers = false;
    } else if (!notAnsi) {
      notAnsi = &field;
    }
  }
  if (!numbers || lightset::CheckNumbers(setting)) {
    dialogs_.ShowMessage(hwnd_, wintext::FromUtf8(lightset::kNumbersOnly),
                         wintext::FromUtf8(lightset::kNumbersOnlyTitle), MB_OK);
    return false;
  }
  std::wstring refused;
  if (notAnsi) {
    refused = L"the " + wintext::FromUtf8(notAnsi->label) +
              L" holds characters that the system's ANSI code page cannot hold, so the file could "
              L"not carry them";
  } else if (const auto refusal = lightset::CheckLightSetting(setting)) {
    refused = wintext::FromUtf8(refusal->reason);
  }
  if (!refused.empty()) {
    Tell(L"The lighting set cannot be saved: " + refused + L".", MB_ICONEXCLAMATION);
    return false;
  }
  return SaveLightFile(setting);
}

bool Main::SaveLightFile(const lightset::LightSetting& setting) {
  Cdlg.FileName = ProposedFileName(WindowText(txtname));
  Cdlg.Filter = L".LGT";
  if (!Cdlg.ShowSave(hwnd_)) return false;
  const std::wstring path = WithLgtExtension(Cdlg.FileName);
  if (lightset::PathExists(path) &&
      dialogs_.ShowMessage(hwnd_, path + L" already exists.\nDo you want to replace it?",
                           L"Confirm Save As",
                           MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES) {
    return false;
  }
  if (const auto failure = lightset::WriteLightFile(path, setting)) {
    Tell(L"The lighting set could not be saved.\n\n" + wintext::FromUtf8(failure->message),
         MB_ICONERROR);
    return false;
  }
  Saved(path);
  return true;
}

void Main::Open_Click() {
  if (!MayDiscardChanges()) return;
  const std::wstring path = dialogs_.ShowOpenDialog(L"Open LGT", L"*.Lgt", hwnd_);
  if (!path.empty()) OpenFiles({path});
}

void Main::OpenFiles(const std::vector<std::wstring>& paths) {
  // The first that opens is the lighting set; the user is told what became of every other, the
  // first few by name, so that the message fits on the screen however many there were.
  constexpr std::size_t kNamed = 4;
  std::wstring opened, notOpened;
  std::size_t notOpenedCount = 0;
  bool failed = false;
  for (const std::wstring& path : paths) {
    std::optional<std::wstring> why;
    if (!opened.empty())
      why = path + L": not opened, as one lighting set is open at a time";
    else if (path.empty())
      why = L"(an empty name): not a file name";
    else
      why = OpenLightFile(path);
    if (!why) {
      opened = path;
      Saved(path);
      continue;
    }
    if (++notOpenedCount <= kNamed) notOpened += L"\n\n" + *why;
    failed = failed || opened.empty();
  }
  if (notOpenedCount == 0) return;
  if (notOpenedCount > kNamed)
    notOpened += L"\n\nand " + NumberText(notOpenedCount - kNamed) + L" others";
  if (opened.empty()) {
    Tell((paths.size() == 1
              ? std::wstring(L"The lighting set could not be opened")
              : L"None of the " + NumberText(paths.size()) + L" files could be opened") +
             L"; nothing was changed." + notOpened,
         MB_ICONERROR);
  } else {
    Tell(L"Kestrune Light Editor holds one lighting set at a time. It opened\n\n" + opened +
             L"\n\nand not:" + notOpened,
         failed ? MB_ICONWARNING : MB_ICONINFORMATION);
  }
}

std::optional<std::wstring> Main::OpenLightFile(const std::wstring& path) {
  lightset::LoadedLightSetting loaded;
  if (const auto error = lightset::LoadLightFile(path, loaded)) {
    std::wstring where = path;
    if (error->Line) where += L"\nLine " + NumberText(error->Line);
    return where + L": " + wintext::FromUtf8(error->Message);
  }
  for (std::size_t i = 0; i < lightset::kFieldCount; ++i) {
    const lightset::Field& field = lightset::kFields[i];
    if (!loaded.lines[i] || field.kind == lightset::FieldKind::Colour) continue;
    const std::size_t length = wintext::FromAnsi(loaded.values.*field.text).size();
    if (length > kLongestText) {
      return path + L"\nLine " + NumberText(loaded.lines[i]) + L": the " +
             wintext::FromUtf8(field.label) + L" holds " + NumberText(length) +
             L" characters; its box takes at most " + NumberText(kLongestText);
    }
  }
  Apply(loaded);
  return std::nullopt;
}

void Main::Apply(const lightset::LoadedLightSetting& loaded) {
  std::wstring inexact;  // the texts the code page cannot show as the file holds them
  for (std::size_t i = 0; i < lightset::kFieldCount; ++i) {
    const lightset::Field& field = lightset::kFields[i];
    const std::string& value = loaded.values.*field.text;
    if (!loaded.lines[i]) continue;
    const HWND control = Control(kFieldControls[i].control);
    if (field.kind == lightset::FieldKind::Colour) {
      SetSwatchColour(control, *lightset::ParseColourText(value));
      continue;
    }
    SetWindowTextW(control, wintext::FromAnsi(value).c_str());
    if (!wintext::ShowsExactly(value))
      inexact +=
          L"\nLine " + NumberText(loaded.lines[i]) + L": the " + wintext::FromUtf8(field.label);
  }
  if (!inexact.empty()) {
    Tell(L"The lighting set was opened, but the system's code page (" + NumberText(GetACP()) +
             L") cannot show all of its text exactly:\n" + inexact +
             L"\n\nThe boxes show the nearest text the code page has. Saving writes that text, "
             L"which differs from what the file holds.",
         MB_ICONWARNING);
  }
}

}  // namespace editor
