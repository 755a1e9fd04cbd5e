// The system's own dialogs, driven unattended: a thread timer keeps running inside each modal
// loop, finds the dialog the command opened and answers it as a person would.
#include <windows.h>

#include <commdlg.h>
#include <dlgs.h>

#include <deque>

#include "editor/colour_swatch.h"
#include "editor/window_text.h"
#include "editor_fixture.h"
#include "support/temp_folder.h"

namespace editor_testing {
namespace {

using testing_support::ReadBytes;
using testing_support::TempFolder;
using testing_support::WriteBytes;

struct Answer {
  enum Kind { kFileName, kTypedFileName, kColour, kYes, kOk, kCancel } kind;
  std::wstring fileName = {};
  int red = 0, green = 0, blue = 0;
};

std::deque<Answer> answers;
std::wstring nameShown;    // what the file dialog's name box held when last answered
std::wstring filterShown;  // and its file type box
bool colourFullyOpen = false;
HWND lastAnswered = nullptr;
int ticks = 0;
bool gaveUp = false;

std::wstring ClassOf(HWND window) {
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  return name;
}

std::vector<HWND> VisibleDialogs() {
  std::vector<HWND> found;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM list) {
        if (ClassOf(window) == L"#32770" && IsWindowVisible(window))
          reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// Answers the dialog in front with the next answer, if the dialog is of the kind it fits.
bool AnswerDialog(HWND dialog, const Answer& answer) {
  switch (answer.kind) {
    case Answer::kFileName:
    case Answer::kTypedFileName: {
      HWND box = GetDlgItem(dialog, cmb13) ? GetDlgItem(dialog, cmb13) : GetDlgItem(dialog, edt1);
      if (!box) return false;
      nameShown = editor::WindowText(box);
      filterShown = editor::WindowText(GetDlgItem(dialog, cmb1));
      if (answer.kind == Answer::kFileName) {
        SetWindowTextW(box, answer.fileName.c_str());
      } else {  // as keys would: the box's length limit applies
        const HWND edit = editor::FileNameEdit(dialog);
        SendMessageW(edit, EM_SETSEL, 0, -1);
        SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(answer.fileName.c_str()));
      }
      PostMessageW(dialog, WM_COMMAND, IDOK, 0);
      return true;
    }
    case Answer::kColour:
      if (!GetDlgItem(dialog, 706)) return false;
      colourFullyOpen = IsWindowVisible(GetDlgItem(dialog, 706));  // the custom colour part
      SetDlgItemInt(dialog, 706, static_cast<UINT>(answer.red), FALSE);
      SetDlgItemInt(dialog, 707, static_cast<UINT>(answer.green), FALSE);
      SetDlgItemInt(dialog, 708, static_cast<UINT>(answer.blue), FALSE);
      PostMessageW(dialog, WM_COMMAND, IDOK, 0);
      return true;
    case Answer::kYes:
      if (!GetDlgItem(dialog, IDYES)) return false;
      PostMessageW(dialog, WM_COMMAND, IDYES, 0);
      return true;
    case Answer::kOk:
      PostMessageW(dialog, WM_COMMAND, IDOK, 0);
      return true;
    case Answer::kCancel:
      PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
      return true;
  }
  return false;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
  const std::vector<HWND> dialogs = VisibleDialogs();
  if (++ticks > 300) {  // 15 seconds: the dialog never came or never took its answer
    gaveUp = true;
    for (HWND dialog : dialogs) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    return;
  }
  if (dialogs.empty() || answers.empty() || dialogs.front() == lastAnswered) return;
  if (AnswerDialog(dialogs.front(), answers.front())) {
    lastAnswered = dialogs.front();
    answers.pop_front();
  }
}

class RealDialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_.Show(GetModuleHandleW(nullptr), SW_SHOW);
    PumpMessages(&window_);
  }
  void TearDown() override {
    PumpMessages(&window_);
    DestroyWindow(window_.Window());
    PumpMessages();
  }

