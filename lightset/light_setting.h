// The values of one lighting set and the conversions between a colour and its text.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lightset {

// A colour as the editor's swatches hold it, laid out 0x00BBGGRR (red in the low byte).
// -1 is not a colour: the colour chooser returns it when the user cancels.
using ColourRef = std::int32_t;

// Packs components 0 to 255 as a ColourRef holds them: red + 256 * green + 65536 * blue.
constexpr ColourRef PackColour(ColourRef red, ColourRef green, ColourRef blue) {
  return red + 256 * green + 65536 * blue;
}

// What a colour holds until something sets it: white, as a colour and as its text.
inline constexpr ColourRef kWhiteColour = PackColour(255, 255, 255);
inline constexpr std::string_view kWhite = "255 255 255";

// The seven values of one lighting set, each held as the file's 8-bit text exactly as it is
// written. The four colours are ColourText; the name and the two numbers are as typed. A value
// nothing has set is its field's default (fields.h): white for a colour, empty otherwise. Each
// member has an initializer, so that a setting may be made naming only some of them.
struct LightSetting {
  std::string Name{};
  std::string SunColour{kWhite};
  std::string SunSpecular{kWhite};
  std::string AmbientColour{kWhite};
  std::string TerrainAmbientColour{kWhite};
  std::string SunInclination{};
  std::string SunRotation{};

  bool operator==(const LightSetting&) const = default;
};

// Returns the text form of a colour: red, green and blue in decimal, one blank between them,
// no sign, no leading zeros ("255 128 0"). Any 32-bit value has one: the low byte is red, the
// next green, the next blue, and the top byte plays no part.
std::string ColourText(ColourRef colour);

// Returns PackColour of the components, a component above 255 counted as 255 and one below 0 as
// 0, so the result is always a colour (0 to 0xFFFFFF).
inline ColourRef ColourFromComponents(std::int16_t red, std::int16_t green, std::int16_t blue) {
  auto component = [](std::int16_t value) -> ColourRef {
    return value < 0 ? 0 : std::min<ColourRef>(value, 255);
  };
  return PackColour(component(red), component(green), component(blue));
}

// Reads "R G B": three runs of decimal digits, each 0 to 255, separated by single blanks, with
// nothing before or after. Returns the colour, or nothing when the text is not of that form.
// Leading zeros are accepted here; ColourText never writes them.
std::optional<ColourRef> ParseColourText(std::string_view text);

}  // namespace lightset
