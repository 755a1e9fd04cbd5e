#include "system_dialogs.h"

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>

#include "lightset/running_under_wine.h"
#include "system_library.h"

namespace editor {

// The name box is an extended combo box, a combo box or an edit control, depending on the system.
HWND FileNameEdit(HWND dialog) {
  const HWND box = GetDlgItem(dialog, cmb13);
  if (!box) return GetDlgItem(dialog, edt1);
  if (const auto edit = reinterpret_cast<HWND>(SendMessageW(box, CBEM_GETEDITCONTROL, 0, 0)))
    return edit;
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  return GetComboBoxInfo(box, &info) ? info.hwndItem : box;
}

namespace {

// The common dialog library is loaded when a dialog is first shown, not with the program: with
// the printing libraries it brings, it would be a good part of the time to a ready window.
template <class Function>
Function* CommonDialogs(const char* name) {
  return SystemFunction<Function>(L"comdlg32.dll", name);
}

// Room for the longest path the system takes (\\?\ paths of 32,767 characters).
constexpr DWORD kPathBuffer = 32768;

// "(pattern)" NUL pattern NUL: one entry that shows the pattern as its description.
std::wstring FilterList(const std::wstring& pattern) {
  std::wstring list = L"(" + pattern + L")";
  list += L'\0';
  list += pattern;
  list += L'\0';
  return list;
}

// Wine's file dialogs copy their folder and the name typed into fixed buffers of MAX_PATH
// characters: a longer path, typed or started in, crashes the program and loses what the window
// held. There the dialog starts in a folder it can hold and its name box takes only what fits
// beside the folder shown; Windows' own dialogs take any length and are left as they are.
bool DialogsNeedShortPaths() { return lightset::RunningUnderWine(); }

UINT_PTR CALLBACK FitNameToFolder(HWND child, UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_NOTIFY) return 0;
  const UINT code = reinterpret_cast<const NMHDR*>(lParam)->code;
  if (code != CDN_INITDONE && code != CDN_FOLDERCHANGE) return 0;
  const HWND dialog = GetParent(child);
  wchar_t folder[MAX_PATH];
  const auto folderSize = SendMessageW(dialog, CDM_GETFOLDERPATH, MAX_PATH,
                                       reinterpret_cast<LPARAM>(folder));  // with its NUL
  // Room for the folder, a backslash and the name within MAX_PATH - 1 characters.
  const auto room = static_cast<int>(std::max<LRESULT>(1, MAX_PATH - 1 - folderSize));
  const HWND box = FileNameEdit(dialog);
  SendMessageW(box, EM_LIMITTEXT, static_cast<WPARAM>(room), 0);
  if (GetWindowTextLengthW(box) > room) SetWindowTextW(box, L"");  // a name that cannot fit
  return 0;
}

// Sets what the dialog needs for paths of any length on this system.
void FitPathsToTheDialog(OPENFILENAMEW& request, std::wstring& startFolder) {
  if (!DialogsNeedShortPaths()) return;
  request.Flags |= OFN_ENABLEHOOK;
  request.lpfnHook = FitNameToFolder;
  startFolder.assign(GetCurrentDirectoryW(0, nullptr), L'\0');
  startFolder.resize(
      GetCurrentDirectoryW(static_cast<DWORD>(startFolder.size()), startFolder.data()));
  if (startFolder.size() < MAX_PATH - 1) return;  // the system's choice is fine
  while (startFolder.size() >= MAX_PATH - 1) startFolder.resize(startFolder.find_last_of(L'\\'));
  request.lpstrInitialDir = startFolder.c_str();
}

class Win32Dialogs final : public SystemDialogs {
 public:
  std::wstring ShowOpenDialog(const std::wstring& title, const std::wstring& pattern,
                              HWND owner) override {
    const std::wstring filter = FilterList(pattern);
    std::wstring file(kPathBuffer, L'\0');
    OPENFILENAMEW request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.hInstance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE));
    request.lpstrFilter = filter.c_str();
    request.lpstrFile = file.data();
    request.nMaxFile = kPathBuffer;
    request.lpstrTitle = title.c_str();
    // The file need not exist: a mistyped name is reported when it is read.
    request.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    std::wstring startFolder;
    FitPathsToTheDialog(request, startFolder);
    const auto open = CommonDialogs<decltype(GetOpenFileNameW)>("GetOpenFileNameW");
    if (!open || !open(&request)) return {};
    file.resize(file.find(L'\0'));  // the path ends at the first NUL
    return file;
  }

  lightset::ColourRef PickColour(HWND owner, lightset::ColourRef initialColour) override {
    COLORREF customColours[16] = {};  // made anew each time: nothing is kept between picks
    CHOOSECOLORW request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.rgbResult = static_cast<COLORREF>(initialColour);
    request.lpCustColors = customColours;
    request.Flags = CC_RGBINIT | CC_FULLOPEN;
    const auto choose = CommonDialogs<decltype(ChooseColorW)>("ChooseColorW");
    if (!choose || !choose(&request)) return -1;
    return static_cast<lightset::ColourRef>(request.rgbResult);
  }

  bool ShowSaveDialog(HWND owner, std::wstring& fileName, const std::wstring& filter) override {
    // The filter names an extension, as ".LGT" does.
    const std::wstring list = FilterList(L"*" + filter);
    std::wstring file(kPathBuffer, L'\0');
    fileName.copy(file.data(), std::min<std::size_t>(fileName.size(), kPathBuffer - 1));
    OPENFILENAMEW request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.lpstrFilter = list.c_str();
    request.lpstrFile = file.data();
    request.nMaxFile = kPathBuffer;
    request.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    std::wstring startFolder;
    FitPathsToTheDialog(request, startFolder);
    const auto save = CommonDialogs<decltype(GetSaveFileNameW)>("GetSaveFileNameW");
    if (!save || !save(&request)) return false;
    file.resize(file.find(L'\0'));
    fileName = std::move(file);
    return true;
  }

  int ShowMessage(HWND owner, const std::wstring& text, const std::wstring& title,
                  UINT type) override {
    return MessageBoxW(owner, text.c_str(), title.c_str(), type);
  }

  // A task dialog, as Windows' editors ask; a message box of Yes, No and Cancel where the
  // system's controls have none.
  int AskToSaveChanges(HWND owner, const std::wstring& name) override {
    const std::wstring question = L"Do you want to save changes to " + name + L"?";
    const auto ask =
        SystemFunction<decltype(TaskDialogIndirect)>(L"comctl32.dll", "TaskDialogIndirect");
    if (!ask) return MessageBoxW(owner, question.c_str(), kTitle, MB_YESNOCANCEL | MB_ICONWARNING);
    const TASKDIALOG_BUTTON buttons[] = {{IDYES, L"&Save"}, {IDNO, L"Do&n't Save"}};
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    config.hwndParent = owner;
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
    config.dwCommonButtons = TDCBF_CANCEL_BUTTON;
    config.pszWindowTitle = kTitle;
    config.pszMainInstruction = question.c_str();
    config.cButtons = ARRAYSIZE(buttons);
    config.pButtons = buttons;
    config.nDefaultButton = IDYES;
    int pressed = IDCANCEL;
    return SUCCEEDED(ask(&config, &pressed, nullptr, nullptr)) ? pressed : IDCANCEL;
  }

 private:
  static constexpr const wchar_t* kTitle = L"Kestrune Light Editor";
};

// Made before the program starts, not at first use, where the compiler would add a thread-safe
// guard and with it the pthread library.
Win32Dialogs theWindowsDialogs;

}  // namespace

SystemDialogs& WindowsDialogs() { return theWindowsDialogs; }

}  // namespace editor
