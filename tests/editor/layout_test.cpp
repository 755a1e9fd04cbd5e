// Both windows as laid out: the main window's every control (place, order, text and font), its
// menu, keys and pointer, and the help window's frame and place.
#include <windows.h>

#include <commctrl.h>

#include <array>
#include <cstdlib>
#include <string_view>

#include "editor/window_text.h"
#include "editor_fixture.h"
#include "version.h"

namespace editor_testing {
namespace {

struct Control {
  int id;
  const wchar_t* windowClass;
  const wchar_t* text;  // nullptr: not checked (a swatch shows its colour)
  RECT pixelsAt96;      // left, top, width, height
  int fontHundredths;   // 0: no font of its own; else regular weight
};

constexpr const wchar_t* kSwatch = L"KestruneColourSwatch";

// clang-format off
// In creation order, which is the tab order.
const Control kMainControls[] = {
    {IDC_TXTNAME, L"Edit", L"", {200, 16, 121, 25}, 975},
    {IDC_LABEL1, L"Static", L"Name of Light Setting:", {24, 16, 177, 25}, 1200},
    {IDC_LABEL2, L"Static", L"Sun Colour:", {24, 56, 89, 25}, 1200},
    {IDC_PICSUNCOL, kSwatch, L"255 255 255", {200, 48, 41, 41}, 0},
    {IDC_PICAMBCOL, kSwatch, L"255 255 255", {200, 144, 41, 41}, 0},
    {IDC_LABEL3, L"Static", L"Ambient Colour:", {24, 152, 121, 25}, 1200},
    {IDC_LABEL4, L"Static", L"Terrain Ambient Colour:", {24, 200, 169, 25}, 1200},
    {IDC_PICTERRAMBCOL, kSwatch, L"255 255 255", {200, 192, 41, 41}, 0},
    {IDC_LABEL5, L"Static", L"Sun Inclination:", {24, 240, 121, 25}, 1200},
    {IDC_LABEL6, L"Static", L"Sun Rotation:", {24, 280, 113, 25}, 1200},
    {IDC_LABEL7, L"Static", L"Sun Specular:", {24, 104, 121, 25}, 1200},
    {IDC_PICSUNSPEC, kSwatch, L"255 255 255", {200, 96, 41, 41}, 0},
    {IDC_TXTSUNINC, L"Edit", L"", {200, 240, 121, 25}, 975},
    {IDC_TXTSUNROT, L"Edit", L"", {200, 280, 121, 25}, 975},
    {IDC_CMDSAVE, L"Button", L"Save", {128, 328, 97, 33}, 825},
};
// clang-format on

int Scaled(int pixelsAt96, UINT dpi) {
  return MulDiv(pixelsAt96 * 15, static_cast<int>(dpi), 1440);
}

// Set by the run in a Wine prefix without the fonts the project's prefix copies in.
const bool withoutFonts = std::getenv("KESTRUNE_WITHOUT_FONTS") != nullptr;

// Checks a control's font: the layout's face and size where the face is there; where it is not,
// another face, no larger. Either way a label's text fits in its place, wrapped as it wraps.
void ExpectFont(HWND control, int hundredths, int weight) {
  const auto handle = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  LOGFONTW font{};
  GetObjectW(handle, sizeof font, &font);
  const int height = -MulDiv(hundredths, static_cast<int>(GetDpiForWindow(control)), 7200);
  if (withoutFonts) {
    EXPECT_STRNE(font.lfFaceName, L"MS Sans Serif");
    EXPECT_GE(font.lfHeight, height);
  } else {
    EXPECT_STREQ(font.lfFaceName, L"MS Sans Serif");
    EXPECT_EQ(font.lfHeight, height);
  }
  EXPECT_EQ(font.lfWeight, weight);
  wchar_t name[16] = {};
  GetClassNameW(control, name, 16);
  const std::wstring text = editor::WindowText(control);
  if (std::wstring_view(name) != L"Static" || text.empty()) return;
  RECT place;
  GetClientRect(control, &place);
  RECT needed{0, 0, place.right, 0};
  const HDC dc = GetDC(control);
  const HGDIOBJ old = SelectObject(dc, handle);
  DrawTextW(dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  // No word past the edge; no line cut by more than a quarter of its height.
  EXPECT_LE(needed.right, place.right) << "fits: " << testing::PrintToString(text);
  EXPECT_LE(needed.bottom, place.bottom + metrics.tmHeight / 4)
      << "fits: " << testing::PrintToString(text);
}

// Checks the main window's client area and controls as laid out for its DPI.
void ExpectLayout(HWND window) {
  const UINT dpi = GetDpiForWindow(window);
  RECT client;
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, Scaled(351, dpi));
  EXPECT_EQ(client.bottom, Scaled(371, dpi));
  HWND child = GetWindow(window, GW_CHILD);
  for (const Control& expected : kMainControls) {
    ASSERT_TRUE(child) << "missing control " << expected.id;
    SCOPED_TRACE(testing::Message() << "control " << expected.id << " at " << dpi << " dpi");
    EXPECT_EQ(GetDlgCtrlID(child), expected.id);
    wchar_t name[64] = {};
    GetClassNameW(child, name, 64);
    EXPECT_STREQ(name, expected.windowClass);
    if (expected.text) {
      EXPECT_EQ(editor::WindowText(child), expected.text);
    }
    RECT place;
    GetWindowRect(child, &place);
    MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&place), 2);
    const RECT at96 = expected.pixelsAt96;
    using Place = std::array<long, 4>;  // left, top, width, height
    EXPECT_EQ((Place{place.left, place.top, place.right - place.left, place.bottom - place.top}),
              (Place{Scaled(at96.left, dpi), Scaled(at96.top, dpi), Scaled(at96.right, dpi),
                     Scaled(at96.bottom, dpi)}));
    if (expected.fontHundredths) ExpectFont(child, expected.fontHundredths, FW_NORMAL);
    child = GetWindow(child, GW_HWNDNEXT);
  }
  EXPECT_FALSE(child) << "an unexpected control";
}

