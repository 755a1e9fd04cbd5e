// lgt check and lgt set on real files, through the real lgt process.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lgt_program.h"
#include "support/dusk.h"
#include "support/run_process.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using testing_support::ProcessResult;
using testing_support::ReadBytes;
using testing_support::TempFolder;
using testing_support::WriteBytes;

using lgt_testing::Lgt;
using lgt_testing::Utf8;

TEST(LgtCheck, ReportsEachFileInTheOrderGiven) {
  TempFolder folder;
  const std::string good = Utf8(folder / "good.lgt"), bad = Utf8(folder / "bad.lgt"),
                    missing = Utf8(folder / "missing.lgt"), other = Utf8(folder / "other.lgt"),
                    aFolder = Utf8(folder / "folder.lgt");
  WriteBytes(good, testing_support::kDuskFile);
  WriteBytes(other, "");
  WriteBytes(bad, "LightingSet \"a\"\r\nsuncolor 1 x 3\r\n");
  fs::create_directory(aFolder);
  struct Case {
    std::vector<std::string> files;
    int exitCode;
    std::string out, errStart, errEnd;
  };
  const Case cases[] = {
      {{good}, 0, good + ": ok\n", "", ""},
      {{bad}, 1, "", bad + ":2: sun colour: the green number \"x\" is not a whole number\n", ""},
      {{good, bad, missing, aFolder, other},
       1,
       good + ": ok\n" + other + ": ok\n",
       bad + ":2: sun colour: the green number \"x\" is not a whole number\n" + missing +
           ": cannot open: ",
       "5 files, 3 could not be read\n"},
      {{"--", good, good},
       0,
       good + ": ok\n" + good + ": ok\n",
       "",
       "2 files, 0 could not be read\n"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> arguments{"check"};
    arguments.insert(arguments.end(), c.files.begin(), c.files.end());
    const ProcessResult result = Lgt(arguments);
    EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
    EXPECT_EQ(result.out, c.out);
    EXPECT_TRUE(result.err.starts_with(c.errStart)) << result.err;
    EXPECT_TRUE(result.err.ends_with(c.errEnd)) << result.err;
  }
  for (const std::vector<std::string>& mistake :
       std::vector<std::vector<std::string>>{{"check"}, {"check", "--all", good}, {"check", ""}}) {
    const ProcessResult result = Lgt(mistake);
    EXPECT_EQ(result.exitCode, 2) << result.err;
    EXPECT_EQ(result.out, "");
  }
}

TEST(LgtCheck, ChecksThousandsOfFiles) {
  TempFolder folder;
  std::vector<std::string> arguments{"check"};
#ifdef _WIN32
  arguments.push_back(Utf8(folder / "*.lgt"));  // a command line holds 32,767 characters
#endif
  for (int i = 0; i < 2000; ++i) {
    const std::string file = Utf8(folder / (std::to_string(i) + ".lgt"));
    WriteBytes(file, i == 1234 ? "suncolor" : "sunrotation 5");
#ifndef _WIN32
    arguments.push_back(file);
#endif
  }
  const ProcessResult result = Lgt(arguments);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 1999);
  EXPECT_TRUE(
      result.err.ends_with("1234.lgt:1: sun colour: no blank after the keyword\n"
                           "2000 files, 1 could not be read\n"))
      << result.err;
}

