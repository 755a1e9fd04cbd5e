// Files reaching the window every way a user hands them over (the dialogs, the command line, a
// drop), and those that fail: one message naming the file, the line and the reason; the window and
// the old file as they were; the next Open and Save working.
#include <functional>
#include <utility>

#include "editor_fixture.h"
#include "support/temp_folder.h"

namespace editor_testing {
namespace {

namespace fs = std::filesystem;
using namespace testing_support;
using namespace std::string_literals;

enum Way { kOpenDialog = 1, kCommandLine = 2, kDrop = 4, kSaveDialog = 8 };

class FilesTest : public EditorTest {
 protected:
  // Hands paths over the way given; returns the messages shown, each as its icon and text.
  std::vector<std::wstring> Run(Way way, const std::vector<std::wstring>& paths) {
    dialogs_.messages.clear();
    dialogs_.openAnswers = dialogs_.saveAnswers = {paths[0]};
    dialogs_.messageAnswers = {IDYES};
    if (way == kCommandLine) window_->OpenFiles(paths);
    if (way == kDrop)
      SendMessageW(MainWindow(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
    if (way & (kOpenDialog | kSaveDialog)) Command(way == kOpenDialog ? IDM_OPEN : IDM_SAVE);
    std::vector<std::wstring> shown;
    for (const auto& message : dialogs_.messages)  // the question before replacing is no failure
      if (message.title != L"Confirm Save As")
        shown.push_back(std::to_wstring(message.type & MB_ICONMASK) + L" " + message.text);
    return shown;
  }
};

TEST_F(FilesTest, EachWayOpensTheFirstFileAndFailuresChangeNothing) {
  const std::vector<std::wstring> before = {
      L"Before", L"3 2 1", L"255 255 255", L"255 255 255", L"255 255 255", L"1", L"2"};
  auto after = [&before](const wchar_t* name, const wchar_t* rotation) {
    std::vector<std::wstring> values = before;
    values[0] = name, values[6] = rotation;
    return values;
  };
  WriteBytes(folder_ / "dusk.lgt", "LightingSet \"Dusk\"\r\nsunrotation 180\r\n");
  WriteBytes(folder_ / "noon.lgt", "LightingSet \"Noon\"\r\n");
  WriteBytes(folder_ / "zero.lgt", "LightingSet \"a\0b\"\r\nsunrotation 4\0005"s);
  WriteBytes(folder_ / "broken.lgt", "sunrotation 9\r\nsuncolor 1\r\n");
  const fs::path old = folder_ / "old.lgt";
  HANDLE holder = INVALID_HANDLE_VALUE;
  auto held = [&] {
    holder = CreateFileW(old.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    return old.wstring();
  };
  WriteBytes(folder_ / "long.lgt", "sunrotation 5\r\nsuninclination " + std::string(32768, '7'));
  // A pipe whose server never writes: reading it would wait for ever. Each open takes a server.
  const std::wstring pipeName = L"\\\\.\\pipe\\kestrune-" + std::to_wstring(GetCurrentProcessId());
  std::vector<HANDLE> servers;
  auto pipe = [&] {
    servers.push_back(CreateNamedPipeW(pipeName.c_str(), PIPE_ACCESS_DUPLEX, 0,
                                       PIPE_UNLIMITED_INSTANCES, 0, 0, 0, nullptr));
    return pipeName;
  };
  const std::wstring error = std::to_wstring(MB_ICONERROR) + L" ";
  const std::wstring notOpened =
      error + L"The lighting set could not be opened; nothing was changed.\n\n";
  const std::wstring notSaved = error + L"The lighting set could not be saved.\n\n";
  const int opens = kOpenDialog | kCommandLine | kDrop;
  const struct {
    int ways;
    std::function<std::vector<std::wstring>()> paths;
    std::vector<std::wstring> values;
    std::wstring message;  // its start; "" when none is shown
  } cases[] = {
      // clang-format off
      {opens, [&] { return std::vector{Path("dusk.lgt")}; }, after(L"Dusk", L"180"), L""},
      {opens, [&] { return std::vector{Path("zero.lgt")}; }, after(L"a", L"4"), L""},  // a text box shows its text up to a NUL
      {kCommandLine | kDrop, [&] { return std::vector{Path("noon.lgt"), Path("dusk.lgt")}; }, after(L"Noon", L"2"),
       std::to_wstring(MB_ICONINFORMATION) + L" Kestrune Light Editor holds one lighting set at a time. It opened\n\n" + Path("noon.lgt") +
       L"\n\nand not:\n\n" + Path("dusk.lgt") + L": not opened, as one lighting set is open at a time"},
      {kCommandLine | kDrop, [&] { return std::vector{Path("absent.lgt"), Path("dusk.lgt")}; }, after(L"Dusk", L"180"),
       std::to_wstring(MB_ICONWARNING) + L" Kestrune Light Editor holds one lighting set at a time. It opened\n\n" + Path("dusk.lgt") +
       L"\n\nand not:\n\n" + Path("absent.lgt") + L": cannot open: "},
      {kCommandLine, [&] { return std::vector{L""s}; }, before, notOpened + L"(an empty name): not a file name"},
      {opens, [&] { return std::vector{std::wstring(L"NUL")}; }, before, notOpened + L"NUL: cannot open: not a regular file"},
      {opens, [&] { return std::vector{pipe()}; }, before, notOpened + pipe() + L": cannot open: not a regular file"},
      {opens, [&] { return std::vector{Path("long.lgt")}; }, before,
       notOpened + Path("long.lgt") + L"\nLine 2: the sun inclination holds 32768 characters; its box takes at most 32767"},
      {opens, [&] { return std::vector{Path("broken.lgt")}; }, before, notOpened + Path("broken.lgt") + L"\nLine 2: sun colour: the green number is missing"},
      {opens, [&] { return std::vector{folder_.path().wstring()}; }, before, notOpened + folder_.path().wstring() + L": cannot open: it is a folder, not a file"},
      {opens, [&] { return std::vector{held()}; }, before, notOpened + old.wstring() + L": cannot open: "},
      {kSaveDialog, [&] { return std::vector{Path("no such folder\\a")}; }, before, notSaved + Path("no such folder\\a.lgt") + L": cannot open its folder: "},
      {kSaveDialog, [&] { return std::vector{held()}; }, before, notSaved + old.wstring() + L": cannot replace the file: "},
      // clang-format on
  };
  for (const auto& c : cases) {
    for (const Way way : {kOpenDialog, kCommandLine, kDrop, kSaveDialog}) {
      if (!(c.ways & way)) continue;
      SetValues(before);
      WriteBytes(old, "old bytes");
      const std::vector<std::wstring> paths = c.paths();
      const std::vector<std::wstring> shown = Run(way, paths);
      if (holder != INVALID_HANDLE_VALUE) CloseHandle(std::exchange(holder, INVALID_HANDLE_VALUE));
      SCOPED_TRACE(testing::PrintToString(paths[0]) + ", way " + std::to_string(way));
      EXPECT_EQ(Values(), c.values);
      ASSERT_EQ(shown.size(), c.message.empty() ? 0u : 1u);
      if (!c.message.empty()) {
        EXPECT_TRUE(shown[0].starts_with(c.message)) << testing::PrintToString(shown[0]);
      }
      EXPECT_EQ(ReadBytes(old), "old bytes");
      EXPECT_EQ(Run(kSaveDialog, {old.wstring()}), std::vector<std::wstring>{}) << "the next save";
      EXPECT_EQ(Run(kOpenDialog, {old.wstring()}), std::vector<std::wstring>{}) << "the next open";
      EXPECT_EQ(dialogs_.openRequests.back(), L"Open LGT|*.Lgt");
    }
  }
  for (const HANDLE server : servers) CloseHandle(server);
}

// However many files are handed over, the message names a few and counts the rest.
TEST_F(FilesTest, ManyFilesAreCountedNotListed) {
  WriteBytes(folder_ / "dusk.lgt", "LightingSet \"Dusk\"\r\n");
  const std::vector<std::wstring> shown = Run(kCommandLine, std::vector(900, Path("dusk.lgt")));
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_TRUE(shown[0].ends_with(L"at a time\n\nand 895 others")) << shown[0].substr(0, 400);
}

}  // namespace
}  // namespace editor_testing
