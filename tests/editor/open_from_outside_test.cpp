// Files handed to the editor from outside: on the command line and dropped on the window.
#include <shlobj.h>

#include "editor/command_line.h"
#include "editor_fixture.h"
#include "support/temp_folder.h"

namespace editor_testing {
namespace {

namespace fs = std::filesystem;
using testing_support::TempFolder;
using testing_support::WriteBytes;
using namespace std::string_literals;

std::wstring CurrentFolder() {
  std::wstring folder(GetCurrentDirectoryW(0, nullptr), L'\0');
  folder.resize(GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data()));
  return folder;
}

TEST(FilesToOpen, SplitsTheCommandLineAsWindowsDoes) {
  const std::wstring here = CurrentFolder() + (CurrentFolder().ends_with(L'\\') ? L"" : L"\\");
  const std::wstring longPath =
      L"C:\\" + std::wstring(150, L'a') + L"\\" + std::wstring(150, L'b') + L".lgt";
  const std::pair<std::wstring, std::vector<std::wstring>> cases[] = {
      {L"\"C:\\Program Files\\Kestrune Light Editor.exe\"", {}},
      {L"editor.exe C:\\sets\\dusk.lgt", {L"C:\\sets\\dusk.lgt"}},
      {L"editor.exe \"C:\\my sets\\\x00E9t\x00E9 \x6625.lgt\"",
       {L"C:\\my sets\\\x00E9t\x00E9 \x6625.lgt"}},
      {L"editor.exe dusk.lgt", {here + L"dusk.lgt"}},
      {L"editor.exe " + longPath, {longPath}},
      {L"editor.exe a.lgt \"C:\\b c.lgt\"", {here + L"a.lgt", L"C:\\b c.lgt"}},
  };
  for (const auto& [commandLine, files] : cases)
    EXPECT_EQ(editor::FilesToOpen(commandLine.c_str()), files) << commandLine;
}

// A drop as Explorer makes it: a DROPFILES header and the paths, each ending in NUL, then a NUL.
HDROP MakeDrop(const std::vector<std::wstring>& paths) {
  std::wstring list;
  for (const std::wstring& path : paths) list += path + L'\0';
  list += L'\0';
  const HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
  auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
  header->pFiles = sizeof(DROPFILES);
  header->fWide = TRUE;
  list.copy(reinterpret_cast<wchar_t*>(header + 1), list.size());
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

class OpenFromOutsideTest : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    WriteBytes(folder_ / "dusk.lgt", "LightingSet \"Dusk\"\r\nsunrotation 180\r\n");
    WriteBytes(folder_ / "noon.lgt", "LightingSet \"Noon\"\r\n");
    WriteBytes(folder_ / "broken.lgt", "sunrotation 90\r\nsuncolor 1 2\r\n");
    WriteBytes(folder_ / "zero.lgt", "LightingSet \"a\0b\"\r\nsunrotation 4\0005"s);
  }
  std::wstring Path(const char* name) const { return (folder_ / name).wstring(); }

  TempFolder folder_;
};

TEST_F(OpenFromOutsideTest, OpensTheFirstFileGivenOrDroppedAndSaysWhatItDid) {
  const std::wstring notOpened = L"The lighting set could not be opened; nothing was changed.\n\n";
  const struct {
    std::vector<std::wstring> paths;
    std::wstring name, rotation, message;  // the window afterwards; the message's start
  } cases[] = {
      // clang-format off
      {{Path("dusk.lgt")}, L"Dusk", L"180", L""},
      {{Path("zero.lgt")}, L"a", L"4", L""},  // a text box shows its text up to a NUL
      {{Path("noon.lgt"), Path("dusk.lgt")}, L"Noon", L"",
       L"Kestrune Light Editor holds one lighting set at a time, so only the first of the 2 files was opened:\n\n" + Path("noon.lgt")},
      {{Path("broken.lgt")}, L"before", L"", notOpened + Path("broken.lgt") + L"\nLine 2: sun colour: the blue number is missing"},
      // clang-format on
  };
  for (const bool dropped : {false, true}) {
    for (const auto& c : cases) {
      Type(IDC_TXTNAME, L"before");
      Type(IDC_TXTSUNROT, L"");
      dialogs_.messages.clear();
      if (dropped)
        SendMessageW(MainWindow(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(c.paths)), 0);
      else
        window_->OpenFiles(c.paths);
      SCOPED_TRACE(testing::PrintToString(c.paths[0]) + (dropped ? ", dropped" : ", given"));
      EXPECT_EQ(Text(IDC_TXTNAME), c.name);
      EXPECT_EQ(Text(IDC_TXTSUNROT), c.rotation);
      ASSERT_EQ(dialogs_.messages.size(), c.message.empty() ? 0u : 1u);
      if (!c.message.empty()) {
        EXPECT_TRUE(dialogs_.messages[0].text.starts_with(c.message))
            << testing::PrintToString(dialogs_.messages[0].text);
      }
    }
  }
}

}  // namespace
}  // namespace editor_testing
