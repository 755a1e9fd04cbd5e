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
    Type(IDC_TXTNAME, L"before");
  }
  std::wstring Path(const char* name) const { return (folder_ / name).wstring(); }

  TempFolder folder_;
};

TEST_F(OpenFromOutsideTest, OpensTheFirstFileGivenOrDroppedAndSaysWhatItDid) {
  struct Case {
    const char* what;
    std::vector<std::wstring> paths;
    std::wstring name, rotation;         // the window afterwards
    std::vector<std::wstring> messages;  // each message's start, in order
  };
  const std::wstring notOpened = L"The lighting set could not be opened; nothing was changed.\n\n";
  const Case cases[] = {
      {"one file", {Path("dusk.lgt")}, L"Dusk", L"180", {}},
      {"two files",
       {Path("noon.lgt"), Path("dusk.lgt")},
       L"Noon",
       L"",
       {L"Kestrune Light Editor holds one lighting set at a time, so only the first of the 2 "
        L"files was opened:\n\n" +
        Path("noon.lgt")}},
      {"a missing file",
       {Path("absent.lgt")},
       L"before",
       L"",
       {notOpened + Path("absent.lgt") + L": cannot open: "}},
      {"a folder",
       {folder_.path().wstring()},
       L"before",
       L"",
       {notOpened + folder_.path().wstring() + L": cannot open: it is a folder, not a file"}},
      {"a broken file",
       {Path("broken.lgt")},
       L"before",
       L"",
       {notOpened + Path("broken.lgt") + L"\nLine 2: sun colour: the blue number is missing"}},
  };
  for (const bool dropped : {false, true}) {
    for (const Case& c : cases) {
      Type(IDC_TXTNAME, L"before");
      Type(IDC_TXTSUNROT, L"");
      dialogs_.messages.clear();
      if (dropped)
        SendMessageW(MainWindow(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(c.paths)), 0);
      else
        window_->OpenFiles(c.paths);
      const std::string what = std::string(c.what) + (dropped ? ", dropped" : ", given");
      EXPECT_EQ(Text(IDC_TXTNAME), c.name) << what;
      EXPECT_EQ(Text(IDC_TXTSUNROT), c.rotation) << what;
      ASSERT_EQ(dialogs_.messages.size(), c.messages.size()) << what;
      for (std::size_t i = 0; i < c.messages.size(); ++i)
        EXPECT_TRUE(dialogs_.messages[i].text.starts_with(c.messages[i]))
            << what << ": " << testing::PrintToString(dialogs_.messages[i].text);
    }
  }
}

TEST_F(OpenFromOutsideTest, OnlyTheMainWindowTakesDrops) {
  EXPECT_TRUE(GetWindowLongPtrW(MainWindow(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
  Command(IDM_HELP);
  EXPECT_FALSE(GetWindowLongPtrW(HelpWindow(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
}

}  // namespace
}  // namespace editor_testing
