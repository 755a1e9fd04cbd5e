// Write then read: every setting the writer accepts reads back as the same values, the numbers
// without their surrounding blanks.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "lightset/file_reader.h"
#include "lightset/file_writer.h"
#include "lightset/numeric_text.h"

namespace {

std::string TrimBlanks(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Three texts separated by NUL bytes, then twelve colour bytes.
  if (size < 12) return 0;
  const std::string input(reinterpret_cast<const char*>(data), size - 12);
  std::vector<std::string> texts(1);
  for (const char c : input) {
    if (c == '\0' && texts.size() < 3)
      texts.emplace_back();
    else
      texts.back() += c;
  }
  texts.resize(3);
  const std::uint8_t* colour = data + size - 12;
  auto colourText = [&](int i) {
    return lightset::ColourText(colour[3 * i] + 256 * colour[3 * i + 1] +
                                65536 * colour[3 * i + 2]);
  };
  const lightset::LightSetting setting{texts[0],      colourText(0), colourText(1), colourText(2),
                                       colourText(3), texts[1],      texts[2]};
  if (lightset::CheckLightSetting(setting)) return 0;
  if (!lightset::IsNumeric(setting.SunInclination) || !lightset::IsNumeric(setting.SunRotation))
    return 0;

  lightset::LoadedLightSetting read;
  if (lightset::ParseLightText(lightset::LightFileText(setting), read)) std::abort();
  const lightset::LoadedLightSetting expected{
      setting.Name,
      *lightset::ParseColourText(setting.SunColour),
      *lightset::ParseColourText(setting.SunSpecular),
      *lightset::ParseColourText(setting.AmbientColour),
      *lightset::ParseColourText(setting.TerrainAmbientColour),
      TrimBlanks(setting.SunInclination),
      TrimBlanks(setting.SunRotation),
      {.Name = 3, .SunInclination = 13, .SunRotation = 15}};
  if (!(read == expected)) std::abort();
  return 0;
}
