// lgt's commands run in this process, on real files: what each prints, its status, the file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli.h"
#include "support/dusk.h"
#include "support/temp_folder.h"
#include "version.h"

#ifdef _WIN32
#include "wintext/ansi_text.h"
#endif

namespace {

namespace fs = std::filesystem;
using testing_support::kDuskFile;
using testing_support::ReadBytes;
using testing_support::TempFolder;
using testing_support::WriteBytes;

// The arguments as lgt's main makes them from UTF-8 text.
std::vector<lgt::Argument> Arguments(const std::vector<std::string>& texts) {
  std::vector<lgt::Argument> arguments;
  for (const std::string& text : texts) {
#ifdef _WIN32
    const std::wstring wide = wintext::FromUtf8(text);
    arguments.push_back({wide, wintext::ToAnsi(wide), text});
#else
    arguments.push_back({text, text, text});
#endif
  }
  return arguments;
}

// Whether text is pattern, where "…" stands for any text.
bool Matches(std::string_view text, std::string_view pattern) {
  const std::size_t any = pattern.find("…");
  if (any == std::string_view::npos) return text == pattern;
  if (!text.starts_with(pattern.substr(0, any))) return false;
  const std::string_view rest = pattern.substr(any + 3);
  for (std::size_t from = any; from <= text.size(); ++from)
    if (Matches(text.substr(from), rest)) return true;
  return false;
}

constexpr const char* kUsage = "\nUsage: lgt read FILE…";

struct Case {
  std::vector<std::string> arguments;  // "@" stands for the test folder and a slash
  int status;
  std::string out, err;                   // "@" as above; "…" any text
  std::string before = "-", after = "-";  // out.lgt before and after; "-": no such file
};

std::string At(std::string text, const std::string& folder) {
  for (std::size_t at; (at = text.find('@')) != std::string::npos;) text.replace(at, 1, folder);
  return text;
}

// Runs each case in a fresh folder holding the files the cases name.
void RunCases(const std::vector<Case>& cases) {
  TempFolder folder;
#ifdef _WIN32
  const std::string at = wintext::ToUtf8(folder.path().wstring()) + "\\";
  for (const char* name :
       {"b.lgt", "A.lgt", "c.LGT", "\xC3\xA9t\xC3\xA9.lgt", "x.lgtx", "sub\\d.lgt"}) {
    const fs::path path = folder / "w" / wintext::FromUtf8(name);
    fs::create_directories(path.parent_path());
    WriteBytes(path, "sunrotation 5");
  }
  fs::create_directory(folder / "w" / "folder.lgt");
#else
  const std::string at = folder.path().string() + "/";
#endif
  WriteBytes(folder / "good.lgt", kDuskFile);
  WriteBytes(folder / "hand.lgt", "  suncolour 300.7 -4 12 extra\nsuninclination  4.5E1  \n");
  WriteBytes(folder / "bad.lgt", "LightingSet \"a\"\r\nsuncolor 1 x 3\r\n");
  WriteBytes(folder / "empty.lgt", "");
  fs::create_directory(folder / "folder.lgt");
  const fs::path out = folder / "out.lgt";
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.arguments));
    if (fs::exists(out)) fs::permissions(out, fs::perms::owner_all), fs::remove(out);
    if (c.before != "-") WriteBytes(out, c.before == "read-only" ? kDuskFile : c.before);
    if (c.before == "read-only") fs::permissions(out, fs::perms::owner_read);
    std::vector<std::string> texts;
    for (const std::string& argument : c.arguments) texts.push_back(At(argument, at));
    lgt::Output stdOut, stdErr;
    EXPECT_EQ(lgt::Run(Arguments(texts), stdOut, stdErr), c.status);
    EXPECT_PRED2(Matches, stdOut.text(), At(c.out, at));
    EXPECT_PRED2(Matches, stdErr.text(), At(c.err, at));
    if (c.after == "read-only")
      EXPECT_EQ(ReadBytes(out), kDuskFile);
    else if (c.after != "-")
      EXPECT_EQ(ReadBytes(out), c.after);
    else
      EXPECT_FALSE(fs::exists(out));
  }
}

