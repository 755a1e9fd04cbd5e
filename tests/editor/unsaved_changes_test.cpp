// Typed work is never discarded without asking: Exit, the close box, Open and a drop ask when the
// values differ from those last opened or saved, and each answer does what it says; the caption
// names the file and marks a change.
#include "editor_fixture.h"
#include "support/temp_folder.h"

namespace editor_testing {
namespace {

using testing_support::ReadBytes;
using testing_support::WriteBytes;

TEST_F(EditorTest, ChangesAreNotDiscardedWithoutAsking) {
  WriteBytes(folder_ / "noon.lgt", "LightingSet \"Noon\"\r\n");
  const std::wstring noon = Path("noon.lgt");
  enum Way { kExit, kClose, kOpen, kDrop };
  const std::function<void()> ways[] = {
      [this] { Command(IDM_EXIT); },
      [this] { SendMessageW(MainWindow(), WM_CLOSE, 0, 0); },
      [this] { Command(IDM_OPEN); },
      [this, &noon] {
        SendMessageW(MainWindow(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({noon})), 0);
      },
  };
  const struct {
    bool changed;
    int answer;         // to the question; 0: none is asked
    const wchar_t* as;  // the save dialog's answer, when Save is chosen
    bool goesOn;        // the exit, close, open or drop happens
    bool written;
  } cases[] = {
      {false, 0, L"", true, false},     {true, IDCANCEL, L"", false, false},
      {true, IDNO, L"", true, false},   {true, IDYES, L"kept", true, true},
      {true, IDYES, L"", false, false},  // Save chosen, then its dialog cancelled
  };
  for (const Way way : {kExit, kClose, kOpen, kDrop}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(testing::Message() << "way " << way << ", answer " << c.answer);
      if (!window_ || !MainWindow()) {  // the last case closed it, or left it changed
        window_.reset();
        SetUp();
      }
      std::filesystem::remove(folder_ / "kept.lgt");
      const std::vector<std::wstring> typed = {L"Typed", L"", L"", L"", L"", L"1", L"2"};
      if (c.changed) SetValues(typed);
      const std::vector<std::wstring> before = Values();
      dialogs_.saveChangesRequests.clear();
      dialogs_.saveChangesAnswers = {c.answer};
      dialogs_.saveAnswers = {c.as[0] ? Path("kept") : L""};
      dialogs_.openAnswers = {noon};
      ways[way]();
      PumpMessages(window_.get());
      EXPECT_EQ(dialogs_.saveChangesRequests,
                std::vector<std::wstring>(c.answer ? 1 : 0, L"Untitled"));
      EXPECT_EQ(std::filesystem::exists(folder_ / "kept.lgt"), c.written);
      if (c.written) {
        EXPECT_NE(ReadBytes(folder_ / "kept.lgt").find("\"Typed\""), std::string::npos);
      }
      const bool closes = way == kExit || way == kClose;
      EXPECT_EQ(MainWindow() == nullptr, closes && c.goesOn) << "the window is closed";
      if (MainWindow()) {
        EXPECT_EQ(Values()[0], closes || !c.goesOn ? before[0] : L"Noon") << "the fields";
        window_.reset();  // a fresh, unchanged window for the next case
      }
    }
  }
}

TEST_F(EditorTest, TheCaptionNamesTheFileAndMarksAChange) {
  WriteBytes(folder_ / "noon.lgt", "LightingSet \"Noon\"\r\n");
  auto caption = [this] { return editor::WindowText(MainWindow()); };
  EXPECT_EQ(caption(), L"Kestrune Light Editor");
  Type(IDC_TXTNAME, L"Dusk");
  EXPECT_EQ(caption(), L"*Kestrune Light Editor");
  Type(IDC_TXTNAME, L"");
  EXPECT_EQ(caption(), L"Kestrune Light Editor") << "as it was: nothing to save";
  SetValues(kDuskValues);
  dialogs_.saveAnswers = {Path("dusk"), Path("dusk")};
  dialogs_.messageAnswers = {IDYES};
  Command(IDM_SAVE);
  EXPECT_EQ(caption(), L"dusk.lgt - Kestrune Light Editor");
  editor::SetSwatchColour(Item(IDC_PICAMBCOL), RGB(1, 2, 3));
  EXPECT_EQ(caption(), L"*dusk.lgt - Kestrune Light Editor");
  Command(IDM_SAVE);
  EXPECT_EQ(caption(), L"dusk.lgt - Kestrune Light Editor");
  dialogs_.openAnswers = {Path("noon.lgt")};
  Command(IDM_OPEN);
  EXPECT_EQ(caption(), L"noon.lgt - Kestrune Light Editor");
  Type(IDC_TXTSUNROT, L"5");
  dialogs_.saveChangesAnswers = {IDCANCEL};
  Command(IDM_EXIT);
  EXPECT_EQ(dialogs_.saveChangesRequests, std::vector<std::wstring>{L"noon.lgt"});
}

// The real question, answered as a person would: its text, then Cancel keeps the window and
// Don't Save closes it.
TEST_F(RealDialogsTest, TheQuestionIsTheSystemsOwn) {
  Type(IDC_TXTNAME, L"Typed");
  std::wstring asked;
  auto read = [&asked](HWND dialog) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
      asked += editor::WindowText(child) + L"|";
    return true;
  };
  Run(IDM_EXIT, {[&](HWND dialog) { return read(dialog) && Press(IDCANCEL)(dialog); }});
  EXPECT_NE(asked.find(L"Do you want to save changes to Untitled?"), std::wstring::npos) << asked;
  EXPECT_TRUE(MainWindow()) << "Cancel keeps the window";
  EXPECT_EQ(Text(IDC_TXTNAME), L"Typed");
  Run(IDM_EXIT, {Press(IDNO)});
  EXPECT_FALSE(MainWindow()) << "Don't Save closes it";
}

}  // namespace
}  // namespace editor_testing