TEST_F(EditorTest, LayoutOfTheMainWindow) {
  // Set by the run that puts the system at another DPI, so that a setting Wine ignored shows.
  if (const char* expectedDpi = std::getenv("KESTRUNE_EXPECT_DPI")) {
    EXPECT_EQ(GetDpiForWindow(MainWindow()), static_cast<UINT>(std::atoi(expectedDpi)));
  }
  ExpectLayout(MainWindow());
  // Tooltips come when the pointer first does: the number boxes' and the swatches'.
  SendMessageW(MainWindow(), WM_SETCURSOR, reinterpret_cast<WPARAM>(MainWindow()),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  HWND tips = nullptr;
  while ((tips = FindWindowExW(nullptr, tips, TOOLTIPS_CLASSW, nullptr)) &&
         GetWindow(tips, GW_OWNER) != MainWindow()) {
  }
  EXPECT_EQ(SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0), 6);
  EXPECT_EQ(editor::WindowText(MainWindow()), L"Kestrune Light Editor");
  EXPECT_EQ(GetWindowLongPtrW(MainWindow(), GWL_STYLE) &
                (WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX),
            WS_SYSMENU);
  EXPECT_TRUE(GetWindowLongPtrW(MainWindow(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
  EXPECT_TRUE(SendMessageW(MainWindow(), WM_GETICON, ICON_SMALL2, 0) ||
              GetClassLongPtrW(MainWindow(), GCLP_HICONSM));

  EXPECT_EQ(GetWindowLongPtrW(Item(IDC_CMDSAVE), GWL_STYLE) & BS_DEFPUSHBUTTON, 0);

  // The swatches' pointer is the program's eyedropper.
  const auto cursor = GetClassLongPtrW(Item(IDC_PICSUNCOL), GCLP_HCURSOR);
  EXPECT_TRUE(cursor && cursor != reinterpret_cast<ULONG_PTR>(LoadCursorW(nullptr, IDC_ARROW)));

  HMENU bar = GetMenu(MainWindow()), file = GetSubMenu(bar, 0);
  wchar_t text[64];
  GetMenuStringW(bar, 0, text, 64, MF_BYPOSITION);
  std::vector<std::pair<int, std::wstring>> items = {{GetMenuItemCount(bar), text}};
  for (int i = 0; i < GetMenuItemCount(file); ++i) {
    GetMenuStringW(file, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
    items.push_back({GetMenuItemID(file, i), text});
  }
  GetMenuStringW(bar, 1, text, 64, MF_BYPOSITION);
  items.push_back({GetMenuItemID(GetSubMenu(bar, 1), 0), text});
  EXPECT_EQ(items, (decltype(items){{2, L"File"},
                                    {IDM_SAVE, L"Save\tCtrl+S"},
                                    {IDM_OPEN, L"Open\tCtrl+O"},
                                    {IDM_HELP, L"Help"},
                                    {IDM_EXIT, L"Exit"},
                                    {IDM_PREVIEW, L"View"}}));
  GetMenuStringW(GetSubMenu(bar, 1), 0, text, 64, MF_BYPOSITION);
  EXPECT_STREQ(text, L"Preview\tAlt+P");
}

TEST_F(EditorTest, LayoutOfTheHelpWindow) {
  Command(IDM_HELP);
  ASSERT_TRUE(HelpWindow());
  POINT clientOrigin{0, 0};
  ClientToScreen(HelpWindow(), &clientOrigin);
  EXPECT_EQ(clientOrigin.x, Scaled(156, GetDpiForWindow(HelpWindow())));
  EXPECT_EQ(clientOrigin.y, Scaled(129, GetDpiForWindow(HelpWindow())));
  EXPECT_EQ(editor::WindowText(HelpWindow()), L"Tolvane's Kestrune Light Editor");
  EXPECT_EQ(editor::WindowText(GetDlgItem(HelpWindow(), IDC_LBLVERSION)),
            L"Version : " + editor::NumberText(KESTRUNE_VERSION_MAJOR) + L"." +
                editor::NumberText(KESTRUNE_VERSION_MINOR));
  EXPECT_EQ(GetWindow(HelpWindow(), GW_OWNER), nullptr);
  const auto style = GetWindowLongPtrW(HelpWindow(), GWL_STYLE);
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  EXPECT_EQ(
      GetWindowLongPtrW(HelpWindow(), GWL_EXSTYLE) & (WS_EX_DLGMODALFRAME | WS_EX_ACCEPTFILES),
      WS_EX_DLGMODALFRAME)
      << "a modal frame; takes no dropped files";
  EXPECT_EQ(GetFocus(), GetDlgItem(HelpWindow(), IDOK));
  EXPECT_TRUE(SendDlgItemMessageW(HelpWindow(), IDC_PICICON, STM_GETICON, 0, 0));
  // In screen order, which a screen reader follows: the heading, the lines top to bottom, OK.
  std::vector<int> order;
  for (HWND child = GetWindow(HelpWindow(), GW_CHILD); child;
       child = GetWindow(child, GW_HWNDNEXT)) {
    order.push_back(GetDlgCtrlID(child));
    if (GetDlgCtrlID(child) != IDC_PICICON) {
      ExpectFont(child, 825, GetDlgCtrlID(child) == IDC_ABOUT_LABEL8 ? FW_BOLD : FW_NORMAL);
    }
  }
  EXPECT_EQ(order, (std::vector<int>{IDC_PICICON, IDC_LBLTITLE, IDC_LBLVERSION, IDC_ABOUT_LABEL8,
                                     IDC_ABOUT_LABEL1, IDC_ABOUT_LABEL2, IDC_ABOUT_LABEL7,
                                     IDC_ABOUT_LABEL3, IDC_ABOUT_LABEL4, IDC_ABOUT_LABEL5,
                                     IDC_ABOUT_LABEL6, IDOK}));
}

}  // namespace
}  // namespace editor_testing
