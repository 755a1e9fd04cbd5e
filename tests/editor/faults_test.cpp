// Files that fail, through the real main window: each gets a clear message, loses nothing and
// leaves the next Open or Save working.
#include <functional>
#include <utility>

#include "editor/colour_swatch.h"
#include "editor_fixture.h"
#include "support/temp_folder.h"

namespace editor_testing {
namespace {

namespace fs = std::filesystem;
using testing_support::ReadBytes;
using testing_support::TempFolder;
using testing_support::WriteBytes;
using namespace std::string_literals;

class FaultsTest : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    Type(IDC_TXTNAME, L"Before");
    editor::SetSwatchColour(Item(IDC_PICSUNCOL), 0x010203);
    Type(IDC_TXTSUNINC, L"1");
    Type(IDC_TXTSUNROT, L"2");
  }
  void ExpectUnchanged() {
    EXPECT_EQ(Text(IDC_TXTNAME), L"Before");
    EXPECT_EQ(SwatchColour(IDC_PICSUNCOL), 0x010203);
    EXPECT_EQ(Text(IDC_TXTSUNINC), L"1");
    EXPECT_EQ(Text(IDC_TXTSUNROT), L"2");
  }
  // Opens path; returns the message shown, or empty text when none was. A failure is an error.
  std::wstring Open(const fs::path& path) {
    dialogs_.messages.clear();
    dialogs_.openAnswers = {path.wstring()};
    Command(IDM_OPEN);
    return LastMessage();
  }
  std::wstring LastMessage() const {
    if (dialogs_.messages.empty()) return L"";
    EXPECT_EQ(dialogs_.messages.back().type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
    return dialogs_.messages.back().text;
  }
  std::wstring Save(const fs::path& chosen) {
    dialogs_.messages.clear();
    dialogs_.saveAnswers = {chosen.wstring()};
    dialogs_.messageAnswers = {IDYES};
    Command(IDM_SAVE);
    // The question before replacing a file is no failure.
    std::erase_if(dialogs_.messages,
                  [](const ScriptedDialogs::Message& m) { return m.title == L"Confirm Save As"; });
    return LastMessage();
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
  struct Case {
    const char* what;
    bool save;
    std::function<fs::path()> prepare;  // the path chosen in the dialog
    std::wstring message;               // what the message holds after the path
  };
  const Case cases[] = {
      {"open a missing file", false, [&] { return folder_ / "absent.lgt"; },
       L": cannot open: No such file or directory"},
      {"open a file another program holds", false, [&] { return hold(), old; },
       L": cannot open: Permission denied"},
      {"open a broken file", false,
       [&] { return WriteBytes(old, "sunrotation 9\r\nsuncolor 1\r\n"), old; },
       L"\nLine 2: sun colour: the green number is missing"},
      {"open a folder", false, [&] { return folder_.path(); },
       L": cannot open: it is a folder, not a file"},
      {"save into a missing folder", true, [&] { return folder_ / "no such folder" / "a"; },
       L".lgt: cannot create a temporary file in its folder: "},
      {"save over a file another program holds", true, [&] { return hold(), old; },
       L": cannot replace the file: "},
  };
  for (const Case& c : cases) {
    WriteBytes(old, "old bytes");
    const fs::path path = c.prepare();
    const std::wstring message = c.save ? Save(path) : Open(path);
    if (holder != INVALID_HANDLE_VALUE) CloseHandle(std::exchange(holder, INVALID_HANDLE_VALUE));
    EXPECT_TRUE(message.starts_with(c.save ? L"The lighting set could not be saved.\n\n"
                                           : L"The lighting set could not be opened; nothing "
                                             L"was changed.\n\n"))
        << c.what << ": " << message;
    EXPECT_NE(message.find(path.wstring() + c.message), std::wstring::npos)
        << c.what << ": " << message;
    ExpectUnchanged();
    if (c.save) {
      EXPECT_EQ(ReadBytes(old), "old bytes") << c.what;
    }
    EXPECT_EQ(Save(old), L"") << c.what << ": the next save works";
    EXPECT_EQ(Open(old), L"") << c.what << ": the next open works";
  }
}

TEST_F(FaultsTest, ATextBoxShowsItsTextUpToANul) {
  WriteBytes(folder_ / "zero.lgt", "LightingSet \"a\0b\"\r\nsunrotation 4\0005"s);
  EXPECT_EQ(Open(folder_ / "zero.lgt"), L"");
  EXPECT_EQ(Text(IDC_TXTNAME), L"a");
  EXPECT_EQ(Text(IDC_TXTSUNROT), L"4");
}

TEST_F(FaultsTest, PathsLongerThan260CharactersWork) {
  // Made in the \\?\ form, as the system needs for long paths; chosen as a dialog returns it.
  fs::path deep = folder_.path();
  for (int i = 0; i < 6; ++i) deep /= std::string(50, static_cast<char>('a' + i));
  ASSERT_GT(deep.wstring().size(), 260u);
  fs::create_directories(L"\\\\?\\" + deep.wstring());
  const fs::path chosen = deep / "Dusk";
  EXPECT_EQ(Save(chosen), L"");
  Type(IDC_TXTNAME, L"");
  EXPECT_EQ(Open(deep / "Dusk.lgt"), L"");
  EXPECT_EQ(Text(IDC_TXTNAME), L"Before");
  EXPECT_EQ(Save(chosen), L"");
  EXPECT_TRUE(dialogs_.messageAnswers.empty()) << "the file was found and replacing it asked";
  // The library's removal does not reach that deep; take it apart level by level.
  DeleteFileW((L"\\\\?\\" + (deep / "Dusk.lgt").wstring()).c_str());
  for (fs::path level = deep; level != folder_.path(); level = level.parent_path())
    RemoveDirectoryW((L"\\\\?\\" + level.wstring()).c_str());
}

}  // namespace
}  // namespace editor_testing
