// The system's own dialogs, driven unattended: a thread timer keeps running inside each modal
// loop, finds the dialog the command opened and answers it as a person would.
#include <windows.h>

#include <commdlg.h>
#include <dlgs.h>

#include <deque>
#include <functional>

#include "editor/window_text.h"
#include "editor_fixture.h"
#include "support/temp_folder.h"

namespace editor_testing {
namespace {

using testing_support::ReadBytes;
using testing_support::WriteBytes;

// Answers the dialog given, or returns false when it is not of the kind the answer fits.
using Answer = std::function<bool(HWND dialog)>;

std::deque<Answer> answers;
std::wstring nameShown, filterShown;  // the file dialog's name and type boxes when answered
bool colourFullyOpen = false;
HWND lastAnswered = nullptr;
int ticks = 0;

HWND VisibleDialog() {
  for (HWND dialog = nullptr; (dialog = FindWindowExW(nullptr, dialog, L"#32770", nullptr));)
    if (IsWindowVisible(dialog)) return dialog;
  return nullptr;
}

Answer Press(int button) {
  return [=](HWND dialog) { return PostMessageW(dialog, WM_COMMAND, button, 0); };
}

// Typed as keys would, so that the box's length limit applies.
Answer FileName(const std::wstring& name) {
  return [=](HWND dialog) {
    const HWND box =
        GetDlgItem(dialog, cmb13) ? GetDlgItem(dialog, cmb13) : GetDlgItem(dialog, edt1);
    if (!box) return false;
    nameShown = editor::WindowText(box);
    filterShown = editor::WindowText(GetDlgItem(dialog, cmb1));
    const HWND edit = editor::FileNameEdit(dialog);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(name.c_str()));
    return Press(IDOK)(dialog);
  };
}

Answer Colour(UINT red, UINT green, UINT blue) {
  return [=](HWND dialog) {
    if (!GetDlgItem(dialog, 706)) return false;
    colourFullyOpen = IsWindowVisible(GetDlgItem(dialog, 706));  // the custom colour part
    SetDlgItemInt(dialog, 706, red, FALSE);
    SetDlgItemInt(dialog, 707, green, FALSE);
    SetDlgItemInt(dialog, 708, blue, FALSE);
    return Press(IDOK)(dialog);
  };
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
  const HWND dialog = VisibleDialog();
  if (++ticks > 300) {  // 15 seconds: the dialog never came or never took its answer
    if (dialog) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  } else if (dialog && dialog != lastAnswered && !answers.empty() && answers.front()(dialog)) {
    lastAnswered = dialog;
    answers.pop_front();
  }
}

class RealDialogsTest : public EditorTest {
 protected:
  RealDialogsTest() { shown_ = &editor::WindowsDialogs(); }

  // Runs a command (a negative one clicks that swatch) that opens system dialogs, answering
  // them in turn.
  void Run(int command, std::deque<Answer> script) {
    answers = std::move(script);
    lastAnswered = nullptr;
    ticks = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, Tick);
    command > 0 ? Command(command) : ClickSwatch(-command);
    KillTimer(nullptr, timer);
    EXPECT_LE(ticks, 300) << "a dialog did not take its answer";
    EXPECT_TRUE(answers.empty()) << answers.size() << " answers left";
    EXPECT_FALSE(VisibleDialog());
  }
};

TEST_F(RealDialogsTest, SaveOpenAndColourDialogs) {
  Run(IDC_CMDSAVE, {Press(IDOK)});  // numbers only
  Type(IDC_TXTNAME, L"Dusk");
  Type(IDC_TXTSUNINC, L"50");
  Type(IDC_TXTSUNROT, L"180");
  Run(-IDC_PICSUNCOL, {Colour(255, 200, 150)});
  EXPECT_TRUE(colourFullyOpen);
  Run(-IDC_PICSUNCOL, {Press(IDCANCEL)});
  EXPECT_EQ(SwatchColour(IDC_PICSUNCOL), 0x96C8FF);
  Run(IDM_SAVE, {FileName(Path("Dusk"))});
  EXPECT_EQ(nameShown, L"Dusk");
  EXPECT_EQ(filterShown, L"(*.LGT)");
  EXPECT_NE(ReadBytes(folder_ / "Dusk.lgt").find("\"Dusk\"\r\n\r\nsuncolor 255 200 150\r\n"),
            std::string::npos);
  Type(IDC_TXTSUNROT, L"90");
  Run(IDM_SAVE, {FileName(Path("Dusk.lgt")), Press(IDYES)});
  EXPECT_TRUE(ReadBytes(folder_ / "Dusk.lgt").ends_with(" sunrotation 90\r\n"));
  EXPECT_EQ(folder_.Entries(), std::vector<std::string>{"Dusk.lgt"});

  WriteBytes(folder_ / "Night.lgt", "LightingSet \"Night\"\r\nsunrotation 270\r\nsuncolor 1 2 3");
  Run(IDM_OPEN, {FileName(Path("Night.lgt"))});
  EXPECT_EQ(Values(), (std::vector<std::wstring>{L"Night", L"1 2 3", L"255 255 255", L"255 255 255",
                                                 L"255 255 255", L"50", L"270"}));

  // Wine's file dialogs crash on paths past MAX_PATH: a name that would not fit beside the
  // folder is not proposed, and typing stops where the path would pass it.
  const std::wstring longName(245, L'n');
  Type(IDC_TXTNAME, longName);
  Run(IDM_SAVE, {FileName(std::wstring(300, L'x'))});
  EXPECT_EQ(nameShown, L"") << "a name that cannot fit is not proposed";
  const std::size_t room = MAX_PATH - 2 - folder_.path().wstring().size();
  EXPECT_EQ(ReadBytes(folder_ / (std::string(room, 'x') + ".lgt")).find("LightingSet \"nnn"), 67u);
  EXPECT_EQ(Text(IDC_TXTNAME), longName) << "the window keeps its values";
}

}  // namespace
}  // namespace editor_testing
