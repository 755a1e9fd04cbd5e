// Writes a lighting set as a .lgt file, and the rules a setting must meet to be saved.
//
// The file is the setting's 8-bit text in fifteen lines, each ending in CR LF: the comment line
//   \\Custom Light File Made With Kestrune Light Editor By Tolvane.
// then, for each field in the order of kFields (fields.h), an empty line and the field's line:
// its keyword, one blank and its value, the name between double quotes:
//   LightingSet "<Name>"
//   suncolor <SunColour>
//   ...
//    sunrotation <SunRotation>      (a field marked indented begins with one blank)
// Values are written exactly as held: nothing is trimmed, escaped or reformatted.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "disk_files.h"
#include "fields.h"
#include "light_setting.h"

namespace lightset {

// Why a setting cannot be saved: the field and a sentence that names it ("the sun rotation ...").
struct Refusal {
  const Field* field;
  std::string reason;
};

// The numbers-only rule: the setting's number fields must be numbers (IsNumeric). Returns the
// first that is not, or nothing. The editor says kNumbersOnly, under the title kNumbersOnlyTitle,
// when it refuses a setting by this rule.
[[nodiscard]] std::optional<Refusal> CheckNumbers(const LightSetting& setting);
inline constexpr std::string_view kNumbersOnly =
    "The Sun Rotation & Sun Inclination Boxes May Contain Numbers Only.";
inline constexpr std::string_view kNumbersOnlyTitle = "Numbers Only!";

// Returns nothing when the setting can be written so that it reads back as itself; otherwise the
// first field refused and why. Refused: a number that is not one (CheckNumbers); a name holding a
// double quote, CR or LF (the quote would end the name early, a line end would add lines) or
// longer than kReach - 1 characters (the reader looks no further for its closing quote); a colour
// that is not ColourText; a value whose line, without its leading blank, would be longer than
// the reader reads (kLongestLine, file_reader.h).
[[nodiscard]] std::optional<Refusal> CheckLightSetting(const LightSetting& setting);

// Returns the fifteen lines of the file for a setting, as bytes. Does not check the setting.
std::string LightFileText(const LightSetting& setting);

// Writes the setting to path, exactly that path (no extension is added). Returns nothing on
// success, otherwise a failure naming the file, what failed and the system's reason.
//
// The setting is checked first (CheckLightSetting); a refused setting writes nothing and gives
// "<path>: not written: <reason>" with valueRefused set. The file is then replaced in one step, as
// ReplaceFileContents (disk_files.h) describes.
[[nodiscard]] std::optional<WriteFailure> WriteLightFile(const FileName& path,
                                                         const LightSetting& setting);

}  // namespace lightset