  // Runs a command that opens system dialogs, answering them in turn.
  void Run(std::deque<Answer> script, int command) {
    answers = std::move(script);
    lastAnswered = nullptr;
    ticks = 0;
    gaveUp = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, Tick);
    if (command > 0) {
      SendMessageW(window_.Window(), WM_COMMAND, MAKEWPARAM(command, 0), 0);
    } else {  // a swatch, clicked
      HWND swatch = Item(-command);
      SendMessageW(swatch, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
      SendMessageW(swatch, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    }
    KillTimer(nullptr, timer);
    EXPECT_FALSE(gaveUp) << "a dialog did not take its answer";
    EXPECT_TRUE(answers.empty()) << answers.size() << " answers left";
    EXPECT_TRUE(VisibleDialogs().empty());
  }

  HWND Item(int id) { return GetDlgItem(window_.Window(), id); }

  editor::Main window_{editor::WindowsDialogs()};
  TempFolder folder_;
};

TEST_F(RealDialogsTest, SaveDialogWritesTheChosenFileAndAsksBeforeReplacing) {
  SetWindowTextW(Item(IDC_TXTNAME), L"Dusk");
  SetWindowTextW(Item(IDC_TXTSUNINC), L"50");
  SetWindowTextW(Item(IDC_TXTSUNROT), L"180");
  editor::SetSwatchColour(Item(IDC_PICSUNCOL), 0x96C8FF);
  const auto chosen = folder_ / "Dusk";
  Run({{Answer::kFileName, chosen.wstring()}}, IDM_SAVE);
  const std::string written = ReadBytes(folder_ / "Dusk.lgt");
  EXPECT_NE(written.find("LightingSet \"Dusk\"\r\n\r\nsuncolor 255 200 150\r\n"), std::string::npos)
      << written;

  EXPECT_EQ(nameShown, L"Dusk");
  EXPECT_EQ(filterShown, L"(*.LGT)");

  SetWindowTextW(Item(IDC_TXTSUNROT), L"90");
  Run({{Answer::kFileName, (folder_ / "Dusk.lgt").wstring()}, {Answer::kYes}}, IDM_SAVE);
  EXPECT_TRUE(ReadBytes(folder_ / "Dusk.lgt").ends_with(" sunrotation 90\r\n"));
  EXPECT_EQ(folder_.Entries(), std::vector<std::string>{"Dusk.lgt"});
}

// Wine's file dialogs crash on paths past MAX_PATH: a name that would not fit beside the folder
// is not proposed, and typing stops where the path would pass it.
TEST_F(RealDialogsTest, SaveDialogTakesNoPathItCannotHold) {
  WriteBytes(folder_ / "start.lgt", "");
  Run({{Answer::kFileName, (folder_ / "start.lgt").wstring()}}, IDM_OPEN);  // the dialogs' folder
  const std::wstring longName(245, L'n');
  SetWindowTextW(Item(IDC_TXTNAME), longName.c_str());
  SetWindowTextW(Item(IDC_TXTSUNINC), L"1");
  SetWindowTextW(Item(IDC_TXTSUNROT), L"2");
  Run({{Answer::kTypedFileName, std::wstring(300, L'x')}}, IDM_SAVE);
  EXPECT_EQ(nameShown, L"") << "a name that cannot fit is not proposed";
  const std::size_t room = MAX_PATH - 2 - folder_.path().wstring().size();
  EXPECT_EQ(ReadBytes(folder_ / (std::string(room, 'x') + ".lgt")).find("LightingSet \"nnn"), 67u);
  EXPECT_EQ(editor::WindowText(Item(IDC_TXTNAME)), longName) << "the window keeps its values";
}

TEST_F(RealDialogsTest, NumbersOnlyMessageBox) {
  Run({{Answer::kOk}}, IDC_CMDSAVE);
  EXPECT_TRUE(folder_.Entries().empty());
}

TEST_F(RealDialogsTest, OpenDialogLoadsTheChosenFile) {
  WriteBytes(folder_ / "Night.lgt",
             "LightingSet \"Night\"\r\nsunrotation 270\r\nsuncolor 1 2 3\r\n");
  Run({{Answer::kFileName, (folder_ / "Night.lgt").wstring()}}, IDM_OPEN);
  wchar_t text[64];
  GetWindowTextW(Item(IDC_TXTNAME), text, 64);
  EXPECT_STREQ(text, L"Night");
  GetWindowTextW(Item(IDC_TXTSUNROT), text, 64);
  EXPECT_STREQ(text, L"270");
  EXPECT_EQ(editor::GetSwatchColour(Item(IDC_PICSUNCOL)), 0x030201);

  Run({{Answer::kCancel}}, IDM_OPEN);
  GetWindowTextW(Item(IDC_TXTNAME), text, 64);
  EXPECT_STREQ(text, L"Night");
}

TEST_F(RealDialogsTest, ColourDialogPicksAndCancels) {
  Run({{Answer::kColour, L"", 10, 20, 30}}, -IDC_PICAMBCOL);
  EXPECT_TRUE(colourFullyOpen);
  EXPECT_EQ(editor::GetSwatchColour(Item(IDC_PICAMBCOL)), 0x1E140A);
  Run({{Answer::kCancel}}, -IDC_PICAMBCOL);
  EXPECT_EQ(editor::GetSwatchColour(Item(IDC_PICAMBCOL)), 0x1E140A);
}

}  // namespace
}  // namespace editor_testing
