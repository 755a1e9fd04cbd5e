#include "main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>

#include "accessible_control.h"
#include "colour_swatch.h"
#include "lightset/disk_files.h"
#include "lightset/fields.h"
#include "lightset/file_reader.h"
#include "lightset/file_writer.h"
#include "resource.h"
#include "window_text.h"
#include "wintext/ansi_text.h"

namespace editor {
namespace {

constexpr wchar_t kMainClass[] = L"KestruneLightEditorMain";
constexpr wchar_t kCaption[] = L"Kestrune Light Editor";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;  // fixed, no minimise or maximise

constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;
constexpr DWORD kTextBox = WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL;
constexpr int kLabelFont = 1200, kTextBoxFont = 975, kButtonFont = 825;

// In tab order.
// clang-format off
const ControlLayout kControls[] = {
    {IDC_TXTNAME,       L"EDIT",            L"",                        kTextBox,                   WS_EX_CLIENTEDGE, {3000, 240, 1815, 375},  kTextBoxFont, FW_NORMAL, nullptr},
    {IDC_LABEL1,        L"STATIC",          L"Name of Light Setting:",  kLabel,                     0,                {360, 240, 2655, 375},   kLabelFont,   FW_NORMAL, nullptr},
    {IDC_LABEL2,        L"STATIC",          L"Sun Colour:",             kLabel,                     0,                {360, 840, 1335, 375},   kLabelFont,   FW_NORMAL, nullptr},
    {IDC_PICSUNCOL,     kColourSwatchClass, L"",                        WS_TABSTOP,                 WS_EX_CLIENTEDGE, {3000, 720, 615, 615},   0,            0,         LPSTR_TEXTCALLBACKW},
    {IDC_PICAMBCOL,     kColourSwatchClass, L"",                        WS_TABSTOP,                 WS_EX_CLIENTEDGE, {3000, 2160, 615, 615},  0,            0,         LPSTR_TEXTCALLBACKW},
    {IDC_LABEL3,        L"STATIC",          L"Ambient Colour:",         kLabel,                     0,                {360, 2280, 1815, 375},  kLabelFont,   FW_NORMAL, nullptr},
    {IDC_LABEL4,        L"STATIC",          L"Terrain Ambient Colour:", kLabel,                     0,                {360, 3000, 2535, 375},  kLabelFont,   FW_NORMAL, nullptr},
    {IDC_PICTERRAMBCOL, kColourSwatchClass, L"",                        WS_TABSTOP,                 WS_EX_CLIENTEDGE, {3000, 2880, 615, 615},  0,            0,         LPSTR_TEXTCALLBACKW},
    {IDC_LABEL5,        L"STATIC",          L"Sun Inclination:",        kLabel,                     0,                {360, 3600, 1815, 375},  kLabelFont,   FW_NORMAL, nullptr},
    {IDC_LABEL6,        L"STATIC",          L"Sun Rotation:",           kLabel,                     0,                {360, 4200, 1695, 375},  kLabelFont,   FW_NORMAL, nullptr},
    {IDC_LABEL7,        L"STATIC",          L"Sun Specular:",           kLabel,                     0,                {360, 1560, 1815, 375},  kLabelFont,   FW_NORMAL, nullptr},
    {IDC_PICSUNSPEC,    kColourSwatchClass, L"",                        WS_TABSTOP,                 WS_EX_CLIENTEDGE, {3000, 1440, 615, 615},  0,            0,         LPSTR_TEXTCALLBACKW},
    {IDC_TXTSUNINC,     L"EDIT",            L"",                        kTextBox,                   WS_EX_CLIENTEDGE, {3000, 3600, 1815, 375}, kTextBoxFont, FW_NORMAL, L"Strength of Light"},
    {IDC_TXTSUNROT,     L"EDIT",            L"",                        kTextBox,                   WS_EX_CLIENTEDGE, {3000, 4200, 1815, 375}, kTextBoxFont, FW_NORMAL, L"Number Between 0 & 360"},
    {IDC_CMDSAVE,       L"BUTTON",          L"Save",                    WS_TABSTOP | BS_PUSHBUTTON, 0,                {1920, 4920, 1455, 495}, kButtonFont,  FW_NORMAL, nullptr},
};
// clang-format on

// A text box takes at most this many characters, which is more than a name the file can hold:
// Wine's text boxes take a second for this many, and their time grows with the square of it.
constexpr std::size_t kLongestText = 32767;

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

// Each field of the table has its control, in the table's order.
static_assert(std::size(Main::kFieldControls) == lightset::kFieldCount);

Main::Main(SystemDialogs& dialogs)
    : dialogs_(dialogs),
      Cdlg(dialogs),
      preview_([this](CompassPlace place) { Compass_Moved(place); }),
      layout_(kControls, 5265, 5565) {}

Main::~Main() {
  if (hwnd_) DestroyWindow(hwnd_);
  if (accelerators_) DestroyAcceleratorTable(accelerators_);
}

bool Main::Show(HINSTANCE instance, int showCommand) {
  RegisterColourSwatchClass(instance);
  if (!accelerators_)
    accelerators_ = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
  CreateTopLevel(instance, {.className = kMainClass,
                            .iconId = IDI_APP,
                            .caption = kCaption,
                            .style = kStyle,
                            .exStyle = WS_EX_CONTROLPARENT,
                            .menu = LoadMenuW(instance, MAKEINTRESOURCEW(IDR_MAINMENU))});
  if (!hwnd_) return false;
  ShowWindow(hwnd_, showCommand);
  SetFocus(txtname);
  return true;
}

bool Main::PreTranslateMessage(MSG& message) {
  if (hwnd_ && (message.hwnd == hwnd_ || IsChild(hwnd_, message.hwnd))) {
    return TranslateAcceleratorW(hwnd_, accelerators_, &message) ||
           IsDialogMessageW(hwnd_, &message);
  }
  return about_.PreTranslateMessage(message) || preview_.PreTranslateMessage(message);
}

LRESULT Main::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnCreate();
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_NOTIFY:
      if (OnNotify(*reinterpret_cast<NMHDR*>(lParam))) return 0;
      break;
    case WM_DPICHANGED:
      OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_ACTIVATE:
      OnActivate(LOWORD(wParam) != WA_INACTIVE);
      return 0;
    case WM_CLOSE:
      Form_Close();
      return 0;
    case WM_SETCURSOR:  // the pointer over the window or any control (they pass it up)
      layout_.AddTooltips(hwnd_);
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void Main::OnDpiChanged(UINT dpi, const RECT& suggested) {
  layout_.Apply(hwnd_, dpi);
  const SIZE size = layout_.WindowSize(hwnd_, dpi);
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, size.cx, size.cy,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

// The focus goes back to the control that had it when the window was left (for a modal window,
// the help window or another program), so that what the user types next lands there.
void Main::OnActivate(bool active) {
  if (!active) {
    if (const HWND focus = GetFocus(); focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
    return;
  }
  SetFocus(lastFocus_ && IsChild(hwnd_, lastFocus_) ? lastFocus_ : txtname);
}

void Main::OnDropFiles(HDROP drop) {
  std::vector<std::wstring> paths(DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0));
  for (UINT i = 0; i < paths.size(); ++i) {
    paths[i].resize(DragQueryFileW(drop, i, nullptr, 0) + 1);
    paths[i].resize(DragQueryFileW(drop, i, paths[i].data(), static_cast<UINT>(paths[i].size())));
  }
  DragFinish(drop);
  if (MayDiscardChanges()) OpenFiles(paths);
}

void Main::OnCreate() {
  layout_.CreateControls(hwnd_);
  txtname = Control(IDC_TXTNAME);
  Picsuncol = Control(IDC_PICSUNCOL);
  Picsunspec = Control(IDC_PICSUNSPEC);
  PicAmbcol = Control(IDC_PICAMBCOL);
  Picterrambcol = Control(IDC_PICTERRAMBCOL);
  txtsuninc = Control(IDC_TXTSUNINC);
  txtsunrot = Control(IDC_TXTSUNROT);
  for (HWND box : {txtname, txtsuninc, txtsunrot})
    SendMessageW(box, EM_SETLIMITTEXT, kLongestText, 0);
  // A screen reader names each field by its label and reads a box's hint as its description; a
  // swatch is a button that chooses its colour.
  for (const FieldControl& field : kFieldControls) {
    const int id = field.control;
    const ControlLayout& layout =
        *std::find_if(std::begin(kControls), std::end(kControls),
                      [id](const ControlLayout& c) { return c.id == id; });
    std::wstring name = WindowText(Control(field.label));
    if (name.ends_with(L':')) name.pop_back();
    // A fixed tip is a box's hint; a swatch's tip shows its own text, the colour, its value.
    const bool hint = layout.tooltip && layout.tooltip != LPSTR_TEXTCALLBACKW;
    const bool swatch = layout.windowClass == kColourSwatchClass;
    Describe(Control(id), {std::move(name),
                           hint     ? layout.tooltip
                           : swatch ? kSwatchHint
                                    : L"",
                           swatch, swatch});
  }
  Describe(Control(IDC_CMDSAVE), {L"", L"", true});
  saved_ = ShownValues();
  DragAcceptFiles(hwnd_, TRUE);
  RECT place;
  GetWindowRect(hwnd_, &place);
  OnDpiChanged(GetDpiForWindow(hwnd_), place);  // laid out for the DPI it starts at
}

bool Main::OnNotify(NMHDR& header) {
  if (header.code != TTN_GETDISPINFOW) return false;
  // A swatch's tooltip is its colour, read when shown so that it is always current: "R G B" as
  // the file holds it, and #RRGGBB as other programs give colours.
  auto& info = reinterpret_cast<NMTTDISPINFOW&>(header);
  const auto swatch = reinterpret_cast<HWND>(header.idFrom);
  const lightset::ColourRef colour = GetSwatchColour(swatch);
  constexpr wchar_t kHex[] = L"0123456789ABCDEF";
  std::wstring text = WindowText(swatch) + L" (#";
  for (const int shift : {0, 8, 16})
    text += {kHex[(colour >> (shift + 4)) & 15], kHex[(colour >> shift) & 15]};
  text += L")";
  text.copy(info.szText, ARRAYSIZE(info.szText) - 1);
  info.szText[std::min<std::size_t>(text.size(), ARRAYSIZE(info.szText) - 1)] = L'\0';
  return true;
}

void Main::OnCommand(int id, int code) {
  // A menu item arrives with code 0 and its shortcut key with 1: either runs the command.
  constexpr int kMenuOrKey = -1;
  static constexpr struct {
    int id;
    int code;
    void (Main::*handler)();
  } kHandlers[] = {
      {IDC_CMDSAVE, BN_CLICKED, &Main::Cmdsave_Click},
      {IDM_SAVE, kMenuOrKey, &Main::Save_Click},
      {IDM_OPEN, kMenuOrKey, &Main::Open_Click},
      {IDM_HELP, kMenuOrKey, &Main::Help_Click},
      {IDM_EXIT, kMenuOrKey, &Main::Exit_Click},
      {IDM_PREVIEW, kMenuOrKey, &Main::Preview_Click},
      {IDC_TXTNAME, EN_CHANGE, &Main::Value_Change},
      {IDC_TXTSUNINC, EN_CHANGE, &Main::Value_Change},
      {IDC_TXTSUNROT, EN_CHANGE, &Main::Value_Change},
      {IDC_PICSUNCOL, kSwatchChanged, &Main::Value_Change},
      {IDC_PICSUNSPEC, kSwatchChanged, &Main::Value_Change},
      {IDC_PICAMBCOL, kSwatchChanged, &Main::Value_Change},
      {IDC_PICTERRAMBCOL, kSwatchChanged, &Main::Value_Change},
      {IDC_PICSUNCOL, STN_CLICKED, &Main::Picsuncol_Click},
      {IDC_PICSUNSPEC, STN_CLICKED, &Main::Picsunspec_Click},
      {IDC_PICAMBCOL, STN_CLICKED, &Main::PicAmbcol_Click},
      {IDC_PICTERRAMBCOL, STN_CLICKED, &Main::Picterrambcol_Click},
  };
  for (const auto& handler : kHandlers) {
    if (handler.id == id && (handler.code == kMenuOrKey || handler.code == code))
      return (this->*handler.handler)();
  }
}

void Main::Cmdsave_Click() { SaveCommand(); }
void Main::Save_Click() { SaveCommand(); }
void Main::Picsuncol_Click() { PickSwatchColour(Picsuncol); }
void Main::Picsunspec_Click() { PickSwatchColour(Picsunspec); }
void Main::PicAmbcol_Click() { PickSwatchColour(PicAmbcol); }
void Main::Picterrambcol_Click() { PickSwatchColour(Picterrambcol); }

void Main::Help_Click() {
  about_.Show(reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE)));
}

void Main::Exit_Click() {
  // Closes the windows at once; the last one gone ends the program. Changed values are not
  // discarded without asking.
  if (!MayDiscardChanges()) return;
  if (about_.Window()) DestroyWindow(about_.Window());
  DestroyWindow(hwnd_);
}

void Main::Form_Close() {
  if (MayDiscardChanges()) DestroyWindow(hwnd_);
}

void Main::Preview_Click() {
  preview_.Update(ShownSetting());
  preview_.Show(hwnd_);
}

// Every change of a value redraws the picture at once, while it is open, and marks the caption.
void Main::Value_Change() {
  if (preview_.Window()) preview_.Update(ShownSetting());
  ShowCaption();
}

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
void Main::Compass_Moved(CompassPlace place) {
  SetWindowTextW(txtsuninc, NumberText(place.height).c_str());
  SetWindowTextW(txtsunrot, NumberText(place.bearing).c_str());
}

lightset::LightSetting Main::ShownSetting() const {
  lightset::LightSetting setting;
  for (std::size_t i = 0; i < lightset::kFieldCount; ++i) {
    const lightset::Field& field = lightset::kFields[i];
    const HWND control = Control(kFieldControls[i].control);
    if (field.kind == lightset::FieldKind::Colour)
      setting.*field.text = lightset::ColourText(GetSwatchColour(control));
    else
      setting.*field.text = wintext::ToAnsi(WindowText(control)).value_or("");
  }
  return setting;
}

void Main::Tell(const std::wstring& text, UINT icon) {
  dialogs_.ShowMessage(hwnd_, text, kCaption, MB_OK | icon);
}

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

void Main::PickSwatchColour(HWND swatch) {
  const lightset::ColourRef picked = dialogs_.PickColour(hwnd_, GetSwatchColour(swatch));
  if (picked != -1) SetSwatchColour(swatch, picked);
}

}  // namespace editor