std::string DuskWith(const std::string& from, const std::string& to) {
  std::string text = kDuskFile;
  return text.replace(text.find(from), from.size(), to);
}

// The arguments and the two numbers a write needs.
std::vector<std::string> Valid(std::vector<std::string> arguments) {
  arguments.insert(arguments.end(), {"--sun-inclination", "1", "--sun-rotation", "2"});
  return arguments;
}

const std::string kBadColour = "…is not a colour: give three whole numbers 0 to 255…";
const std::string kDusk = kDuskFile;

// write and read: the values, their refusals, the file.
TEST(LgtCommands, WriteAndRead) {
  // clang-format off
  RunCases({
      {{"read", "@good.lgt"}, 0, "Name=Dusk\nSunColour=255 200 150\nSunSpecular=255 255 255\nAmbientColour=40 40 60\nTerrainAmbientColour=60 60 80\nSunInclination=50\nSunRotation=180\n", ""},
      {{"read", "@hand.lgt"}, 0, "SunColour=255 0 12\nSunInclination=4.5E1\n", ""},
      {{"write", "@out.lgt", "--sun-inclination", "4 5"}, 2, "", "@out.lgt: not written: the sun inclination \"4 5\" is not a number\n"},
      {Valid({"write", "@out.lgt", "--sun-colour", "256 0 0"}), 2, "", "lgt: --sun-colour: \"256 0 0\"" + kBadColour},
      {Valid({"write", "@out.lgt", "--name", "a\"b"}), 2, "", "@out.lgt: not written: the name cannot contain a double quote…"},
      {{"write", "@out.lgt", "--sun-inclination", "1", "--sun-rotation", "2", "--name"}, 2, "", "lgt: --name needs a value" + std::string(kUsage)},
      {{"write", "@out.lgt", "--name", "a", "--name", "b"}, 2, "", "lgt: --name is given twice…"},
      {Valid({"write", "@out.lgt"}), 1, "", "@out.lgt: cannot save: the file is read-only\n", "read-only", "read-only"},
#ifdef _WIN32
      {Valid({"write", "@out.lgt", "--name", "\xE4\xB8\x80"}), 2, "", "lgt: --name: \"\xE4\xB8\x80\" holds characters that the system's ANSI code page cannot hold\n"},
      {{"write", "@out.lgt", "--name", "caf\xC3\xA9", "--sun-inclination", "1", "--sun-rotation", "2"}, 0, "", "", "-", "\\\\Custom Light File Made With Kestrune Light Editor By Tolvane.\r\n\r\nLightingSet \"caf\xE9\"\r\n\r\nsuncolor 255 255 255\r\n\r\nsunspecular 255 255 255\r\n\r\nambientcolor 255 255 255\r\n\r\nterrainambientcolor 255 255 255\r\n\r\nsuninclination 1\r\n\r\n sunrotation 2\r\n"},
#endif
  });
  // clang-format on
}

// Mistakes on the command line: exit status 2 and the usage.
TEST(LgtCommands, CommandLineMistakes) {
  // clang-format off
  RunCases({
      {{}, 2, "", "lgt: no command given" + std::string(kUsage)},
      {{"frobnicate"}, 2, "", "lgt: unknown command frobnicate" + std::string(kUsage)},
      {{"read"}, 2, "", "lgt: read: wrong number of arguments" + std::string(kUsage)},
      {{"read", ""}, 2, "", "lgt: read: the file name is empty" + std::string(kUsage)},
      {Valid({"write", "@out.lgt", "--colour", "1 2 3"}), 2, "", "lgt: unknown option --colour" + std::string(kUsage)},
      {{"--help", "x"}, 2, "", "lgt: --help takes no arguments" + std::string(kUsage)},
      {{"--help"}, 0, "Usage: lgt read FILE\n…Exit status: 0 done, 1 a file could not be read…", ""},
      {{"--version"}, 0, "lgt " KESTRUNE_VERSION_TEXT "\n", ""},
  });
  // clang-format on
}

