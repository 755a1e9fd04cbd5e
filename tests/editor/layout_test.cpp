// Both windows as laid out: every control's place, order, text, font and tooltip.
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
  int fontHundredths;   // 0: no font of its own
  int weight;
  const wchar_t* tooltip;
};

struct Layout {
  SIZE clientAt96;
  std::vector<Control> controls;  // in creation order, which is the tab order
};

constexpr const wchar_t* kSwatch = L"KestruneColourSwatch";
constexpr const wchar_t* kOwnText = L"(its own text)";

// clang-format off
const Layout kMainWindow = {{351, 371}, {
    {IDC_TXTNAME, L"Edit", L"", {200, 16, 121, 25}, 975, FW_NORMAL, nullptr},
    {IDC_LABEL1, L"Static", L"Name of Light Setting:", {24, 16, 177, 25}, 1200, FW_NORMAL, nullptr},
    {IDC_LABEL2, L"Static", L"Sun Colour:", {24, 56, 89, 25}, 1200, FW_NORMAL, nullptr},
    {IDC_PICSUNCOL, kSwatch, L"255 255 255", {200, 48, 41, 41}, 0, 0, kOwnText},
    {IDC_PICAMBCOL, kSwatch, L"255 255 255", {200, 144, 41, 41}, 0, 0, kOwnText},
    {IDC_LABEL3, L"Static", L"Ambient Colour:", {24, 152, 121, 25}, 1200, FW_NORMAL, nullptr},
    {IDC_LABEL4, L"Static", L"Terrain Ambient Colour:", {24, 200, 169, 25}, 1200, FW_NORMAL, nullptr},
    {IDC_PICTERRAMBCOL, kSwatch, L"255 255 255", {200, 192, 41, 41}, 0, 0, kOwnText},
    {IDC_LABEL5, L"Static", L"Sun Inclination:", {24, 240, 121, 25}, 1200, FW_NORMAL, nullptr},
    {IDC_LABEL6, L"Static", L"Sun Rotation:", {24, 280, 113, 25}, 1200, FW_NORMAL, nullptr},
    {IDC_LABEL7, L"Static", L"Sun Specular:", {24, 104, 121, 25}, 1200, FW_NORMAL, nullptr},
    {IDC_PICSUNSPEC, kSwatch, L"255 255 255", {200, 96, 41, 41}, 0, 0, kOwnText},
    {IDC_TXTSUNINC, L"Edit", L"", {200, 240, 121, 25}, 975, FW_NORMAL, L"Strength of Light"},
    {IDC_TXTSUNROT, L"Edit", L"", {200, 280, 121, 25}, 975, FW_NORMAL, L"Number Between 0 & 360"},
    {IDC_CMDSAVE, L"Button", L"Save", {128, 328, 97, 33}, 825, FW_NORMAL, nullptr},
}};

const Layout kHelpWindow = {{359, 385}, {
    {IDOK, L"Button", L"OK", {264, 352, 84, 23}, 825, FW_NORMAL, nullptr},
    {IDC_PICICON, L"Static", nullptr, {16, 16, 36, 36}, 0, 0, nullptr},
    {IDC_LBLTITLE, L"Static", L"Kestrune Light Editor", {64, 16, 187, 32}, 825, FW_NORMAL, nullptr},
    {IDC_LBLVERSION, L"Static", L"Version : 1.1", {56, 48, 187, 15}, 825, FW_NORMAL, nullptr},
    {IDC_ABOUT_LABEL7, L"Static", L"Sun Specular - This is the other light from the direction of the sun, its more dramatic and will appear on the waters surface and other shiny objects.", {48, 176, 273, 41}, 825, FW_NORMAL, nullptr},
    {IDC_ABOUT_LABEL6, L"Static", L"Sun Rotation - Sets the position of the sun around the world ie. 0 - 360", {48, 312, 273, 25}, 825, FW_NORMAL, nullptr},
    {IDC_ABOUT_LABEL5, L"Static", L"Sun Inclination - This value sets the brightness of the sun.", {48, 288, 273, 17}, 825, FW_NORMAL, nullptr},
    {IDC_ABOUT_LABEL4, L"Static", L"Terrain Ambient Colour - Simlar to ambient colour only specific to the terrain.", {48, 256, 273, 33}, 825, FW_NORMAL, nullptr},
    {IDC_ABOUT_LABEL3, L"Static", L"Ambient Colour - Sets the colour for a weak light which has no source. It works well to create an atmosphere.", {48, 224, 273, 33}, 825, FW_NORMAL, nullptr},
    {IDC_ABOUT_LABEL2, L"Static", L"Sun Colour - Sets the colour of the light that will come from the directon of the sun.", {48, 144, 273, 33}, 825, FW_NORMAL, nullptr},
    {IDC_ABOUT_LABEL1, L"Static", L"Name of Light Setting - Sets the name of the lighting file as it will appear in the Kestrune Editor.", {48, 112, 273, 33}, 825, FW_NORMAL, nullptr},
    {IDC_ABOUT_LABEL8, L"Static", L"Help:", {48, 88, 187, 15}, 825, FW_BOLD, nullptr},
}};
// clang-format on

int Scaled(int pixelsAt96, UINT dpi) {
  return MulDiv(pixelsAt96 * 15, static_cast<int>(dpi), 1440);
}

