#include "file_writer.h"

#include "disk_files.h"
#include "error_text.h"

namespace lightset {
namespace {

// The reader looks for the closing quote within the 32,767 characters after the opening one.
constexpr std::size_t kLongestName = 32766;

bool HasLineBreak(const std::string& text) {
  return text.find_first_of("\r\n") != std::string::npos;
}

bool IsCanonicalColour(const std::string& text) {
  const auto colour = ParseColourText(text);
  return colour && ColourText(*colour) == text;
}

}  // namespace

std::optional<WriteFailure> CheckLightSetting(const LightSetting& setting) {
  if (setting.Name.find('"') != std::string::npos)
    return WriteFailure{
        "the name cannot contain a double quote (\"): the file marks the end of the name with "
        "one"};
  if (HasLineBreak(setting.Name)) return WriteFailure{"the name cannot contain a line break"};
  if (setting.Name.size() > kLongestName)
    return WriteFailure{
        "the name is too long: a lighting-set file holds at most 32,766 characters of it"};
  if (HasLineBreak(setting.SunInclination))
    return WriteFailure{"the sun inclination cannot contain a line break"};
  if (HasLineBreak(setting.SunRotation))
    return WriteFailure{"the sun rotation cannot contain a line break"};
  const std::pair<const char*, const std::string*> colours[] = {
      {"sun colour", &setting.SunColour},
      {"sun specular", &setting.SunSpecular},
      {"ambient colour", &setting.AmbientColour},
      {"terrain ambient colour", &setting.TerrainAmbientColour},
  };
  for (const auto& [field, text] : colours) {
    if (!IsCanonicalColour(*text))
      return WriteFailure{std::string("the ") + field +
                          " must be three numbers 0 to 255 separated by single blanks"};
  }
  return std::nullopt;
}

std::string LightFileText(const LightSetting& setting) {
  std::string text;
  auto line = [&text](std::string_view content) {
    text += content;
    text += "\r\n";
  };
  line("\\\\Custom Light File Made With Kestrune Light Editor By Tolvane.");
  line("");
  line("LightingSet \"" + setting.Name + '"');
  line("");
  line("suncolor " + setting.SunColour);
  line("");
  line("sunspecular " + setting.SunSpecular);
  line("");
  line("ambientcolor " + setting.AmbientColour);
  line("");
  line("terrainambientcolor " + setting.TerrainAmbientColour);
  line("");
  line("suninclination " + setting.SunInclination);
  line("");
  line(" sunrotation " + setting.SunRotation);
  return text;
}

std::optional<WriteFailure> WriteLightFile(const FileName& path, const LightSetting& setting) {
  if (auto refused = CheckLightSetting(setting))
    return WriteFailure{PathForDisplay(path) + ": not written: " + refused->message};
  return ReplaceFileContents(path, LightFileText(setting));
}

}  // namespace lightset
