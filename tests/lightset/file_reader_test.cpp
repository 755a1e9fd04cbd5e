#include <gtest/gtest.h>

#include "lightset/file_reader.h"
#include "support/temp_folder.h"

namespace lightset {
namespace {

namespace fs = std::filesystem;
using testing_support::TempFolder;
using testing_support::WriteBytes;

ColourRef Rgb(int red, int green, int blue) { return red + 256 * green + 65536 * blue; }

// The values text sets, without the lines that set them.
LoadedLightSetting Parse(std::string_view text) {
  LoadedLightSetting setting;
  const auto error = ParseLightText(text, setting);
  EXPECT_FALSE(error) << "line " << error->Line << ": " << error->Message;
  setting.Lines = {};
  return setting;
}

struct ReadCase {
  const char* what;
  std::string text;
  LoadedLightSetting expected;
};

TEST(ParseLightText, ReadsWhatItRecognisesAndIgnoresTheRest) {
  const std::string header =
      "\\\\Custom Light File Made With Kestrune Light Editor By Tolvane.\r\n";
  const ReadCase cases[] = {
      {"empty file", "", {}},
      {"writer's layout",
       header +
           "\r\nLightingSet \"Dusk\"\r\n\r\nsuncolor 255 200 150\r\n\r\nsunspecular 255 255 255\r\n"
           "\r\nambientcolor 40 40 60\r\n\r\nterrainambientcolor 60 60 80\r\n\r\n"
           "suninclination 50\r\n\r\n sunrotation 180\r\n",
       {.Name = "Dusk",
        .SunColour = Rgb(255, 200, 150),
        .SunSpecular = Rgb(255, 255, 255),
        .AmbientColour = Rgb(40, 40, 60),
        .TerrainAmbientColour = Rgb(60, 60, 80),
        .SunInclination = "50",
        .SunRotation = "180"}},
      {"only the first six characters count", "suncolour 10 20 30", {.SunColour = Rgb(10, 20, 30)}},
      {"several blanks", "   suncolor   10    20   30", {.SunColour = Rgb(10, 20, 30)}},
      {"text behind the third number",
       "suncolor 10 20 30 40 and more",
       {.SunColour = Rgb(10, 20, 30)}},
      {"fractions are cut", "suncolor 255.0 128.9 0.5", {.SunColour = Rgb(255, 128, 0)}},
      {"above 255 counts as 255", "sunspecular 300 0 32767", {.SunSpecular = Rgb(255, 0, 255)}},
      {"below 0 counts as 0", "ambientcolor -1 +20 -32768", {.AmbientColour = Rgb(0, 20, 0)}},
      {"leading zeros", "terrainambientcolor 007 0010 0", {.TerrainAmbientColour = Rgb(7, 10, 0)}},
      {"five digits and more",
       "suncolor 32767 000000000012 00255.9",
       {.SunColour = Rgb(255, 12, 255)}},
      {"one, two and three digits up to the file's end",
       "sunspecular 9 99 999",
       {.SunSpecular = Rgb(9, 99, 255)}},
      {"points, blanks and dropped digits", "suncolor 1.5.x   2.  3.", {.SunColour = Rgb(1, 2, 3)}},
      {"case-sensitive", "lightingset \"a\"\nSunColor 1 2 3\nSUNROTATION 5", {}},
      {"all six characters count", "suncoX 1 2 3\nLightX \"a\"\nsunroX 5\nsuninX 6", {}},
      {"tab before a keyword", "\tsuncolor 1 2 3", {}},
      {"line of blanks and short lines", "     \r\nsun\r\nsunro\r\n", {}},
      {"comment mark", "\\\\suncolor 1 2 3\r\n \\\\sunrotation 9", {}},
      {"one backslash is no comment", "\\suncolor 1 2 3", {}},
      {"quoted name", "LightingSet x \"Dusk at sea\" y", {.Name = "Dusk at sea"}},
      {"empty name", "LightingSet \"\"", {.Name = ""}},
      {"quote inside the name ends it", "LightingSet \"a\"b\"", {.Name = "a"}},
      {"name bytes unchanged", "LightingSet \"caf\xE9\t\x01\"", {.Name = "caf\xE9\t\x01"}},
      {"value trimmed", "suninclination    50   ", {.SunInclination = "50"}},
      {"value not tested", "suninclination abc def", {.SunInclination = "abc def"}},
      {"value empty after one blank", "sunrotation ", {.SunRotation = ""}},
      {"value keyword alone", "sunrotation", {.SunRotation = ""}},
      {"six characters that are a keyword",
       "sunrot\r\nsuninc",
       {.SunInclination = "", .SunRotation = ""}},
      {"value behind the first blank", "sunrotationXYZ 45", {.SunRotation = "45"}},
      {"last line wins", "sunrotation 1\r\nsunrotation 2", {.SunRotation = "2"}},
      {"reverse order",
       "sunrotation 9\r\nsuncolor 1 2 3\r\nLightingSet \"R\"",
       {.Name = "R", .SunColour = Rgb(1, 2, 3), .SunRotation = "9"}},
      {"LF alone ends a line",
       "LightingSet \"a\"\nsunrotation 5\n",
       {.Name = "a", .SunRotation = "5"}},
      {"CR alone ends a line",
       "LightingSet \"a\"\rsunrotation 5\r",
       {.Name = "a", .SunRotation = "5"}},
      {"LF CR is two line ends",
       "sunrotation 5\n\rsuninclination 6",
       {.SunInclination = "6", .SunRotation = "5"}},
      {"last line without a line end",
       "sunrotation 5\r\nsuninclination 6",
       {.SunInclination = "6", .SunRotation = "5"}},
      {"NUL bytes are ordinary",
       std::string("sunrotation 1\0002\r\nx\0", 19),
       {.SunRotation = std::string("1\0002", 3)}},
  };
  for (const ReadCase& c : cases) EXPECT_EQ(Parse(c.text), c.expected) << c.what;

  LoadedLightSetting setting;
  ASSERT_FALSE(ParseLightText("LightingSet \"a\"\r\nsunrotation 1\n\nsunrotation 2", setting));
  EXPECT_EQ(setting.Lines, (LoadedLightSetting::TextLines{.Name = 1, .SunRotation = 4}));
}

struct ErrorCase {
  const char* what;
  std::string text;
  std::size_t line;
  const char* message;
};

TEST(ParseLightText, StopsAtTheFirstBadLineAndReturnsNothing) {
  const std::string longRun(40000, 'x');
  const ErrorCase cases[] = {
      {"name without quotes", "LightingSet Dusk", 1, "name: no double quote before the name"},
      {"name with one quote", "\r\n\r\nLightingSet \"Dusk", 3, "name: no closing double quote"},
      {"colour keyword alone", "suncolor", 1, "sun colour: no blank after the keyword"},
      {"colour with tab only", "sunspecular\t1\t2\t3", 1,
       "sun specular: no blank after the keyword"},
      {"missing number", "ambientcolor 1 2", 1, "ambient colour: the blue number is missing"},
      {"blank after a number", "suncolor 1 ", 1, "sun colour: the green number is missing"},
      {"point first", "suncolor .5 1 2", 1, "sun colour: the red number is missing"},
      {"ends after the point", "suncolor 1 2.5", 1, "sun colour: the blue number is missing"},
      {"letters", "x\nterrainambientcolor 1 b 3", 2,
       "terrain ambient colour: the green number \"b\" is not a whole number"},
      {"tab behind a number", "suncolor 1\t2 3", 1, "the red number \"1\\x092\" is not a whole"},
      {"sign alone", "suncolor - 1 2", 1, "the red number \"-\" is not a whole number"},
      {"exponent", "suncolor 1e2 1 2", 1, "the red number \"1e2\" is not a whole number"},
      {"just too large", "suncolor 0 32768 0", 1, "the green number \"32768\" is out of range"},
      {"too large", "suncolor 40000 0 0", 1,
       "sun colour: the red number \"40000\" is out of range"},
      {"too small", "suncolor 0 0 -32769", 1, "the blue number \"-32769\" is out of range"},
      {"huge", "suncolor 0 99999999999999999999 0", 1, "\"99999999999999999999\" is out of range"},
      {"line count includes skipped lines", "\\\\c\r\n\r\n   \r\nzzz\nsuncolor a 1 1", 5,
       "not a whole number"},
      {"long name scan", "LightingSet " + longRun + "\"a\"", 1, "line too long"},
      {"long token", "suncolor " + longRun, 1, "line too long"},
      {"no closing quote within 32,766 characters", "LightingSet \"" + std::string(32766, 'n'), 1,
       "name: no closing double quote"},
      {"no closing quote within 32,767 characters", "LightingSet \"" + std::string(32767, 'n'), 1,
       "line too long"},
      {"no blank within 32,766 characters", "suncol" + std::string(32760, 'x'), 1,
       "no blank after the keyword"},
      {"no blank within 32,767 characters", "suncol" + std::string(32761, 'x'), 1, "line too long"},
      {"DEL shown escaped, ~ as it is", "suncolor 1~\x7f 2 3", 1,
       "the red number \"1~\\x7F\" is not a whole number"},
      {"token shown short and printable", "suncolor \x01\xff" + longRun.substr(0, 100) + " 1 1", 1,
       "the red number \"\\x01\\xFFxxxxxxxxxxxxxxxxxxxxxx...\" is not a whole number"},
  };
  for (const ErrorCase& c : cases) {
    LoadedLightSetting setting{.Name = "kept"};
    const auto error = ParseLightText("suncolor 1 2 3\r\n" + c.text, setting);
    ASSERT_TRUE(error) << c.what;
    EXPECT_EQ(error->Line, c.line + 1) << c.what;
    EXPECT_NE(error->Message.find(c.message), std::string::npos)
        << c.what << ": " << error->Message;
    EXPECT_EQ(setting, LoadedLightSetting{.Name = "kept"})
        << c.what;  // nothing, not the first line
  }
}

TEST(ParseLightText, ScansLookAt32767CharactersAtMost) {
  // A scan may stop on position 32,767 but not look beyond it; taking the text after a quote
  // found there would start at 32,768.
  auto nameLine = [](std::size_t quotePosition) {
    std::string line = "LightingSet" + std::string(quotePosition - 12, ' ') + "\"n\"";
    EXPECT_EQ(line.find('"') + 1, quotePosition);
    return line;
  };
  LoadedLightSetting setting;
  EXPECT_FALSE(ParseLightText(nameLine(32766), setting));
  EXPECT_EQ(setting.Name, "n");
  EXPECT_TRUE(ParseLightText(nameLine(32767), setting));

  const std::string closeAt32767 = "LightingSet \"" + std::string(32766, 'n') + "\"";
  EXPECT_FALSE(ParseLightText(closeAt32767, setting));  // second scan: quote at position 32,767
  EXPECT_EQ(setting.Name->size(), 32766u);
  EXPECT_TRUE(ParseLightText("LightingSet \"" + std::string(32767, 'n') + "\"", setting));

  const std::string keywordBlankAt32767 = "suncol" + std::string(32760, 'x') + " 1 2 3";
  EXPECT_FALSE(ParseLightText(keywordBlankAt32767, setting));
  EXPECT_TRUE(ParseLightText("suncol" + std::string(32761, 'x') + " 1 2 3", setting));

  // A number of 32,766 characters ends at position 32,767, past its end; one more is too long.
  EXPECT_FALSE(ParseLightText("suncolor " + std::string(32766, '0') + " 1 2", setting));
  EXPECT_TRUE(ParseLightText("suncolor " + std::string(32767, '0') + " 1 2", setting));

  // Values are not scanned: any length is kept.
  EXPECT_FALSE(ParseLightText("sunrotation " + std::string(100000, '7'), setting));
  EXPECT_EQ(setting.SunRotation->size(), 100000u);
}

TEST(LoadLightFile, ReadsLinesThatSpanItsReadingPieces) {
  TempFolder folder;
  // A CR LF split across the 64 KiB pieces must stay one line end, and a long line whole.
  for (const std::size_t padding : {65536 - 3, 65536 - 2, 65536 - 1, 65536, 200000}) {
    const std::string text = "\\\\" + std::string(padding - 2, 'c') + "\r\nLightingSet \"n\"\r\n" +
                             "suninclination " + std::string(70000, '9') + "\r\nsunrotation";
    WriteBytes(folder / "big.lgt", text);
    LoadedLightSetting fromFile;
    ASSERT_FALSE(LoadLightFile(folder / "big.lgt", fromFile)) << padding;
    EXPECT_EQ(fromFile.Lines.SunInclination, 3u);
    fromFile.Lines = {};
    EXPECT_EQ(fromFile, Parse(text)) << padding;
    EXPECT_EQ(fromFile.SunInclination->size(), 70000u);
    EXPECT_EQ(fromFile.SunRotation, "");
  }
  WriteBytes(folder / "bad.lgt", std::string(70000, '\n') + "suncolor 1");
  LoadedLightSetting setting;
  const auto error = LoadLightFile(folder / "bad.lgt", setting);
  ASSERT_TRUE(error);
  EXPECT_EQ(DescribeLoadError(folder / "bad.lgt", *error),
            (folder / "bad.lgt").string() + ":70001: sun colour: the green number is missing");
}

// A line that spans read pieces keeps only what its reading can reach; it must read exactly as
// the whole line does, values and errors alike.
TEST(LoadLightFile, KeepsOfALongLineWhatItsReadingNeeds) {
  const std::string blanks(100000, ' '), digits(100000, '7'), xs(100000, 'x');
  const std::string cases[] = {
      "suncolor 1" + blanks + "2" + blanks + "3",
      "suncolor 1." + digits + " 2." + digits + " 3",
      "suncolor 1 2 3." + xs,
      "suncolor 1 2 3" + blanks + xs,
      "suncolor 1 2" + blanks,
      "suncolor" + blanks + ".5 1 2",
      "suncolor 1" + blanks + digits + " 3",
      "suncol" + xs + " 1 2 3",
      "suncol" + std::string(32760, 'x') + " 1 2 3",
      "sunspecular 1 " + std::string(32766, '0') + " 3",
      "ambientcolor 1 2 " + std::string(32767, '0'),
      "terrainambientcolor " + xs.substr(0, 30) + " 1 2",
      "LightingSet" + std::string(30000, ' ') + "\"" + std::string(32766, 'n') + "\"" + xs,
      "LightingSet" + std::string(30000, ' ') + "\"" + std::string(32767, 'n') + "\"",
      "LightingSet \"" + xs,
      "LightingSet " + xs + "\"n\"",
      blanks + "sunrotation 5" + blanks,
      blanks + xs,
      "sunrotation " + xs + blanks,
      "suninc",
      // Two long lines in a row, each spanning pieces: the second starts afresh.
      "suncolor 1" + blanks + "2 3\r\nsunspecular 4" + blanks + "5 6",
      // An LF alone at the start of a later piece is a line end of its own.
      std::string(131072 - 65537, 'x') + "\nsunrotation 5",
  };
  TempFolder folder;
  for (const std::string& line : cases) {
    for (const std::size_t start : {65536 - 3, 65536 - 8, 65536 + 2}) {
      // The line starts a few bytes before the second 64 KiB piece, or just after a CR LF split
      // between the first two.
      const std::string text =
          "\\" + std::string(start - 4, 'c') + "\r\n" + line + "\r\nLightingSet \"after\"";
      WriteBytes(folder / "long.lgt", text);
      LoadedLightSetting whole, inPieces;
      const auto wholeError = ParseLightText(text, whole);
      const auto piecesError = LoadLightFile(folder / "long.lgt", inPieces);
      const std::string what = line.substr(0, 40) + "... at " + std::to_string(start);
      ASSERT_EQ(wholeError.has_value(), piecesError.has_value()) << what;
      if (wholeError) {
        EXPECT_EQ(piecesError->Line, wholeError->Line) << what;
        EXPECT_EQ(piecesError->Message, wholeError->Message) << what;
      }
      EXPECT_EQ(inPieces, whole) << what;
    }
  }
}

TEST(LoadLightFile, ReportsFilesThatCannotBeRead) {
  TempFolder folder;
  LoadedLightSetting setting{.SunRotation = "kept"};
  const std::pair<fs::path, const char*> cases[] = {
      {folder / "missing.lgt", "cannot open: "},
      {folder.path(), "cannot open: it is a folder, not a file"},
  };
  for (const auto& [path, message] : cases) {
    const auto error = LoadLightFile(path, setting);
    ASSERT_TRUE(error) << path;
    EXPECT_EQ(error->Line, 0u);
    EXPECT_TRUE(error->Message.starts_with(message)) << error->Message;
    EXPECT_EQ(DescribeLoadError(path, *error), path.string() + ": " + error->Message);
  }
  EXPECT_EQ(setting, LoadedLightSetting{.SunRotation = "kept"});
}

}  // namespace
}  // namespace lightset