// check: every file, in order, each failure alone; on Windows, wildcards, which the shell leaves to
// the program.
TEST(LgtCommands, Check) {
  // clang-format off
  RunCases({
      {{"check", "@good.lgt", "@bad.lgt", "@missing.lgt", "@folder.lgt", "@empty.lgt"}, 1, "@good.lgt: ok\n@empty.lgt: ok\n", "@bad.lgt:2: sun colour: the green number \"x\" is not a whole number\n@missing.lgt: cannot open: …\n@folder.lgt: cannot open: it is a folder, not a file\n5 files, 3 could not be read\n"},
      {{"check", "--", "@good.lgt", "@good.lgt"}, 0, "@good.lgt: ok\n@good.lgt: ok\n", "2 files, 0 could not be read\n"},
      {{"check"}, 2, "", "lgt: check: no file named" + std::string(kUsage)},
      {{"check", ""}, 2, "", "lgt: check: a file name is empty" + std::string(kUsage)},
#ifdef _WIN32
      {{"check", "@w\\*.lgt"}, 0, "@w\\A.lgt: ok\n@w\\b.lgt: ok\n@w\\c.LGT: ok\n@w\\\xC3\xA9t\xC3\xA9.lgt: ok\n", "4 files, 0 could not be read\n"},
      {{"check", "@w\\sub\\?.lgt"}, 0, "@w\\sub\\d.lgt: ok\n", ""},
      {{"check", "@w\\*.none", "@w\\b.lgt"}, 1, "@w\\b.lgt: ok\n", "@w\\*.none: no file matches\n2 files, 1 could not be read\n"},
#endif
  });
  // clang-format on
}

// set: only the values given change; a file or value refused changes nothing.
TEST(LgtCommands, Set) {
  // clang-format off
  RunCases({
      {{"set", "@out.lgt", "--sun-rotation", "90"}, 0, "", "", kDusk, DuskWith("sunrotation 180", "sunrotation 90")},
      {{"set", "@out.lgt", "--name", "Noon", "--sun-colour", "1 2 3", "--sun-specular", "4 5 6", "--ambient-colour", "7 8 9", "--terrain-ambient-colour", "10 11 12", "--sun-inclination", "90", "--sun-rotation", "0"}, 0, "", "", kDusk,
       "\\\\Custom Light File Made With Kestrune Light Editor By Tolvane.\r\n\r\nLightingSet \"Noon\"\r\n\r\nsuncolor 1 2 3\r\n\r\nsunspecular 4 5 6\r\n\r\nambientcolor 7 8 9\r\n\r\nterrainambientcolor 10 11 12\r\n\r\nsuninclination 90\r\n\r\n sunrotation 0\r\n"},
      {{"set", "@out.lgt", "--sun-rotation", "180", "--name", "Dusk"}, 0, "", "", "\\\\ my notes\r\nsuncolor 255.9 200 150 extra\r\nhello\r\n  suninclination 50\r\n",
       DuskWith("ambientcolor 40 40 60\r\n\r\nterrainambientcolor 60 60 80", "ambientcolor 255 255 255\r\n\r\nterrainambientcolor 255 255 255")},
      {{"set", "@out.lgt", "--sun-rotation", "1"}, 1, "", "@out.lgt:2: sun colour: the green number \"x\" is not a whole number\n", "LightingSet \"a\"\r\nsuncolor 1 x 3\r\n", "LightingSet \"a\"\r\nsuncolor 1 x 3\r\n"},
      {{"set", "@out.lgt", "--sun-colour", "1 2"}, 2, "", "lgt: --sun-colour: \"1 2\"" + kBadColour, kDusk, kDusk},
      {{"set", "@out.lgt", "--name", "x"}, 2, "", "@out.lgt: not written: the sun rotation \"abc\" is not a number\n", "sunrotation abc\r\nsuninclination 1", "sunrotation abc\r\nsuninclination 1"},
      {{"set", "@out.lgt", "--sun-inclination", " 5 "}, 0, "", "", kDusk, DuskWith("suninclination 50", "suninclination  5 ")},
      {{"set", "@out.lgt", "--name", "x"}, 1, "", "@out.lgt: cannot open: …"},
  });
  // clang-format on
}

}  // namespace
