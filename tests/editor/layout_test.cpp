// Both windows as laid out: the main window's every control (place, order, text and font), its
// menu, keys and pointer, and the help window's frame and place.
#include <windows.h>

#include <commctrl.h>

#include <array>
#include <cstdlib>

#include "editor/window_text.h"
#include "editor_fixture.h"

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
    if (expected.fontHundredths) {
      LOGFONTW font{};
      GetObjectW(reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)), sizeof font,
                 &font);
      EXPECT_STREQ(font.lfFaceName, L"MS Sans Serif");
      EXPECT_EQ(font.lfHeight, -MulDiv(expected.fontHundredths, static_cast<int>(dpi), 7200));
      EXPECT_EQ(font.lfWeight, FW_NORMAL);
    }
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
  EXPECT_EQ(items, (decltype(items){{1, L"File"},
                                    {IDM_SAVE, L"Save\tCtrl+S"},
                                    {IDM_OPEN, L"Open\tCtrl+O"},
                                    {IDM_HELP, L"Help"},
                                    {IDM_EXIT, L"Exit"}}));
}

TEST_F(EditorTest, LayoutOfTheHelpWindow) {
  Command(IDM_HELP);
  ASSERT_TRUE(HelpWindow());
  POINT clientOrigin{0, 0};
  ClientToScreen(HelpWindow(), &clientOrigin);
  EXPECT_EQ(clientOrigin.x, Scaled(156, GetDpiForWindow(HelpWindow())));
  EXPECT_EQ(clientOrigin.y, Scaled(129, GetDpiForWindow(HelpWindow())));
  EXPECT_EQ(editor::WindowText(HelpWindow()), L"Tolvane's Kestrune Light Editor");
  EXPECT_EQ(editor::WindowText(GetDlgItem(HelpWindow(), IDC_LBLVERSION)), L"Version : 1.1");
  EXPECT_EQ(GetWindow(HelpWindow(), GW_OWNER), nullptr);
  const auto style = GetWindowLongPtrW(HelpWindow(), GWL_STYLE);
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  EXPECT_EQ(
      GetWindowLongPtrW(HelpWindow(), GWL_EXSTYLE) & (WS_EX_DLGMODALFRAME | WS_EX_ACCEPTFILES),
      WS_EX_DLGMODALFRAME)
      << "a modal frame; takes no dropped files";
  EXPECT_EQ(GetFocus(), GetDlgItem(HelpWindow(), IDOK));
  EXPECT_TRUE(SendDlgItemMessageW(HelpWindow(), IDC_PICICON, STM_GETICON, 0, 0));
}

}  // namespace
}  // namespace editor_testing
