#include <gtest/gtest.h>

#include "lightset/file_reader.h"
#include "support/temp_folder.h"

namespace lightset {
namespace {

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

// A name line whose opening quote is the character at position (counted from 1).
std::string QuoteAt(std::size_t position) {
  return "LightingSet" + std::string(position - 12, ' ') + "\"n\"";
}

TEST(ParseLightText, ReadsWhatItRecognisesAndIgnoresTheRest) {
  const std::string header =
      "\\\\Custom Light File Made With Kestrune Light Editor By Tolvane.\r\n";
  const struct {
    const char* what;
    std::string text;
    LoadedLightSetting expected;
  } cases[] = {
      // clang-format off
      {"empty file", "", {}},
      {"writer's layout",
       header + "\r\nLightingSet \"Dusk\"\r\n\r\nsuncolor 255 200 150\r\n\r\nsunspecular 255 255 255\r\n"
           "\r\nambientcolor 40 40 60\r\n\r\nterrainambientcolor 60 60 80\r\n\r\nsuninclination 50\r\n\r\n sunrotation 180\r\n",
       {.Name = "Dusk", .SunColour = Rgb(255, 200, 150), .SunSpecular = Rgb(255, 255, 255), .AmbientColour = Rgb(40, 40, 60),
        .TerrainAmbientColour = Rgb(60, 60, 80), .SunInclination = "50", .SunRotation = "180"}},
      {"only the first six characters count", "suncolour 10 20 30", {.SunColour = Rgb(10, 20, 30)}},
      {"several blanks", "   suncolor   10    20   30", {.SunColour = Rgb(10, 20, 30)}},
      {"text behind the third number", "suncolor 10 20 30 40 and more", {.SunColour = Rgb(10, 20, 30)}},
      {"fractions are cut", "suncolor 255.0 128.9 0.5", {.SunColour = Rgb(255, 128, 0)}},
      {"above 255 counts as 255", "sunspecular 300 0 32767", {.SunSpecular = Rgb(255, 0, 255)}},
      {"below 0 counts as 0", "ambientcolor -1 +20 -32768", {.AmbientColour = Rgb(0, 20, 0)}},
      {"leading zeros", "terrainambientcolor 007 0010 0", {.TerrainAmbientColour = Rgb(7, 10, 0)}},
      {"five digits and more", "suncolor 32767 000000000012 00255.9", {.SunColour = Rgb(255, 12, 255)}},
      {"one, two and three digits up to the file's end", "sunspecular 9 99 999", {.SunSpecular = Rgb(9, 99, 255)}},
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
      {"six characters that are a keyword", "sunrot\r\nsuninc", {.SunInclination = "", .SunRotation = ""}},
      {"value behind the first blank", "sunrotationXYZ 45", {.SunRotation = "45"}},
      {"last line wins", "sunrotation 1\r\nsunrotation 2", {.SunRotation = "2"}},
      {"reverse order", "sunrotation 9\r\nsuncolor 1 2 3\r\nLightingSet \"R\"", {.Name = "R", .SunColour = Rgb(1, 2, 3), .SunRotation = "9"}},
      {"LF alone ends a line", "LightingSet \"a\"\nsunrotation 5\n", {.Name = "a", .SunRotation = "5"}},
      {"CR alone ends a line", "LightingSet \"a\"\rsunrotation 5\r", {.Name = "a", .SunRotation = "5"}},
      {"LF CR is two line ends", "sunrotation 5\n\rsuninclination 6", {.SunInclination = "6", .SunRotation = "5"}},
      {"NUL bytes are ordinary", std::string("sunrotation 1\0002\r\nx\0", 19), {.SunRotation = std::string("1\0002", 3)}},
      // A scan may stop on position 32,767 but not look beyond it.
      {"opening quote at 32,766", QuoteAt(32766), {.Name = "n"}},
      {"closing quote at 32,767", "LightingSet \"" + std::string(32766, 'n') + "\"", {.Name = std::string(32766, 'n')}},
      {"blank at 32,767", "suncol" + std::string(32760, 'x') + " 1 2 3", {.SunColour = Rgb(1, 2, 3)}},
      {"a number ending at 32,767", "suncolor " + std::string(32766, '0') + " 1 2", {.SunColour = Rgb(0, 1, 2)}},
      {"values are not scanned", "sunrotation " + std::string(100000, '7'), {.SunRotation = std::string(100000, '7')}},
      // clang-format on
  };
  for (const auto& c : cases) EXPECT_EQ(Parse(c.text), c.expected) << c.what;

  LoadedLightSetting setting;
  ASSERT_FALSE(ParseLightText("LightingSet \"a\"\r\nsunrotation 1\n\nsunrotation 2", setting));
  EXPECT_EQ(setting.Lines, (LoadedLightSetting::TextLines{.Name = 1, .SunRotation = 4}));
}

TEST(ParseLightText, StopsAtTheFirstBadLineAndReturnsNothing) {
  const std::string longRun(40000, 'x');
  const struct {
    const char* what;
    std::string text;
    std::size_t line;
    const char* message;
  } cases[] = {
      // clang-format off
      {"name without quotes", "LightingSet Dusk", 1, "name: no double quote before the name"},
      {"name with one quote", "\r\n\r\nLightingSet \"Dusk", 3, "name: no closing double quote"},
      {"colour keyword alone", "suncolor", 1, "sun colour: no blank after the keyword"},
      {"colour with tab only", "sunspecular\t1\t2\t3", 1, "sun specular: no blank after the keyword"},
      {"missing number", "ambientcolor 1 2", 1, "ambient colour: the blue number is missing"},
      {"blank after a number", "suncolor 1 ", 1, "sun colour: the green number is missing"},
      {"point first", "suncolor .5 1 2", 1, "sun colour: the red number is missing"},
      {"ends after the point", "suncolor 1 2.5", 1, "sun colour: the blue number is missing"},
      {"letters", "x\nterrainambientcolor 1 b 3", 2, "terrain ambient colour: the green number \"b\" is not a whole number"},
      {"tab behind a number", "suncolor 1\t2 3", 1, "the red number \"1\\x092\" is not a whole"},
      {"sign alone", "suncolor - 1 2", 1, "the red number \"-\" is not a whole number"},
      {"exponent", "suncolor 1e2 1 2", 1, "the red number \"1e2\" is not a whole number"},
      {"just too large", "suncolor 0 32768 0", 1, "the green number \"32768\" is out of range"},
      {"too large", "suncolor 40000 0 0", 1, "sun colour: the red number \"40000\" is out of range"},
      {"too small", "suncolor 0 0 -32769", 1, "the blue number \"-32769\" is out of range"},
      {"huge", "suncolor 0 99999999999999999999 0", 1, "\"99999999999999999999\" is out of range"},
      {"line count includes skipped lines", "\\\\c\r\n\r\n   \r\nzzz\nsuncolor a 1 1", 5, "not a whole number"},
      {"long name scan", "LightingSet " + longRun + "\"a\"", 1, "line too long"},
      {"long token", "suncolor " + longRun, 1, "line too long"},
      {"opening quote at 32,767", QuoteAt(32767), 1, "line too long"},
      {"no closing quote within 32,766 characters", "LightingSet \"" + std::string(32766, 'n'), 1, "name: no closing double quote"},
      {"no closing quote within 32,767 characters", "LightingSet \"" + std::string(32767, 'n') + "\"", 1, "line too long"},
      {"no blank within 32,766 characters", "suncol" + std::string(32760, 'x'), 1, "no blank after the keyword"},
      {"no blank within 32,767 characters", "suncol" + std::string(32761, 'x') + " 1 2 3", 1, "line too long"},
      {"a number reaching past 32,767", "suncolor " + std::string(32767, '0') + " 1 2", 1, "line too long"},
      {"DEL shown escaped, ~ as it is", "suncolor 1~\x7f 2 3", 1, "the red number \"1~\\x7F\" is not a whole number"},
      {"token shown short and printable", "suncolor \x01\x1f\xff" + longRun.substr(0, 100) + " 1 1", 1,
       "the red number \"\\x01\\x1F\\xFFxxxxxxxxxxxxxxxxxxxxx...\" is not a whole number"},
      // clang-format on
  };
  for (const auto& c : cases) {
    LoadedLightSetting setting{.Name = "kept"};
    const auto error = ParseLightText("suncolor 1 2 3\r\n" + c.text, setting);
    ASSERT_TRUE(error) << c.what;
    EXPECT_EQ(error->Line, c.line + 1) << c.what;
    EXPECT_NE(error->Message.find(c.message), std::string::npos)
        << c.what << ": " << error->Message;
    EXPECT_EQ(setting, LoadedLightSetting{.Name = "kept"}) << c.what;  // not even the first line
  }
}

// The file is read in 64 KiB pieces. A line that spans them keeps only what its reading can
// reach; it must read exactly as the whole text does, values, line numbers and errors alike.
TEST(LoadLightFile, ReadsLinesThatSpanItsPiecesAsTheWholeTextReads) {
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
      "suninclination " + digits + "\r\nsunrotation",
      "suninc",
      // Two long lines in a row, each spanning pieces: the second starts afresh.
      "suncolor 1" + blanks + "2 3\r\nsunspecular 4" + blanks + "5 6",
      // An LF alone at the start of a later piece is a line end of its own.
      std::string(131072 - 65537, 'x') + "\nsunrotation 5",
  };
  TempFolder folder;
  for (const std::string& line : cases) {
    // The line starts a few bytes before the second piece, or just after a CR LF that ends the
    // first piece, is split between the two or starts the second.
    for (const std::size_t start : {65536 - 3, 65536 - 8, 65536 + 1, 65536 + 2, 65536 + 3}) {
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

}  // namespace
}  // namespace lightset
