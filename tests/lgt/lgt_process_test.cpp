// Runs the built lgt program on real files.
#include <gtest/gtest.h>

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

using testing_support::kDuskFile;

TEST(Lgt, WritesAndReadsTheDuskExample) {
  TempFolder folder;
  const std::string file = Utf8(folder / "Dusk.lgt");
  const ProcessResult write = Lgt({"write", file, "--name", "Dusk", "--sun-colour", "255 200 150",
                                   "--ambient-colour", "40 40 60", "--terrain-ambient-colour",
                                   "60 60 80", "--sun-inclination", "50", "--sun-rotation", "180"});
  ASSERT_EQ(write.exitCode, 0) << write.err;
  EXPECT_EQ(write.out + write.err, "");
  EXPECT_EQ(ReadBytes(file), kDuskFile);

  const ProcessResult read = Lgt({"read", file});
  EXPECT_EQ(read.exitCode, 0) << read.err;
  EXPECT_EQ(read.out,
            "Name=Dusk\nSunColour=255 200 150\nSunSpecular=255 255 255\nAmbientColour=40 40 60\n"
            "TerrainAmbientColour=60 60 80\nSunInclination=50\nSunRotation=180\n");
  EXPECT_EQ(read.err, "");
}

TEST(Lgt, ReadPrintsOnlyWhatTheFileSets) {
  TempFolder folder;
  const std::string file = Utf8(folder / "hand.lgt");
  WriteBytes(file, "  suncolour 300.7 -4 12 extra\nsuninclination  4.5E1  \n");
  const ProcessResult read = Lgt({"read", file});
  EXPECT_EQ(read.exitCode, 0);
  EXPECT_EQ(read.out, "SunColour=255 0 12\nSunInclination=4.5E1\n");
}

TEST(Lgt, ReadErrorsGoToStandardErrorWithTheLine) {
  TempFolder folder;
  const std::string bad = Utf8(folder / "bad.lgt");
  WriteBytes(bad, "LightingSet \"ok\"\r\n\r\nsuncolor 40000 0 0\r\n");
  const ProcessResult read = Lgt({"read", bad});
  EXPECT_EQ(read.exitCode, 1);
  EXPECT_EQ(read.out, "");
  EXPECT_EQ(read.err,
            bad + ":3: sun colour: the red number \"40000\" is out of range (-32768 to 32767)\n");

  const std::string missing = Utf8(folder / "missing.lgt");
  const ProcessResult absent = Lgt({"read", missing});
  EXPECT_EQ(absent.exitCode, 1);
  EXPECT_EQ(absent.out, "");
  EXPECT_TRUE(absent.err.starts_with(missing + ": cannot open: ")) << absent.err;
}

TEST(Lgt, RefusedWritesExitWithAReasonAndWriteNothing) {
  struct Case {
    std::vector<std::string> options;
    int exitCode;
    const char* message;
  };
  const Case cases[] = {
      {{}, 2, "The Sun Rotation & Sun Inclination Boxes May Contain Numbers Only.\n"},
      {{"--sun-inclination", "1", "--sun-rotation", "abc"},
       2,
       "The Sun Rotation & Sun Inclination Boxes May Contain Numbers Only.\n"},
      {{"--sun-inclination", "1", "--sun-rotation", "2", "--sun-colour", "256 0 0"},
       2,
       "is not a colour"},
      {{"--sun-inclination", "1", "--sun-rotation", "2", "--sun-specular", "1,2,3"},
       2,
       "is not a colour"},
      {{"--sun-inclination", "1", "--sun-rotation", "2", "--name", "a\"b"}, 2, "double quote"},
      {{"--sun-inclination", "1", "--sun-rotation", "2", "--name"}, 2, "--name needs a value"},
      {{"--sun-inclination", "1", "--sun-rotation", "2", "--colour", "1 2 3"},
       2,
       "unknown option --colour"},
      {{"--name", "a", "--name", "b"}, 2, "--name is given twice"},
  };
  TempFolder folder;
  const std::string file = Utf8(folder / "out.lgt");
  for (const Case& c : cases) {
    std::vector<std::string> arguments{"write", file};
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());
    const ProcessResult result = Lgt(arguments);
    EXPECT_EQ(result.exitCode, c.exitCode) << c.message;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");
  }
  EXPECT_TRUE(folder.Entries().empty());
}

