#include <gtest/gtest.h>

#include "lightset/file_reader.h"
#include "support/temp_folder.h"

namespace lightset {
namespace {

using testing_support::TempFolder;
using testing_support::WriteBytes;

// What text sets, as "Key=value" for each field a line set, in the fields' order.
std::string Read(std::string_view text) {
  LoadedLightSetting setting;
  const auto error = ParseLightText(text, setting);
  EXPECT_FALSE(error) << "line " << error->Line << ": " << error->Message;
  std::string set;
  for (std::size_t i = 0; i < kFieldCount; ++i) {
    if (setting.lines[i])
      set += (set.empty() ? "" : ", ") + std::string(kFields[i].key) + "=" +
             setting.values.*kFields[i].text;
  }
  return set;
}

// A name line whose opening quote is the character at position (counted from 1).
std::string QuoteAt(std::size_t position) {
  return "LightingSet" + std::string(position - 12, ' ') + "\"n\"";
}

TEST(ParseLightText, ReadsWhatItRecognisesAndIgnoresTheRest) {
  const std::string longest = "sunrotation " + std::string(kLongestLine - 12, '7');
  const struct {
    const char* what;
    std::string text;
    std::string set;
  } cases[] = {
      // clang-format off
      {"empty file", "", ""},
      {"only the first six characters count", "suncolour 10 20 30", "SunColour=10 20 30"},
      {"several blanks", "   suncolor   10    20   30", "SunColour=10 20 30"},
      {"text behind the third number", "suncolor 10 20 30 40 and more", "SunColour=10 20 30"},
      {"fractions are cut", "suncolor 255.0 128.9 0.5", "SunColour=255 128 0"},
      {"above 255 counts as 255", "sunspecular 300 0 32767", "SunSpecular=255 0 255"},
      {"below 0 counts as 0", "ambientcolor -1 +20 -32768", "AmbientColour=0 20 0"},
      {"five digits and more", "suncolor 32767 000000000012 00255.9", "SunColour=255 12 255"},
      {"points, blanks and dropped digits", "suncolor 1.5.x   2.  3.", "SunColour=1 2 3"},
      {"case-sensitive", "lightingset \"a\"\nSunColor 1 2 3\nSUNROTATION 5", ""},
      {"all six characters count", "suncoX 1 2 3\nLightX \"a\"\nsunroX 5\nsuninX 6", ""},
      {"tab before a keyword", "\tsuncolor 1 2 3", ""},
      {"line of blanks and short lines", "     \r\nsun\r\nsunro\r\n", ""},
      {"quoted name", "LightingSet x \"Dusk at sea\" y", "Name=Dusk at sea"},
      {"empty name", "LightingSet \"\"", "Name="},
      {"quote inside the name ends it", "LightingSet \"a\"b\"", "Name=a"},
      {"name bytes unchanged", "LightingSet \"caf\xE9\t\x01\"", "Name=caf\xE9\t\x01"},
      {"value trimmed", "suninclination    50   ", "SunInclination=50"},
      {"value not tested", "suninclination abc def", "SunInclination=abc def"},
      {"value empty after one blank", "sunrotation ", "SunRotation="},
      {"six characters that are a keyword", "sunrot\r\nsuninc", "SunInclination=, SunRotation="},
      {"value behind the first blank", "sunrotationXYZ 45", "SunRotation=45"},
      {"last line wins", "sunrotation 1\r\nsunrotation 2", "SunRotation=2"},
      {"reverse order", "sunrotation 9\r\nsuncolor 1 2 3\r\nLightingSet \"R\"", "Name=R, SunColour=1 2 3, SunRotation=9"},
      {"LF alone ends a line", "LightingSet \"a\"\nsunrotation 5\n", "Name=a, SunRotation=5"},
      {"CR alone ends a line", "LightingSet \"a\"\rsunrotation 5\r", "Name=a, SunRotation=5"},
      {"LF CR is two line ends", "sunrotation 5\n\rsuninclination 6", "SunInclination=6, SunRotation=5"},
      {"NUL bytes are ordinary", std::string("sunrotation 1\0002\r\nx\0", 19), std::string("SunRotation=1\0002", 15)},
      // A scan may stop on position 32,767 but not look beyond it.
      {"opening quote at 32,766", QuoteAt(32766), "Name=n"},
      {"closing quote at 32,767", "LightingSet \"" + std::string(32766, 'n') + "\"", "Name=" + std::string(32766, 'n')},
      {"blank at 32,767", "suncol" + std::string(32760, 'x') + " 1 2 3", "SunColour=1 2 3"},
      {"a number ending at 32,767", "suncolor " + std::string(32766, '0') + " 1 2", "SunColour=0 1 2"},
      {"values are not scanned", "sunrotation " + std::string(100000, '7'), "SunRotation=" + std::string(100000, '7')},
      // Lines are kept up to kLongestLine characters, leading blanks not counted; lines that name
      // no field are not kept at all.
      {"the longest line", std::string(kLongestLine, ' ') + longest, "SunRotation=" + longest.substr(12)},
      {"a longer line naming no field", "sunrox" + longest, ""},
      // clang-format on
  };
  for (const auto& c : cases) EXPECT_EQ(Read(c.text), c.set) << c.what;

  LoadedLightSetting setting;
  ASSERT_FALSE(ParseLightText("LightingSet \"a\"\r\nsunrotation 1\n\nsunrotation 2", setting));
  EXPECT_EQ(setting.lines, (decltype(setting.lines){1, 0, 0, 0, 0, 0, 4}));
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
      {"a colon, the character after the digits", "suncolor 1:2 1 2", 1, "the red number \"1:2\" is not a whole number"},
      {"just too large", "suncolor 0 32768 0", 1, "the green number \"32768\" is out of range"},
      {"too small", "suncolor 0 0 -32769", 1, "the blue number \"-32769\" is out of range"},
      {"huge", "suncolor 0 -32768000000000000000 0", 1, "\"-32768000000000000000\" is out of range"},
      {"only the first bad line", "suncolor 1 x 3\r\nLightingSet Dusk\r\n", 1, "sun colour: the green number \"x\""},
      {"line count includes skipped lines", "\\\\c\r\n\r\n   \r\nzzz\nsuncolor a 1 1", 5, "not a whole number"},
      {"long name scan", "LightingSet " + longRun + "\"a\"", 1, "line too long: a scan passed"},
      {"long token", "suncolor " + longRun, 1, "line too long: a scan passed"},
      {"opening quote at 32,767", QuoteAt(32767), 1, "line too long"},
      {"opening quote at 32,768", QuoteAt(32768), 1, "line too long"},
      {"no closing quote within 32,766 characters", "LightingSet \"" + std::string(32766, 'n'), 1, "name: no closing double quote"},
      {"no closing quote within 32,767 characters", "LightingSet \"" + std::string(32767, 'n') + "\"", 1, "line too long"},
      {"no blank within 32,766 characters", "suncol" + std::string(32760, 'x'), 1, "no blank after the keyword"},
      {"no blank within 32,767 characters", "suncol" + std::string(32761, 'x') + " 1 2 3", 1, "line too long"},
      {"no blank in 32,767 characters", "suncol" + std::string(32761, 'x'), 1, "line too long"},
      {"a number reaching past 32,767", "suncolor " + std::string(32767, '0') + " 1 2", 1, "line too long"},
      {"a line longer than the longest", "\r\nLightingSet \"n\"" + std::string(kLongestLine - 14, ' '), 2, "line too long: more than 1,048,576 characters"},
      {"DEL shown escaped, ~ as it is", "suncolor 1~\x7f 2 3", 1, "the red number \"1~\\x7F\" is not a whole number"},
      {"token shown short and printable", "suncolor \x01\x1f\xff" + longRun.substr(0, 100) + " 1 1", 1,
       "the red number \"\\x01\\x1F\\xFFxxxxxxxxxxxxxxxxxxxxx...\" is not a whole number"},
      // clang-format on
  };
  for (const auto& c : cases) {
    LoadedLightSetting setting{.values = {.Name = "kept"}};
    const auto error = ParseLightText("suncolor 1 2 3\r\n" + c.text, setting);
    ASSERT_TRUE(error) << c.what;
    EXPECT_EQ(error->Line, c.line + 1) << c.what;
    EXPECT_NE(error->Message.find(c.message), std::string::npos)
        << c.what << ": " << error->Message;
    EXPECT_EQ(setting, LoadedLightSetting{.values = {.Name = "kept"}}) << c.what;
  }
}

// The file is read in 64 KiB pieces; a line that spans them must read exactly as the whole text
// does, values, line numbers and errors alike.
TEST(LoadLightFile, ReadsLinesThatSpanItsPiecesAsTheWholeTextReads) {
  const std::string blanks(100000, ' '), digits(100000, '7'), xs(100000, 'x');
  const std::string longest = "sunrotation " + std::string(kLongestLine - 12, '7');
  const std::string cases[] = {
      "suncolor 1" + blanks + "2" + blanks + "3",
      "sunspecular 1 " + std::string(32766, '0') + " 3",
      "LightingSet" + std::string(30000, ' ') + "\"" + std::string(32766, 'n') + "\"" + xs,
      "LightingSet \"" + xs,
      blanks + "sunrotation 5" + blanks,
      blanks + xs,
      "suninclination " + digits + "\r\nsunrotation",
      "suninc",
      "s",
      longest,
      blanks + longest + "7",
      "sunrox" + longest + xs,
      // A line that names no field holds one at the start of a later piece (placed for the line
      // that starts four bytes before the second piece).
      "zzzzzz" + std::string(131066 - 65532, 'x') + "suncolor 1 2 3",
      // Two long lines in a row, each spanning pieces: the second starts afresh.
      "suncolor 1" + blanks + "2 3\r\nsunspecular 4" + blanks + "5 6",
      // An LF alone at the start of a later piece is a line end of its own.
      std::string(131072 - 65537, 'x') + "\nsunrotation 5",
  };
  TempFolder folder;
  for (const std::string& line : cases) {
    // The line starts a few bytes before the second piece, or just after a CR LF that ends the
    // first piece, is split between the two or starts the second; it is the last line, or is
    // followed by one.
    for (const std::size_t start : {65536 - 3, 65536 - 8, 65536 + 1, 65536 + 2, 65536 + 3}) {
      for (const char* after : {"", "\r\nLightingSet \"after\""}) {
        const std::string text = "\\" + std::string(start - 4, 'c') + "\r\n" + line + after;
        WriteBytes(folder / "long.lgt", text);
        LoadedLightSetting whole, inPieces;
        const auto wholeError = ParseLightText(text, whole);
        const auto piecesError = LoadLightFile(folder / "long.lgt", inPieces);
        const std::string what = line.substr(0, 40) + "... at " + std::to_string(start) + after;
        ASSERT_EQ(wholeError.has_value(), piecesError.has_value()) << what;
        if (wholeError) {
          EXPECT_EQ(piecesError->Line, wholeError->Line) << what;
          EXPECT_EQ(piecesError->Message, wholeError->Message) << what;
        }
        EXPECT_EQ(inPieces, whole) << what;
      }
    }
  }
}

}  // namespace
}  // namespace lightset
