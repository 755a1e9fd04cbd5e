// The reader on arbitrary bytes: never crashes or hangs, and an error leaves the values alone.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "lightset/file_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  lightset::LoadedLightSetting setting{.values = {.Name = "untouched"}};
  if (const auto error = lightset::ParseLightText(bytes, setting)) {
    if (setting.values.Name != "untouched" || error->Line == 0 || error->Message.empty())
      std::abort();
  }
  return 0;
}
