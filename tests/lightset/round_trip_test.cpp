#include <gtest/gtest.h>

#include <random>

#include "lightset/file_reader.h"
#include "lightset/file_writer.h"
#include "lightset/numeric_text.h"
#include "support/temp_folder.h"

namespace lightset {
namespace {

// Any name the writer accepts, and any number without surrounding blanks, reads back as written.
TEST(RoundTrip, RandomSettingsReadBackAsWritten) {
  std::mt19937 random(20261206);
  auto pick = [&random](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  auto name = [&] {
    std::string text;
    for (int length = pick(0, 40); length > 0; --length) {
      char c;
      do c = static_cast<char>(pick(0, 255));
      while (c == '"' || c == '\r' || c == '\n');
      text += c;
    }
    return text;
  };
  auto number = [&] {
    std::string text = pick(0, 2) == 0 ? "-" : pick(0, 1) ? "+" : "";
    const int form = pick(0, 2);
    if (form != 1) text += std::to_string(pick(0, 100000));
    if (form != 0) text += "." + std::to_string(pick(0, 999));
    if (pick(0, 3) == 0) text += (pick(0, 1) ? "E" : "e") + std::to_string(pick(-30, 30));
    return text;
  };
  auto colour = [&] { return ColourText(pick(0, 0xFFFFFF)); };

  testing_support::TempFolder folder;
  for (int i = 0; i < 300; ++i) {
    LightSetting setting{name(), colour(), colour(), colour(), colour(), number(), number()};
    ASSERT_TRUE(IsNumeric(setting.SunInclination)) << setting.SunInclination;
    ASSERT_EQ(WriteLightFile(folder / "set.lgt", setting), std::nullopt);
    LoadedLightSetting read;
    const auto error = LoadLightFile(folder / "set.lgt", read);
    ASSERT_FALSE(error) << error->Message;
    const LoadedLightSetting expected{setting.Name,
                                      *ParseColourText(setting.SunColour),
                                      *ParseColourText(setting.SunSpecular),
                                      *ParseColourText(setting.AmbientColour),
                                      *ParseColourText(setting.TerrainAmbientColour),
                                      setting.SunInclination,
                                      setting.SunRotation,
                                      {.Name = 3, .SunInclination = 13, .SunRotation = 15}};
    ASSERT_EQ(read, expected) << "name: " << setting.Name;
  }
}

}  // namespace
}  // namespace lightset
