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

void Main::PickSwatchColour(HWND swatch) {
  const lightset::ColourRef picked = dialogs_.PickColour(hwnd_, GetSwatchColour(swatch));
  if (picked != -1) SetSwatchColour(swatch, picked);
}

}  // namespace editor
