// The main window used with the keyboard alone and asked what a screen reader asks: real
// keystrokes, the system's own dialogs and menus, and the accessibility objects of the controls.
#include <windows.h>

#include <oleacc.h>

#include "editor_fixture.h"
#include "screen_reader.h"

namespace editor_testing {
namespace {

TEST_F(EditorTest, EachControlTellsAScreenReaderWhatItIs) {
  SetValues(kDuskValues);
  // Roles: 42 editable text, 43 push button.
  const std::pair<int, const wchar_t*> controls[] = {
      {IDC_TXTNAME, L"42|Name of Light Setting|Dusk|||"},
      {IDC_PICSUNCOL, L"43|Sun Colour|255 200 150|Press Space to choose a colour|Press|"},
      {IDC_PICSUNSPEC, L"43|Sun Specular|255 255 255|Press Space to choose a colour|Press|"},
      {IDC_PICAMBCOL, L"43|Ambient Colour|40 40 60|Press Space to choose a colour|Press|"},
      {IDC_PICTERRAMBCOL,
       L"43|Terrain Ambient Colour|60 60 80|Press Space to choose a colour|Press|"},
      {IDC_TXTSUNINC, L"42|Sun Inclination|50|Strength of Light||"},
      {IDC_TXTSUNROT, L"42|Sun Rotation|180|Number Between 0 & 360||"},
      {IDC_CMDSAVE, L"43|Save|||Press|"},
  };
  for (const auto& [id, heard] : controls) EXPECT_EQ(Ask(Item(id)), heard) << id;

  // What the system's own object offers besides IAccessible, the described one offers too, and
  // each leads back to the same IUnknown, as COM requires.
  const GUID accIdentity = {
      0x7852b78d, 0x1cfd, 0x41c1, {0xa6, 0x15, 0x9c, 0x0c, 0x85, 0x96, 0x0b, 0x5f}};
  IAccessible* described = Accessible(Item(IDC_PICSUNCOL));
  IAccessible* system = nullptr;
  CreateStdAccessibleObject(Item(IDC_PICSUNCOL), OBJID_CLIENT, __uuidof(IAccessible),
                            reinterpret_cast<void**>(&system));
  ASSERT_TRUE(described && system);
  IUnknown* identity = nullptr;
  described->QueryInterface(__uuidof(IUnknown), reinterpret_cast<void**>(&identity));
  for (const GUID& id : {__uuidof(IEnumVARIANT), __uuidof(IServiceProvider), accIdentity}) {
    IUnknown *offered = nullptr, *back = nullptr, *systems = nullptr;
    const bool systemOffers =
        SUCCEEDED(system->QueryInterface(id, reinterpret_cast<void**>(&systems)));
    EXPECT_EQ(SUCCEEDED(described->QueryInterface(id, reinterpret_cast<void**>(&offered))),
              systemOffers);
    if (offered) {
      offered->QueryInterface(__uuidof(IUnknown), reinterpret_cast<void**>(&back));
      EXPECT_EQ(back, identity) << "the same object";
      back->Release();
      offered->Release();
    }
    if (systems) systems->Release();
  }
  identity->Release();
  system->Release();
  described->Release();

  // A swatch's default action opens the chooser on its colour, as a click does.
  dialogs_.colourAnswers = {0x123456, 0x123456, 0x123456, 0x123456};
  for (const int id : {IDC_PICSUNCOL, IDC_PICSUNSPEC, IDC_PICAMBCOL, IDC_PICTERRAMBCOL}) {
    IAccessible* swatch = Accessible(Item(id));
    ASSERT_TRUE(swatch);
    EXPECT_EQ(swatch->accDoDefaultAction(Self()), S_OK);
    swatch->Release();
    PumpMessages(window_.get());
    EXPECT_EQ(Text(id), L"86 52 18");
  }
  EXPECT_EQ(dialogs_.colourRequests,
            (std::vector<lightset::ColourRef>{0x96C8FF, 0xFFFFFF, 0x3C2828, 0x503C3C}));
}

class KeyboardTest : public RealDialogsTest {
 protected:
  void SetUp() override {
    RealDialogsTest::SetUp();
    SetForegroundWindow(MainWindow());
    Keystroke({});
  }
  // A real right click on the ambient colour's swatch.
  void RightClick() const {
    RECT place;
    GetWindowRect(Item(IDC_PICAMBCOL), &place);
    SetCursorPos(place.left + 5, place.top + 5);
    INPUT clicks[] = {{INPUT_MOUSE, {.mi = {0, 0, 0, MOUSEEVENTF_RIGHTDOWN, 0, 0}}},
                      {INPUT_MOUSE, {.mi = {0, 0, 0, MOUSEEVENTF_RIGHTUP, 0, 0}}}};
    SendInput(2, clicks, sizeof(INPUT));
  }
  // The clipboard read through the name box's own Paste.
  std::wstring Clipboard() const {
    Type(IDC_TXTNAME, L"");
    SendMessageW(Item(IDC_TXTNAME), WM_PASTE, 0, 0);
    return Text(IDC_TXTNAME);
  }
};

TEST_F(KeyboardTest, TabReachesEveryFieldAndTheSwatchesPressCopyAndPaste) {
  std::vector<int> order;
  for (int i = 0; i < 8; ++i) {
    Keystroke({VK_TAB});
    order.push_back(GetDlgCtrlID(GetFocus()));
  }
  EXPECT_EQ(order,
            (std::vector<int>{IDC_PICSUNCOL, IDC_PICAMBCOL, IDC_PICTERRAMBCOL, IDC_PICSUNSPEC,
                              IDC_TXTSUNINC, IDC_TXTSUNROT, IDC_CMDSAVE, IDC_TXTNAME}));

  // Space and Enter open the chooser on the swatch's colour; a cancel changes nothing.
  SetFocus(Item(IDC_PICSUNSPEC));
  Keystroke({VK_SPACE}, {Colour(1, 2, 3)});
  EXPECT_EQ(shown.colour, 0xFFFFFF);
  EXPECT_TRUE(shown.colourFullyOpen);
  Keystroke({VK_RETURN}, {Keys({VK_ESCAPE})});
  EXPECT_EQ(Text(IDC_PICSUNSPEC), L"1 2 3");

  Keystroke({VK_CONTROL, 'C'});
  EXPECT_EQ(Clipboard(), L"1 2 3");
  const std::pair<const wchar_t*, const wchar_t*> pasted[] = {{L"10 20 30", L"10 20 30"},
                                                              {L"4 5 6\r\n", L"4 5 6"},
                                                              {L"#FF8000", L"255 128 0"},
                                                              {L"#0a0B0c", L"10 11 12"}};
  for (const auto& [text, colour] : pasted) {
    SetClipboard(text);
    Keystroke({VK_CONTROL, 'V'});
    EXPECT_EQ(Text(IDC_PICSUNSPEC), colour) << text;
  }
  for (const wchar_t* text : {L"1 2", L"256 0 0", L" 1 2 3", L"1  2 3", L"1 2 3\r\n\r\n", L"#12345",
                              L"#12345G", L"\xFF11 2 3"}) {
    SetClipboard(text);
    Keystroke({VK_CONTROL, 'V'});
    EXPECT_EQ(Text(IDC_PICSUNSPEC), L"10 11 12") << text;
  }
  // A refused paste is heard, not only beeped: the swatch's description says why.
  EXPECT_EQ(Ask(Item(IDC_PICSUNSPEC)),
            L"43|Sun Specular|10 11 12|The clipboard holds no colour to paste: copy one as R G B "
            L"or #RRGGBB. Press Space to choose a colour|Press|");
}

// The swatch's menu, opened by Shift+F10, the menu key and a right click, runs its three commands;
// Paste is offered only when the clipboard holds a colour.
TEST_F(KeyboardTest, TheSwatchMenuChoosesCopiesAndPastes) {
  bool pasteOffered = true;
  std::wstring texts;
  auto offered = [&](HWND menu) {
    const auto items = reinterpret_cast<HMENU>(SendMessageW(menu, MN_GETHMENU, 0, 0));
    pasteOffered = !(GetMenuState(items, IDM_PASTECOLOUR, MF_BYCOMMAND) & MF_GRAYED);
    for (const int id : {IDM_CHOOSECOLOUR, IDM_COPYCOLOUR, IDM_PASTECOLOUR}) {
      wchar_t text[64] = {};
      GetMenuStringW(items, static_cast<UINT>(id), text, 64, MF_BYCOMMAND);
      texts += std::wstring(text) + L"|";
    }
    return Keys({VK_ESCAPE})(menu);
  };
  SetFocus(Item(IDC_PICAMBCOL));
  Keystroke({VK_SHIFT, VK_F10}, {Keys({VK_DOWN, VK_RETURN}), Colour(7, 8, 9)});
  EXPECT_EQ(Text(IDC_PICAMBCOL), L"7 8 9");
  SetClipboard(L"no colour");
  Keystroke({VK_APPS}, {offered});
  EXPECT_FALSE(pasteOffered);
  EXPECT_EQ(texts, L"Choose Colour...|Copy\tCtrl+C|Paste\tCtrl+V|") << "the keys shown";
  Keystroke({VK_APPS}, {Keys({VK_DOWN, VK_DOWN, VK_RETURN})});
  EXPECT_EQ(Clipboard(), L"7 8 9");
  SetClipboard(L"4 5 6");
  Run([this] { RightClick(); }, {Keys({VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN})});
  EXPECT_EQ(Text(IDC_PICAMBCOL), L"4 5 6");
}

// Every way a swatch's colour changes is heard, as a value change of that swatch; the help
// window is read as a dialog.
TEST_F(KeyboardTest, EveryChangeOfASwatchIsHeard) {
  testing_support::WriteBytes(folder_ / "a.lgt", "terrainambientcolor 1 1 1\r\n");
  testing_support::WriteBytes(folder_ / "b.lgt", "suncolor 9 9 9\r\n");
  const ValueChanges heard;
  const struct {
    const char* way;
    int swatch;
    std::function<void()> change;
  } cases[] = {
      {"the chooser", IDC_PICSUNSPEC, [this] { Run(-IDC_PICSUNSPEC, {Colour(1, 2, 3)}); }},
      {"a paste", IDC_PICAMBCOL,
       [this] {
         SetClipboard(L"4 5 6");
         SetFocus(Item(IDC_PICAMBCOL));
         Keystroke({VK_CONTROL, 'V'});
       }},
      {"the menu's Paste", IDC_PICSUNSPEC,
       [this] {
         SetClipboard(L"7 8 9");
         SetFocus(Item(IDC_PICSUNSPEC));
         Keystroke({VK_APPS}, {Keys({VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN})});
       }},
      {"an Open", IDC_PICTERRAMBCOL,
       [this] {
         Run(IDM_OPEN, {Press(IDNO), FileName(Path("a.lgt"))});
       }},
      {"a drop", IDC_PICSUNCOL,
       [this] {  // (the Open left nothing to save: no question)
         SendMessageW(MainWindow(), WM_DROPFILES,
                      reinterpret_cast<WPARAM>(MakeDrop({Path("b.lgt")})), 0);
       }},
  };
  for (const auto& c : cases) {
    heard.Clear();
    c.change();
    PumpMessages(window_.get());
    EXPECT_GE(heard.Of(Item(c.swatch)), 1) << c.way;
  }
  EXPECT_EQ(Text(IDC_PICSUNCOL), L"9 9 9");
  Command(IDM_HELP);
  EXPECT_EQ(Ask(HelpWindow()).substr(0, 3), L"18|") << "a dialog";
}

// Whenever the window is active again, the focus is back where it was: what is typed next lands
// in the box that had it.
TEST_F(KeyboardTest, TheFocusComesBackAfterEveryOtherWindow) {
  const struct {
    const char* what;
    int box;
    std::function<void()> open;
    std::deque<Answer> answers;
  } cases[] = {
      // clang-format off
      {"the colour chooser, closed with Esc", IDC_TXTNAME, [this] { RightClick(); }, {Keys({VK_DOWN, VK_RETURN}), Keys({VK_ESCAPE})}},
      {"the numbers-only message", IDC_TXTSUNROT, [] { PressKeys({VK_CONTROL, 'S'}); }, {Keys({VK_RETURN})}},
      {"the open dialog and its error", IDC_TXTSUNINC, [] { PressKeys({VK_CONTROL, 'O'}); }, {Press(IDNO), FileName(Path("absent.lgt")), Keys({VK_RETURN})}},
      {"the help window", IDC_TXTNAME, [this] { Command(IDM_HELP); }, {}},
      // clang-format on
  };
  for (const auto& c : cases) {
    SetValues({L"", L"", L"", L"", L"", L"", L"x"});
    SetFocus(Item(c.box));
    Run(c.open, c.answers);
    if (HelpWindow()) Keystroke({VK_ESCAPE});
    Keystroke({});
    TypeText(L"typed");
    Keystroke({});
    EXPECT_NE(Text(c.box).find(L"typed"), std::wstring::npos) << c.what;
  }
}

}  // namespace
}  // namespace editor_testing