TEST(Lgt, FailedWriteKeepsTheOldFile) {
  TempFolder folder;
  const std::string file = Utf8(folder / "no folder" / "a.lgt");
  const ProcessResult result =
      Lgt({"write", file, "--sun-inclination", "1", "--sun-rotation", "2"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_TRUE(result.err.starts_with(file + ": cannot create a temporary file")) << result.err;
  EXPECT_TRUE(folder.Entries().empty());
}

TEST(Lgt, CommandLineMistakesShowUsage) {
  const std::pair<std::vector<std::string>, const char*> mistakes[] = {
      {{}, "no command given"},
      {{"frobnicate"}, "unknown command frobnicate"},
      {{"read"}, "read: wrong number of arguments"},
      {{"read", "a", "b"}, "read: wrong number of arguments"},
      {{"write"}, "write: wrong number of arguments"},
      {{"write", "", "--sun-inclination", "1", "--sun-rotation", "2"},
       "write: the file name is empty"},
      {{"read", ""}, "read: the file name is empty"},
      {{"--help", "x"}, "--help takes no arguments"},
      {{"--version", "x"}, "--version takes no arguments"},
      {{"-h"}, "unknown command -h"},
  };
  for (const auto& [arguments, message] : mistakes) {
    const ProcessResult result = Lgt(arguments);
    EXPECT_EQ(result.exitCode, 2) << message;
    EXPECT_TRUE(result.err.starts_with("lgt: " + std::string(message) + "\nUsage: lgt read FILE"))
        << result.err;
    EXPECT_EQ(result.out, "");
  }
  const ProcessResult help = Lgt({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_TRUE(help.out.starts_with("Usage: lgt read FILE\n"));
  const ProcessResult version = Lgt({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out, "lgt 1.1.0\n");
}

TEST(Lgt, OutputThatCannotBeWrittenIsAFailure) {
  TempFolder folder;
  const std::string file = Utf8(folder / "a.lgt");
  WriteBytes(file, "sunrotation 5\r\n");
#ifdef _WIN32
  const fs::path full = "Z:\\dev\\full";  // Wine's view of the host's always-full device
#else
  const fs::path full = "/dev/full";
#endif
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{"read", file}, {"--help"}, {"--version"}}) {
    const ProcessResult result =
        testing_support::RunProcess(testing_support::BesideThisProgram("lgt"), arguments, full);
    EXPECT_EQ(result.exitCode, 1) << arguments[0];
    EXPECT_TRUE(result.err.starts_with("lgt: cannot write to standard output")) << result.err;
  }
}

// Memory is bounded by the longest value line: any other line, however long, is read.
#if !defined(_WIN32) && !defined(__SANITIZE_ADDRESS__)
TEST(Lgt, LongLinesReadWithinASmallMemoryLimit) {
  TempFolder folder;
  const std::string big(64 << 20, 'x');
  const std::pair<std::string, const char*> cases[] = {
      {big, ""},
      {"LightingSet \"n\"" + big, ""},
      {"suncolor 1 2 3 " + big, ""},
      {"sunrotation " + big, ":1: the line is too long to hold in memory\n"},
  };
  for (const auto& [text, error] : cases) {
    const std::string file = Utf8(folder / "long.lgt");
    WriteBytes(file, "\r\n" + text);
    const ProcessResult result = testing_support::RunProcess(
        "/bin/sh", {"-c", "ulimit -v 40000 && exec \"$0\" read \"$1\"",
                    Utf8(testing_support::BesideThisProgram("lgt")), file});
    EXPECT_EQ(result.exitCode, *error ? 1 : 0) << result.err;
    EXPECT_EQ(result.err, *error ? file + ":2" + std::string(error).substr(2) : "");
  }
}
#endif

#ifdef _WIN32
TEST(Lgt, RefusesTextTheAnsiCodePageCannotHold) {
  TempFolder folder;
  const std::string file = Utf8(folder / "a.lgt");
  // U+4E00 is in no single-byte code page; "é" is in 1252, which Wine uses here.
  const ProcessResult refused = Lgt(
      {"write", file, "--name", "\xE4\xB8\x80", "--sun-inclination", "1", "--sun-rotation", "2"});
  EXPECT_EQ(refused.exitCode, 2);
  EXPECT_NE(refused.err.find("ANSI code page cannot hold"), std::string::npos) << refused.err;
  EXPECT_TRUE(folder.Entries().empty());

  const ProcessResult accepted = Lgt(
      {"write", file, "--name", "caf\xC3\xA9", "--sun-inclination", "1", "--sun-rotation", "2"});
  ASSERT_EQ(accepted.exitCode, 0) << accepted.err;
  EXPECT_NE(ReadBytes(file).find("LightingSet \"caf\xE9\""), std::string::npos);
  EXPECT_TRUE(Lgt({"read", file}).out.starts_with("Name=caf\xE9\n"));
}
#endif

}  // namespace
