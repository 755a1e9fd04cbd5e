// Write then read: every setting the writer accepts reads back as the same values, the numbers
// without their surrounding blanks.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "lightset/file_reader.h"
#include "lightset/file_writer.h"
#include "lightset/numeric_text.h"

using namespace lightset;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Three texts separated by NUL bytes, then twelve colour bytes.
  if (size < 12) return 0;
  std::string texts[3];
  std::size_t at = 0;
  for (const char c : std::string_view(reinterpret_cast<const char*>(data), size - 12)) {
    if (c == '\0' && at < 2)
      ++at;
    else
      texts[at] += c;
  }
  ColourRef colours[4];
  for (int i = 0; i < 4; ++i) {
    const std::uint8_t* rgb = data + size - 12 + 3 * i;
    colours[i] = rgb[0] + 256 * rgb[1] + 65536 * rgb[2];
  }
  auto text = [&colours](int i) { return ColourText(colours[i]); };
  const LightSetting setting{texts[0], text(0), text(1), text(2), text(3), texts[1], texts[2]};
  if (CheckLightSetting(setting) || !IsNumeric(texts[1]) || !IsNumeric(texts[2])) return 0;

  LoadedLightSetting read;
  if (ParseLightText(LightFileText(setting), read)) std::abort();
  auto trimmed = [](std::string number) {
    number.erase(0, number.find_first_not_of(' '));
    return number.erase(number.find_last_not_of(' ') + 1);
  };
  const LoadedLightSetting expected{texts[0],   colours[0],        colours[1],        colours[2],
                                    colours[3], trimmed(texts[1]), trimmed(texts[2]), {3, 13, 15}};
  if (!(read == expected)) std::abort();
  return 0;
}
