// The built lgt program, run as a script runs it: what only a real process shows.
#include <gtest/gtest.h>

#include "support/dusk.h"
#include "support/run_process.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using testing_support::ProcessResult;
using testing_support::ReadBytes;
using testing_support::TempFolder;
using testing_support::WriteBytes;

ProcessResult Lgt(const std::vector<std::string>& arguments) {
  return testing_support::RunProcess(testing_support::BesideThisProgram("lgt"), arguments);
}

// A path as the UTF-8 text lgt takes on its command line.
std::string Utf8(const fs::path& path) {
  const auto text = path.u8string();
  return {text.begin(), text.end()};
}

// Arguments arrive as the system gives them (UTF-16 on Windows, "é" in the name), output lines
// end in LF alone, and the exit status is the command's.
TEST(Lgt, WritesAndReadsThroughTheCommandLine) {
  TempFolder folder;
  const std::string file = Utf8(folder / fs::u8path("caf\xC3\xA9.lgt"));
  const ProcessResult write =
      Lgt({"write", file, "--name", "caf\xC3\xA9", "--sun-colour", "255 200 150",
           "--ambient-colour", "40 40 60", "--terrain-ambient-colour", "60 60 80",
           "--sun-inclination", "50", "--sun-rotation", "180"});
  ASSERT_EQ(write.exitCode, 0) << write.err;
  EXPECT_EQ(write.out + write.err, "");
#ifdef _WIN32
  const std::string name = "caf\xE9";  // in the ANSI code page, 1252 under Wine here
#else
  const std::string name = "caf\xC3\xA9";  // bytes as given
#endif
  std::string dusk = testing_support::kDuskFile;
  EXPECT_EQ(ReadBytes(folder / fs::u8path("caf\xC3\xA9.lgt")),
            dusk.replace(dusk.find("Dusk"), 4, name));

  const ProcessResult read = Lgt({"read", file});
  EXPECT_EQ(read.exitCode, 0) << read.err;
  EXPECT_EQ(read.out,
            "Name=" + name +
                "\nSunColour=255 200 150\nSunSpecular=255 255 255\nAmbientColour=40 40 60\n"
                "TerrainAmbientColour=60 60 80\nSunInclination=50\nSunRotation=180\n");
  const ProcessResult bad = Lgt({"read", Utf8(folder / "missing.lgt")});
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_EQ(Lgt({"frobnicate"}).exitCode, 2);
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

}  // namespace
