// Writes a lighting set as a .lgt file.
//
// The file is the setting's 8-bit text in fifteen lines, each ending in CR LF:
//   \\Custom Light File Made With Kestrune Light Editor By Tolvane.
//   (empty)
//   LightingSet "<Name>"
//   (empty)
//   suncolor <SunColour>            then an empty line, and likewise
//   sunspecular <SunSpecular>
//   ambientcolor <AmbientColour>
//   terrainambientcolor <TerrainAmbientColour>
//   suninclination <SunInclination>
//   (empty)
//    sunrotation <SunRotation>      (this last line begins with one blank)
// Values are written exactly as held: nothing is trimmed, escaped or reformatted.
#pragma once

#include <optional>
#include <string>

#include "disk_files.h"
#include "light_setting.h"

namespace lightset {

// Returns nothing when the setting can be written so that it reads back as itself; otherwise
// which field is refused and why. Refused: a Name holding a double quote, CR or LF (the quote
// would end the name early, a line end would add lines) or longer than 32,766 characters (the
// reader looks no further for its closing quote); an inclination or rotation holding a CR or
// LF; a colour that is not ColourText.
[[nodiscard]] std::optional<WriteFailure> CheckLightSetting(const LightSetting& setting);

// Returns the fifteen lines of the file for a setting, as bytes. Does not check the setting.
std::string LightFileText(const LightSetting& setting);

// Writes the setting to path, exactly that path (no extension is added). Returns nothing on
// success, otherwise a message naming the file, what failed and the system's reason.
//
// The setting is checked first (CheckLightSetting); a refused setting writes nothing. The file
// is then replaced in one step, as ReplaceFileContents (disk_files.h) describes.
[[nodiscard]] std::optional<WriteFailure> WriteLightFile(const FileName& path,
                                                         const LightSetting& setting);

}  // namespace lightset
