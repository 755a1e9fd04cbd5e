// Files that fail, through the real main window: each gets a clear message, loses nothing and
// leaves the next Open or Save working.
#include <functional>
#include <utility>

#include "editor_fixture.h"
#include "support/temp_folder.h"

namespace editor_testing {
namespace {

namespace fs = std::filesystem;
using testing_support::ReadBytes;
using testing_support::TempFolder;
using testing_support::WriteBytes;

const std::vector<std::wstring> kBefore = {
    L"Before", L"3 2 1", L"255 255 255", L"255 255 255", L"255 255 255", L"1", L"2"};

class FaultsTest : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    SetValues(kBefore);
  }
  // Opens or saves path as the dialog chose it; returns the message shown ("" when none was).
  std::wstring Run(int command, const fs::path& path) {
    dialogs_.messages.clear();
    dialogs_.openAnswers = dialogs_.saveAnswers = {path.wstring()};
    dialogs_.messageAnswers = {IDYES};
    Command(command);
    // The question before replacing a file is no failure.
    std::erase_if(dialogs_.messages,
                  [](const ScriptedDialogs::Message& m) { return m.title == L"Confirm Save As"; });
    if (dialogs_.messages.empty()) return L"";
    EXPECT_EQ(dialogs_.messages.back().type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
    return dialogs_.messages.back().text;
  }

  TempFolder folder_;
};

// What the window itself owes a user when a file fails: one message naming the file, the line
// and the reason, an unchanged window, an unchanged old file, and a next command that works. The
// many ways a file can be bad are the core's own tests.
TEST_F(FaultsTest, FailuresAreToldAndChangeNothing) {
  const fs::path old = folder_ / "old.lgt";
  HANDLE holder = INVALID_HANDLE_VALUE;
  auto hold = [&] {
    holder = CreateFileW(old.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  };
  const std::wstring notOpened = L"The lighting set could not be opened; nothing was changed.\n\n",
                     notSaved = L"The lighting set could not be saved.\n\n";
  const struct {
    int command;
    std::function<fs::path()> prepare;  // the path chosen in the dialog
    std::wstring start, message;        // what the message holds before and after the path
  } cases[] = {
      // clang-format off
      {IDM_OPEN, [&] { return folder_ / "absent.lgt"; }, notOpened, L": cannot open: No such file or directory"},
      {IDM_OPEN, [&] { return hold(), old; }, notOpened, L": cannot open: Permission denied"},
      {IDM_OPEN, [&] { return WriteBytes(old, "sunrotation 9\r\nsuncolor 1\r\n"), old; }, notOpened, L"\nLine 2: sun colour: the green number is missing"},
      {IDM_OPEN, [&] { return folder_.path(); }, notOpened, L": cannot open: it is a folder, not a file"},
      {IDM_SAVE, [&] { return folder_ / "no such folder" / "a"; }, notSaved, L".lgt: cannot create a temporary file in its folder: "},
      {IDM_SAVE, [&] { return hold(), old; }, notSaved, L": cannot replace the file: "},
      // clang-format on
  };
  for (const auto& c : cases) {
    WriteBytes(old, "old bytes");
    const fs::path path = c.prepare();
    const std::wstring message = Run(c.command, path);
    if (holder != INVALID_HANDLE_VALUE) CloseHandle(std::exchange(holder, INVALID_HANDLE_VALUE));
    EXPECT_TRUE(message.starts_with(c.start + path.wstring() + c.message)) << message;
    EXPECT_EQ(Values(), kBefore);
    if (c.command == IDM_SAVE) {
      EXPECT_EQ(ReadBytes(old), "old bytes") << message;
    }
    EXPECT_EQ(Run(IDM_SAVE, old), L"") << message << ": the next save works";
    EXPECT_EQ(Run(IDM_OPEN, old), L"") << message << ": the next open works";
  }
}

}  // namespace
}  // namespace editor_testing
