// Write then read: every setting the writer accepts reads back as the same values, the numbers
// without their surrounding blanks.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "lightset/file_reader.h"
#include "lightset/file_writer.h"

using namespace lightset;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The texts (the name and the numbers, in the fields' order) separated by NUL bytes, then
  // three bytes for each colour.
  constexpr auto kColours = static_cast<std::size_t>(
      std::count_if(std::begin(kFields), std::end(kFields),
                    [](const Field& f) { return f.kind == FieldKind::Colour; }));
  constexpr std::size_t kColourBytes = 3 * kColours, kTexts = kFieldCount - kColours;
  if (size < kColourBytes) return 0;
  std::string texts[kTexts];
  std::size_t at = 0;
  for (const char c : std::string_view(reinterpret_cast<const char*>(data), size - kColourBytes)) {
    if (c == '\0' && at + 1 < kTexts)
      ++at;
    else
      texts[at] += c;
  }
  const std::uint8_t* rgb = data + size - kColourBytes;
  LightSetting setting;
  LoadedLightSetting expected;
  std::size_t text = 0;
  for (std::size_t i = 0; i < kFieldCount; ++i) {
    const Field& field = kFields[i];
    if (field.kind == FieldKind::Colour) {
      setting.*field.text = ColourText(PackColour(rgb[0], rgb[1], rgb[2]));
      rgb += 3;
    } else {
      setting.*field.text = texts[text++];
    }
    std::string value = setting.*field.text;
    if (field.kind == FieldKind::Number) {
      value.erase(0, value.find_first_not_of(' '));
      value.erase(value.find_last_not_of(' ') + 1);
    }
    expected.values.*field.text = value;
    expected.lines[i] = 3 + 2 * i;  // each field's line follows the header and an empty line
  }
  if (CheckLightSetting(setting)) return 0;

  LoadedLightSetting read;
  if (ParseLightText(LightFileText(setting), read)) std::abort();
  if (!(read == expected)) std::abort();
  return 0;
}
