// Bad files and failing disks, through the real main window: each gets a clear message, loses
// nothing and leaves the next Open or Save working.
#include <fstream>
#include <functional>
#include <random>

#include "editor/colour_swatch.h"
#include "editor_fixture.h"
#include "support/dusk.h"
#include "support/temp_folder.h"

namespace editor_testing {
namespace {

namespace fs = std::filesystem;
using testing_support::kDuskFile;
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
  // Opens path; returns the message shown, or empty text when none was.
  std::wstring Open(const fs::path& path) {
    dialogs_.messages.clear();
    dialogs_.openAnswers = {path.wstring()};
    Command(IDM_OPEN);
    return dialogs_.messages.empty() ? L"" : dialogs_.messages.back().text;
  }
  std::wstring Save(const fs::path& chosen) {
    dialogs_.messages.clear();
    dialogs_.saveAnswers = {chosen.wstring()};
    dialogs_.messageAnswers = {IDYES};
    Command(IDM_SAVE);
    // The question before replacing a file is no failure.
    std::erase_if(dialogs_.messages,
                  [](const ScriptedDialogs::Message& m) { return m.title == L"Confirm Save As"; });
    return dialogs_.messages.empty() ? L"" : dialogs_.messages.back().text;
  }

  TempFolder folder_;
};

void WriteLargeFile(const fs::path& path, std::size_t bytes,
                    const std::function<std::string(std::size_t)>& line) {
  std::ofstream file(path, std::ios::binary);
  std::string buffer;
  for (std::size_t written = 0, i = 0; written < bytes; ++i) {
    buffer += line(i);
    if (buffer.size() > (1 << 20)) {
      file << buffer;
      written += buffer.size();
      buffer.clear();
    }
  }
  file << buffer;
}

TEST_F(FaultsTest, FilesThatCannotBeReadAreReportedAndChangeNothing) {
  const fs::path held = folder_ / "held.lgt";
  WriteBytes(held, kDuskFile);
  HANDLE holder = CreateFileW(held.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  const std::pair<fs::path, const wchar_t*> cases[] = {
      {folder_ / "absent.lgt", L": cannot open: No such file or directory"},
      {folder_.path(), L": cannot open: it is a folder, not a file"},
      {held, L": cannot open: Permission denied"},  // held without sharing
  };
  for (const auto& [path, reason] : cases) {
    const std::wstring message = Open(path);
    EXPECT_NE(message.find(path.wstring() + reason), std::wstring::npos) << message;
    ExpectUnchanged();
  }
  CloseHandle(holder);
  EXPECT_EQ(Open(held), L"") << "the next open works";
  EXPECT_EQ(Text(IDC_TXTNAME), L"Dusk");
}

TEST_F(FaultsTest, OddButReadableFiles) {
  struct Case {
    const char* what;
    std::string bytes;
    const wchar_t* name;      // what the name box shows afterwards
    const wchar_t* rotation;  // what the rotation box shows afterwards
  };
  const Case cases[] = {
      {"empty", "", L"Before", L"2"},
      {"NUL inside a line: a text box ends its text there",
       "LightingSet \"a\0b\"\r\nsunrotation 4\0005"s, L"a", L"4"},
      // A byte order mark is three characters in front of the first line, which then matches
      // no keyword: a file whose first line is the comment, as written files are, loses nothing.
      {"UTF-8 byte order mark before the comment", std::string("\xEF\xBB\xBF") + kDuskFile, L"Dusk",
       L"180"},
      {"UTF-8 byte order mark before a value (the name stays as the last case left it)",
       "\xEF\xBB\xBFLightingSet \"x\"\r\nsunrotation 9", L"Dusk", L"9"},
  };
  for (const Case& c : cases) {
    WriteBytes(folder_ / "odd.lgt", c.bytes);
    EXPECT_EQ(Open(folder_ / "odd.lgt"), L"") << c.what;
    EXPECT_EQ(Text(IDC_TXTNAME), c.name) << c.what;
    EXPECT_EQ(Text(IDC_TXTSUNROT), c.rotation) << c.what;
  }
}

TEST_F(FaultsTest, LargeAndHostileFiles) {
  const fs::path path = folder_ / "large.lgt";

  // A million valid lines: the last of each keyword wins.
  WriteLargeFile(path, 20'000'000,
                 [](std::size_t i) { return "sunrotation " + std::to_string(i) + "\r\n"; });
  EXPECT_EQ(Open(path), L"");
  EXPECT_GE(std::stoi(Text(IDC_TXTSUNROT)), 1'000'000);

  // 100 MB of junk lines: nothing in it is a keyword, so nothing changes.
  std::mt19937 random(7);
  std::string junk;
  for (int i = 0; i < 1 << 20; ++i)
    junk += i % 81 == 80 ? '\n' : static_cast<char>('a' + random() % 26);
  WriteLargeFile(path, 100'000'000, [&](std::size_t) { return junk; });
  Type(IDC_TXTSUNROT, L"2");
  EXPECT_EQ(Open(path), L"");
  ExpectUnchanged();

  // Binary garbage: whatever it holds, either it is read or it is reported and changes nothing.
  std::string garbage(1 << 20, '\0');
  for (char& c : garbage) c = static_cast<char>(random());
  WriteBytes(path, garbage);
  if (!Open(path).empty()) ExpectUnchanged();

  // Lines of 100,000 characters: a value keeps them all; a name's quotes must lie in reach.
  SetUp();
  WriteBytes(path,
             "\\\\" + std::string(100000, 'c') + "\r\nsuninclination " + std::string(100000, '7'));
  EXPECT_EQ(Open(path), L"");
  EXPECT_EQ(Text(IDC_TXTSUNINC), std::wstring(100000, L'7'));
  Type(IDC_TXTSUNINC, L"1");
  WriteBytes(path, "\r\nLightingSet " + std::string(100000, ' ') + "\"far\"");
  EXPECT_NE(Open(path).find(L"\nLine 2: line too long"), std::wstring::npos);
  ExpectUnchanged();
}

TEST_F(FaultsTest, SavesThatFailKeepTheOldFile) {
  const fs::path old = folder_ / "old.lgt";
  struct Case {
    const char* what;
    std::function<fs::path()> prepare;  // returns the name chosen in the dialog
    const wchar_t* reason;
    std::function<void()> undo;
  };
  HANDLE holder = INVALID_HANDLE_VALUE;
  const Case cases[] = {
      {"missing folder", [&] { return folder_ / "no such folder" / "a"; },
       L"cannot create a temporary file", [] {}},
      {"read-only file",
       [&] {
         SetFileAttributesW(old.c_str(), FILE_ATTRIBUTE_READONLY);
         return old;
       },
       L"the file is read-only", [&] { SetFileAttributesW(old.c_str(), FILE_ATTRIBUTE_NORMAL); }},
      {"file held open by another program",
       [&] {
         holder = CreateFileW(old.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
         return old;
       },
       L"cannot replace the file", [&] { CloseHandle(holder); }},
      {"a folder of that name",
       [&] {
         fs::create_directory(folder_ / "taken.lgt");
         return folder_ / "taken";
       },
       L"it is a folder", [] {}},
  };
  for (const Case& c : cases) {
    WriteBytes(old, "old bytes");
    const std::wstring message = Save(c.prepare());
    c.undo();
    EXPECT_TRUE(message.starts_with(L"The lighting set could not be saved.\n\n"))
        << c.what << ": " << message;
    EXPECT_NE(message.find(c.reason), std::wstring::npos) << c.what << ": " << message;
    EXPECT_EQ(ReadBytes(old), "old bytes") << c.what;
    for (const std::string& entry : folder_.Entries())
      EXPECT_EQ(entry.find(".tmp"), std::string::npos) << entry;
    EXPECT_EQ(Save(old), L"") << c.what << ": the next save works";
    EXPECT_NE(ReadBytes(old).find("LightingSet \"Before\""), std::string::npos);
  }
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
