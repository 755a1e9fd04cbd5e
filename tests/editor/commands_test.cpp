// The main window's commands, with scripted dialogs and real files.
#include "editor/colour_swatch.h"
#include "editor_fixture.h"
#include "lightset/file_reader.h"
#include "support/dusk.h"
#include "support/run_process.h"
#include "support/temp_folder.h"

namespace editor_testing {
namespace {

using testing_support::ReadBytes;
using testing_support::TempFolder;
using testing_support::WriteBytes;

constexpr const wchar_t* kNumbersOnly =
    L"The Sun Rotation & Sun Inclination Boxes May Contain Numbers Only.";

using testing_support::kDuskFile;

class CommandsTest : public EditorTest {
 protected:
  void FillDusk() {
    Type(IDC_TXTNAME, L"Dusk");
    editor::SetSwatchColour(Item(IDC_PICSUNCOL), 0x96C8FF);
    editor::SetSwatchColour(Item(IDC_PICAMBCOL), 0x3C2828);
    editor::SetSwatchColour(Item(IDC_PICTERRAMBCOL), 0x503C3C);
    Type(IDC_TXTSUNINC, L"50");
    Type(IDC_TXTSUNROT, L"180");
  }
  void ExpectFields(const std::wstring& name, lightset::ColourRef sun, lightset::ColourRef specular,
                    lightset::ColourRef ambient, lightset::ColourRef terrain,
                    const std::wstring& inclination, const std::wstring& rotation) {
    EXPECT_EQ(Text(IDC_TXTNAME), name);
    EXPECT_EQ(SwatchColour(IDC_PICSUNCOL), sun);
    EXPECT_EQ(SwatchColour(IDC_PICSUNSPEC), specular);
    EXPECT_EQ(SwatchColour(IDC_PICAMBCOL), ambient);
    EXPECT_EQ(SwatchColour(IDC_PICTERRAMBCOL), terrain);
    EXPECT_EQ(Text(IDC_TXTSUNINC), inclination);
    EXPECT_EQ(Text(IDC_TXTSUNROT), rotation);
  }
  std::wstring Wide(const std::filesystem::path& path) { return path.wstring(); }