TEST(LgtSet, ChangesOnlyTheValuesGiven) {
  TempFolder folder;
  const std::string file = Utf8(folder / "dusk.lgt");
  const std::string dusk = testing_support::kDuskFile;
  auto duskWith = [&dusk](const std::string& from, const std::string& to) {
    std::string text = dusk;
    return text.replace(text.find(from), from.size(), to);
  };
  struct Case {
    const char* what;
    std::string before;
    std::vector<std::string> options;
    int exitCode;
    std::string after;  // empty: the file must be unchanged
    const char* message;
  };
  const Case cases[] = {
      {"one field",
       dusk,
       {"--sun-rotation", "90"},
       0,
       duskWith("sunrotation 180", "sunrotation 90"),
       ""},
      {"every field",
       dusk,
       {"--name", "Noon", "--sun-colour", "1 2 3", "--sun-specular", "4 5 6", "--ambient-colour",
        "7 8 9", "--terrain-ambient-colour", "10 11 12", "--sun-inclination", "90",
        "--sun-rotation", "0"},
       0,
       "\\\\Custom Light File Made With Kestrune Light Editor By Tolvane.\r\n\r\n"
       "LightingSet \"Noon\"\r\n\r\nsuncolor 1 2 3\r\n\r\nsunspecular 4 5 6\r\n\r\n"
       "ambientcolor 7 8 9\r\n\r\nterrainambientcolor 10 11 12\r\n\r\nsuninclination 90\r\n\r\n"
       " sunrotation 0\r\n",
       ""},
      {"comments and unknown lines are not kept; unset values take the defaults",
       "\\\\ my notes\r\nsuncolor 255.9 200 150 extra\r\nhello\r\n  suninclination 50\r\n",
       {"--sun-rotation", "180", "--name", "Dusk"},
       0,
       duskWith("ambientcolor 40 40 60\r\n\r\nterrainambientcolor 60 60 80",
                "ambientcolor 255 255 255\r\n\r\nterrainambientcolor 255 255 255"),
       ""},
      {"a file that does not read",
       "LightingSet \"a\"\r\nsuncolor 1 x 3\r\n",
       {"--sun-rotation", "1"},
       1,
       "",
       ":2: sun colour: the green number \"x\" is not a whole number"},
      {"a bad value", dusk, {"--sun-colour", "1 2"}, 2, "", "is not a colour"},
      {"a value of the file that is no number",
       "sunrotation abc\r\nsuninclination 1",
       {"--name", "x"},
       2,
       "",
       "May Contain Numbers Only."},
      {"an unknown option", dusk, {"--colour", "1 2 3"}, 2, "", "unknown option --colour"},
  };
  for (const Case& c : cases) {
    WriteBytes(file, c.before);
    std::vector<std::string> arguments{"set", file};
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());
    const ProcessResult result = Lgt(arguments);
    EXPECT_EQ(result.exitCode, c.exitCode) << c.what << ": " << result.err;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << c.what << ": " << result.err;
    EXPECT_EQ(ReadBytes(file), c.after.empty() ? c.before : c.after) << c.what;
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"dusk.lgt"}) << c.what;
  }
  const ProcessResult missing = Lgt({"set", Utf8(folder / "missing.lgt"), "--name", "x"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("missing.lgt: cannot open: "), std::string::npos) << missing.err;
}

#ifdef _WIN32
TEST(LgtCheck, ExpandsWildcardsItself) {
  TempFolder folder;
  for (const char* name :
       {"b.lgt", "A.lgt", "c.LGT", "\xC3\xA9t\xC3\xA9.lgt", "x.lgtx", "sub\\d.lgt"}) {
    fs::create_directories((folder / fs::u8path(name)).parent_path());
    WriteBytes(folder / fs::u8path(name), "sunrotation 5");
  }
  fs::create_directory(folder / "folder.lgt");
  const std::string at = Utf8(folder.path()) + "\\";
  struct Case {
    std::vector<std::string> patterns;
    int exitCode;
    std::string out, err;
  };
  const Case cases[] = {
      {{at + "*.lgt"},
       0,
       at + "A.lgt: ok\n" + at + "b.lgt: ok\n" + at + "c.LGT: ok\n" + at +
           "\xC3\xA9t\xC3\xA9.lgt: ok\n",
       "4 files, 0 could not be read\n"},
      {{at + "sub\\?.lgt"}, 0, at + "sub\\d.lgt: ok\n", ""},
      {{at + "*.none", at + "b.lgt"},
       1,
       at + "b.lgt: ok\n",
       at + "*.none: no file matches\n2 files, 1 could not be read\n"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> arguments{"check"};
    arguments.insert(arguments.end(), c.patterns.begin(), c.patterns.end());
    const ProcessResult result = Lgt(arguments);
    EXPECT_EQ(result.exitCode, c.exitCode) << c.patterns[0];
    EXPECT_EQ(result.out, c.out);
    EXPECT_EQ(result.err, c.err);
  }
}
#endif

}  // namespace
