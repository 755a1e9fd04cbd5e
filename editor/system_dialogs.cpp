#include "system_dialogs.h"

#include <cderr.h>
#include <commdlg.h>

namespace editor {
namespace {

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
    if (!GetOpenFileNameW(&request)) return {};
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
    if (!ChooseColorW(&request)) return -1;
    return static_cast<lightset::ColourRef>(request.rgbResult);
  }

  bool ShowSaveDialog(HWND owner, std::wstring& fileName, const std::wstring& filter) override {
    // A filter without a "|" separator names an extension, as ".LGT" does.
    const std::wstring list =
        filter.find(L'|') == std::wstring::npos ? FilterList(L"*" + filter) : filter;
    std::wstring proposed = fileName.substr(0, kPathBuffer - 1);
    for (int attempt = 0; attempt < 2; ++attempt) {
      std::wstring file(kPathBuffer, L'\0');
      proposed.copy(file.data(), proposed.size());
      OPENFILENAMEW request{};
      request.lStructSize = sizeof request;
      request.hwndOwner = owner;
      request.lpstrFilter = list.c_str();
      request.lpstrFile = file.data();
      request.nMaxFile = kPathBuffer;
      request.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
      if (GetSaveFileNameW(&request)) {
        file.resize(file.find(L'\0'));
        fileName = std::move(file);
        return true;
      }
      // A proposed name that is no valid file name (a setting named "a:b") stops the dialog
      // from opening at all; open it again without one.
      if (CommDlgExtendedError() != FNERR_INVALIDFILENAME) return false;
      proposed.clear();
    }
    return false;
  }

  int ShowMessage(HWND owner, const std::wstring& text, const std::wstring& title,
                  UINT type) override {
    return MessageBoxW(owner, text.c_str(), title.c_str(), type);
  }
};

}  // namespace

SystemDialogs& WindowsDialogs() {
  static Win32Dialogs dialogs;
  return dialogs;
}

}  // namespace editor