  TempFolder folder_;
};

TEST_F(CommandsTest, SaveWritesTheFileAsChosen) {
  FillDusk();
  dialogs_.saveAnswers = {Wide(folder_ / "Dusk"), Wide(folder_ / "Again"), std::nullopt};
  for (const wchar_t* chosen : {L"b.lgt", L"c.LGT", L"d.Lgt", L"e.lgt.txt", L"f.lg"})
    dialogs_.saveAnswers.push_back(Wide(folder_ / chosen));
  ClickButton(IDC_CMDSAVE);
  for (int i = 0; i < 7; ++i) Command(IDM_SAVE);  // the third is cancelled
  EXPECT_EQ(dialogs_.saveRequests, std::vector<std::wstring>(8, L"Dusk|.LGT"));
  EXPECT_EQ(ReadBytes(folder_ / "Dusk.lgt"), kDuskFile);
  EXPECT_EQ(ReadBytes(folder_ / "Again.lgt"), kDuskFile);
  EXPECT_EQ(folder_.Entries(), (std::vector<std::string>{"Again.lgt", "Dusk.lgt", "b.lgt", "c.LGT",
                                                         "d.Lgt", "e.lgt.txt.lgt", "f.lg.lgt"}));
  EXPECT_TRUE(dialogs_.messages.empty());

  // Numbers are written as typed, without a range check.
  Type(IDC_TXTNAME, L"");
  Type(IDC_TXTSUNINC, L" 4.5E1");
  Type(IDC_TXTSUNROT, L"720");
  dialogs_.saveAnswers = {Wide(folder_ / "x")};
  Command(IDM_SAVE);
  const std::string file = ReadBytes(folder_ / "x.lgt");
  EXPECT_NE(file.find("\r\nLightingSet \"\"\r\n"), std::string::npos);
  EXPECT_NE(file.find("\r\nsuninclination  4.5E1\r\n"), std::string::npos);
  EXPECT_TRUE(file.ends_with(" sunrotation 720\r\n"));
}

TEST_F(CommandsTest, NumbersOnlyMessageStopsTheSave) {
  for (const auto& [inclination, rotation] : std::vector<std::pair<std::wstring, std::wstring>>{
           {L"", L"5"}, {L"5", L"abc"}, {L"1,5", L"5"}, {L"\x0661", L"5"}, {L"5", L"\xFF15"}}) {
    dialogs_.messages.clear();
    Type(IDC_TXTSUNINC, inclination);
    Type(IDC_TXTSUNROT, rotation);
    ClickButton(IDC_CMDSAVE);
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_EQ(dialogs_.messages[0].text, kNumbersOnly);
    EXPECT_EQ(dialogs_.messages[0].title, L"Numbers Only!");
    EXPECT_EQ(dialogs_.messages[0].type, static_cast<UINT>(MB_OK)) << "an OK button, no icon";
  }
  EXPECT_TRUE(dialogs_.saveRequests.empty());
}

TEST_F(CommandsTest, NamesTheFileCannotCarryAreRefused) {
  Type(IDC_TXTSUNINC, L"1");
  Type(IDC_TXTSUNROT, L"2");
  const std::pair<std::wstring, const wchar_t*> cases[] = {
      {L"Say \"hi\"", L"double quote"},
      {L"two\r\nlines", L"line break"},
      {L"\x4E00", L"ANSI code page"},
  };
  for (const auto& [name, reason] : cases) {
    dialogs_.messages.clear();
    Type(IDC_TXTNAME, name);
    ClickButton(IDC_CMDSAVE);
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_NE(dialogs_.messages[0].text.find(reason), std::wstring::npos)
        << dialogs_.messages[0].text;
  }
  EXPECT_TRUE(dialogs_.saveRequests.empty());
  EXPECT_TRUE(folder_.Entries().empty());
}

TEST_F(CommandsTest, AnsiTextCrossesThroughTheCodePage) {
  Type(IDC_TXTNAME, L"Caf\xE9 \x20AC");  // both are in code page 1252
  Type(IDC_TXTSUNINC, L"1");
  Type(IDC_TXTSUNROT, L"2");
  dialogs_.saveAnswers = {Wide(folder_ / "cafe")};
  Command(IDM_SAVE);
  EXPECT_NE(ReadBytes(folder_ / "cafe.lgt").find("LightingSet \"Caf\xE9 \x80\"\r\n"),
            std::string::npos);
  Type(IDC_TXTNAME, L"");
  dialogs_.openAnswers = {Wide(folder_ / "cafe.lgt")};
  Command(IDM_OPEN);
  EXPECT_EQ(Text(IDC_TXTNAME), L"Caf\xE9 \x20AC");
}

// Run with the code page 932 (LC_ALL=ja_JP.UTF-8 under Wine), where some byte sequences are no
// characters.
TEST_F(CommandsTest, CodePageTextThatCannotBeShownExactlyIsNamed) {
  if (GetACP() != 932) GTEST_SKIP() << "needs the code page 932";
  WriteBytes(folder_ / "a.lgt",
             "LightingSet \"A\x81\"\r\nsuninclination \x82\xA0\r\nsunrotation 7\x81");
  dialogs_.openAnswers = {Wide(folder_ / "a.lgt")};
  Command(IDM_OPEN);
  EXPECT_EQ(Text(IDC_TXTSUNINC), L"\x3042");  // Hiragana A: shown exactly, not named
  EXPECT_EQ(Text(IDC_TXTNAME).substr(0, 1), L"A") << "the values are applied all the same";
  ASSERT_EQ(dialogs_.messages.size(), 1u);
  EXPECT_NE(dialogs_.messages[0].text.find(L"(932)"), std::wstring::npos);
  EXPECT_NE(dialogs_.messages[0].text.find(L"\nLine 1: the name\nLine 3: the sun rotation\n"),
            std::wstring::npos)
      << dialogs_.messages[0].text;
  EXPECT_EQ(dialogs_.messages[0].type, MB_OK | MB_ICONWARNING);
}

TEST_F(CommandsTest, ReplacingAFileIsAskedFirst) {
  FillDusk();
  const auto target = folder_ / "Dusk.lgt";
  WriteBytes(target, "old");
  dialogs_.saveAnswers = {Wide(folder_ / "Dusk"), Wide(folder_ / "Dusk.lgt")};
  dialogs_.messageAnswers = {IDNO, IDYES};
  Command(IDM_SAVE);
  EXPECT_EQ(ReadBytes(target), "old");
  Command(IDM_SAVE);
  EXPECT_EQ(ReadBytes(target), kDuskFile);
  ASSERT_EQ(dialogs_.messages.size(), 2u);
  EXPECT_EQ(dialogs_.messages[0].text,
            Wide(target) + L" already exists.\nDo you want to replace it?");
  EXPECT_EQ(dialogs_.messages[0].type, static_cast<UINT>(MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2))
      << "No is the default";
  EXPECT_EQ(dialogs_.messages[0].title, L"Confirm Save As");
}

TEST_F(CommandsTest, TextBoxesTakeMoreThan30000TypedCharacters) {
  for (const int box : {IDC_TXTNAME, IDC_TXTSUNINC, IDC_TXTSUNROT})
    EXPECT_GT(SendMessageW(Item(box), EM_GETLIMITTEXT, 0, 0), 100000) << box;
  const std::wstring typed(33000, L'7');  // past both limits a box may start with
  SendMessageW(Item(IDC_TXTSUNROT), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(typed.c_str()));
  EXPECT_EQ(Text(IDC_TXTSUNROT), typed);  // typing keeps to the box's limit; WM_SETTEXT does not
}

TEST_F(CommandsTest, OpenAppliesTheFileAndKeepsWhatItDoesNotMention) {
  FillDusk();
  WriteBytes(folder_ / "partial.lgt",
             "  suncolour 1.9 2 300\r\nsunrotation  45 \r\nLightingSet x \"Night\" y\n");
  Command(IDM_OPEN);  // no answer scripted: the dialog is cancelled and nothing changes
  ExpectFields(L"Dusk", 0x96C8FF, 0xFFFFFF, 0x3C2828, 0x503C3C, L"50", L"180");
  dialogs_.openAnswers = {Wide(folder_ / "partial.lgt")};
  Command(IDM_OPEN);
  EXPECT_EQ(dialogs_.openRequests, std::vector<std::wstring>(2, L"Open LGT|*.Lgt"));
  ExpectFields(L"Night", 0xFF0201, 0xFFFFFF, 0x3C2828, 0x503C3C, L"50", L"45");
  EXPECT_TRUE(dialogs_.messages.empty());
}

TEST_F(CommandsTest, SwatchesPickAColourOrKeepTheirsOnCancel) {
  const int swatches[] = {IDC_PICSUNCOL, IDC_PICSUNSPEC, IDC_PICAMBCOL, IDC_PICTERRAMBCOL};
  for (const int swatch : swatches) {
    dialogs_.colourAnswers = {0x123456, -1};
    ClickSwatch(swatch);
    EXPECT_EQ(SwatchColour(swatch), 0x123456);
    EXPECT_EQ(Text(swatch), L"86 52 18");
    ClickSwatch(swatch);
    EXPECT_EQ(SwatchColour(swatch), 0x123456) << "cancel keeps the colour";
  }
  EXPECT_EQ(dialogs_.colourRequests,
            (std::vector<lightset::ColourRef>{0xFFFFFF, 0x123456, 0xFFFFFF, 0x123456, 0xFFFFFF,
                                              0x123456, 0xFFFFFF, 0x123456}));
  // A press that ends outside the swatch is no click.
  SendMessageW(Item(IDC_PICSUNCOL), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(Item(IDC_PICSUNCOL), WM_LBUTTONUP, 0, MAKELPARAM(500, 5));
  EXPECT_EQ(dialogs_.colourRequests.size(), 8u);
}

TEST_F(CommandsTest, ShortcutsWorkFromAnyControl) {
  FillDusk();
  dialogs_.saveAnswers = {Wide(folder_ / "viaKey")};
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  for (const auto& [key, from] : {std::pair{'S', IDC_TXTSUNROT}, std::pair{'O', IDC_PICAMBCOL}}) {
    MSG message{Item(from), WM_KEYDOWN, static_cast<WPARAM>(key), 0, 0, {}};
    EXPECT_TRUE(window_->PreTranslateMessage(message));
  }
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
  EXPECT_EQ(ReadBytes(folder_ / "viaKey.lgt"), kDuskFile);
  EXPECT_EQ(dialogs_.openRequests.size(), 1u);
  // Enter and Esc in the main window press nothing.
  for (const WPARAM key : {WPARAM{VK_RETURN}, WPARAM{VK_ESCAPE}}) {
    MSG message{Item(IDC_TXTNAME), WM_KEYDOWN, key, 0, 0, {}};
    window_->PreTranslateMessage(message);
  }
  PumpMessages(window_.get());
  EXPECT_EQ(dialogs_.saveRequests.size(), 1u);
  EXPECT_TRUE(IsWindow(MainWindow()));
}

TEST_F(CommandsTest, OpeningWhatLgtWroteAndSavingItKeepsTheBytes) {
  const auto written = folder_ / "in.lgt";
  const auto lgt = testing_support::RunProcess(
      testing_support::BesideThisProgram("lgt"),
      {"write", written.string(), "--name", "Caf\xC3\xA9 at dusk", "--sun-colour", "1 2 3",
       "--sun-specular", "4 5 6", "--ambient-colour", "7 8 9", "--terrain-ambient-colour",
       "10 11 12", "--sun-inclination", "-4.5e1", "--sun-rotation", "720"});
  ASSERT_EQ(lgt.exitCode, 0) << lgt.err;
  dialogs_.openAnswers = {Wide(written)};
  dialogs_.saveAnswers = {Wide(folder_ / "out")};
  Command(IDM_OPEN);
  Command(IDM_SAVE);
  EXPECT_EQ(ReadBytes(folder_ / "out.lgt"), ReadBytes(written));
}

TEST_F(EditorTest, HelpOpensOneWindowThatClosesAndReopens) {
  Command(IDM_HELP);
  HWND first = HelpWindow();
  ASSERT_TRUE(IsWindowVisible(first));
  Command(IDM_HELP);
  EXPECT_EQ(HelpWindow(), first) << "a second Help brings the same window forward";
  RECT before;
  GetWindowRect(first, &before);

  // Enter and Esc press OK wherever the focus is; so does the frame's close.
  for (const WPARAM key : {WPARAM{VK_RETURN}, WPARAM{VK_ESCAPE}, WPARAM{0}}) {
    Command(IDM_HELP);
    ASSERT_TRUE(HelpWindow());
    if (key) {
      SetFocus(GetDlgItem(HelpWindow(), IDC_PICICON));
      MSG message{GetFocus() ? GetFocus() : HelpWindow(), WM_KEYDOWN, key, 0, 0, {}};
      EXPECT_TRUE(window_->PreTranslateMessage(message));
      PumpMessages(window_.get());
    } else {
      SendMessageW(HelpWindow(), WM_CLOSE, 0, 0);
    }
    EXPECT_EQ(HelpWindow(), nullptr) << "key " << key;
  }
  Command(IDM_HELP);
  RECT after;
  GetWindowRect(HelpWindow(), &after);
  EXPECT_TRUE(EqualRect(&before, &after));
  wchar_t version[64];
  GetDlgItemTextW(HelpWindow(), IDC_LBLVERSION, version, 64);
  EXPECT_STREQ(version, L"Version : 1.1");
  Type(IDC_TXTNAME, L"still editable");
  EXPECT_EQ(Text(IDC_TXTNAME), L"still editable");
}

TEST_F(EditorTest, TheProgramRunsUntilItsLastWindowIsGone) {
  Command(IDM_HELP);
  SendMessageW(MainWindow(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(HelpWindow()));
  EXPECT_TRUE(window_->IsOpen()) << "the help window outlives the main window";
  SendMessageW(HelpWindow(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(window_->IsOpen());

  window_->Show(GetModuleHandleW(nullptr), SW_SHOW);
  Command(IDM_HELP);
  HWND help = HelpWindow();
  Command(IDM_EXIT);
  EXPECT_FALSE(IsWindow(help)) << "Exit closes both";
  EXPECT_FALSE(window_->IsOpen());
}

}  // namespace
}  // namespace editor_testing