// The tooltip control is a window of its own, owned by the window whose tools it holds.
std::wstring TooltipOf(HWND parent, HWND control) {
  for (HWND tips = nullptr; (tips = FindWindowExW(nullptr, tips, TOOLTIPS_CLASSW, nullptr));) {
    wchar_t text[256] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = parent;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = text;
    if (GetWindow(tips, GW_OWNER) != parent ||
        !SendMessageW(tips, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool)))
      continue;
    if (tool.lpszText == LPSTR_TEXTCALLBACKW) return L"(its own text)";
    SendMessageW(tips, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
    return text;
  }
  return L"";
}

// Checks the window's controls as laid out for dpi; its client area too when dpi is the window's
// own (Wine keeps the frame and menu bar at the system's DPI).
void ExpectLayout(HWND window, const Layout& layout, UINT dpi = 0) {
  if (!dpi || dpi == GetDpiForWindow(window)) {
    dpi = GetDpiForWindow(window);
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, Scaled(layout.clientAt96.cx, dpi));
    EXPECT_EQ(client.bottom, Scaled(layout.clientAt96.cy, dpi));
  }
  // Tooltips come when the pointer first does.
  SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  HWND child = GetWindow(window, GW_CHILD);
  for (const Control& expected : layout.controls) {
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
      EXPECT_EQ(font.lfWeight, expected.weight);
    }
    EXPECT_EQ(TooltipOf(window, child), expected.tooltip ? expected.tooltip : L"");
    child = GetWindow(child, GW_HWNDNEXT);
  }
  EXPECT_FALSE(child) << "an unexpected control";
}

TEST_F(EditorTest, LayoutOfTheMainWindow) {
  // Set by the run that puts the system at another DPI, so that a setting Wine ignored shows.
  if (const char* expectedDpi = std::getenv("KESTRUNE_EXPECT_DPI")) {
    EXPECT_EQ(GetDpiForWindow(MainWindow()), static_cast<UINT>(std::atoi(expectedDpi)));
  }
  ExpectLayout(MainWindow(), kMainWindow);
  EXPECT_EQ(editor::WindowText(MainWindow()), L"Kestrune Light Editor");
  const auto style = GetWindowLongPtrW(MainWindow(), GWL_STYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  EXPECT_TRUE(GetWindowLongPtrW(MainWindow(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
  EXPECT_TRUE(SendMessageW(MainWindow(), WM_GETICON, ICON_SMALL2, 0) ||
              GetClassLongPtrW(MainWindow(), GCLP_HICONSM));

  // Tab goes through the text boxes, swatches and button in that order; labels take no focus.
  std::vector<int> order;
  HWND control = Item(IDC_TXTNAME);
  do {
    order.push_back(GetDlgCtrlID(control));
    control = GetNextDlgTabItem(MainWindow(), control, FALSE);
  } while (control != Item(IDC_TXTNAME));
  EXPECT_EQ(order, (std::vector<int>{IDC_TXTNAME, IDC_PICSUNCOL, IDC_PICAMBCOL, IDC_PICTERRAMBCOL,
                                     IDC_PICSUNSPEC, IDC_TXTSUNINC, IDC_TXTSUNROT, IDC_CMDSAVE}));
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
  ExpectLayout(HelpWindow(), kHelpWindow);
  POINT clientOrigin{0, 0};
  ClientToScreen(HelpWindow(), &clientOrigin);
  EXPECT_EQ(clientOrigin.x, Scaled(156, GetDpiForWindow(HelpWindow())));
  EXPECT_EQ(clientOrigin.y, Scaled(129, GetDpiForWindow(HelpWindow())));
  EXPECT_EQ(editor::WindowText(HelpWindow()), L"Tolvane's Kestrune Light Editor");
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

// Counts fonts that a control was still holding when they were deleted.
LRESULT CALLBACK CountDeletedFonts(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR, DWORD_PTR count) {
  if (message == WM_SETFONT) {
    const auto held = reinterpret_cast<HGDIOBJ>(DefSubclassProc(control, WM_GETFONT, 0, 0));
    if (held && GetObjectType(held) != OBJ_FONT) ++*reinterpret_cast<int*>(count);
  }
  return DefSubclassProc(control, message, wParam, lParam);
}

TEST_F(EditorTest, DpiChangeLaysBothWindowsOutAgain) {
  Command(IDM_HELP);
  int deletedFontsHeld = 0;
  for (HWND control = GetWindow(MainWindow(), GW_CHILD); control;
       control = GetWindow(control, GW_HWNDNEXT))
    SetWindowSubclass(control, CountDeletedFonts, 1,
                      reinterpret_cast<DWORD_PTR>(&deletedFontsHeld));
  for (const UINT dpi : {144u, 96u}) {
    for (HWND window : {MainWindow(), HelpWindow()}) {
      RECT suggested;
      GetWindowRect(window, &suggested);
      SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                   reinterpret_cast<LPARAM>(&suggested));
    }
    // Wine keeps one DPI for the whole system, so the windows' DPI does not follow; the layout
    // does.
    ExpectLayout(MainWindow(), kMainWindow, dpi);
    ExpectLayout(HelpWindow(), kHelpWindow, dpi);
  }
  EXPECT_EQ(deletedFontsHeld, 0) << "a control held a font that was already deleted";
}

}  // namespace
}  // namespace editor_testing
