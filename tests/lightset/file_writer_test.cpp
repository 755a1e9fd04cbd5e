#include <gtest/gtest.h>

#include "lightset/file_reader.h"
#include "lightset/file_writer.h"
#include "support/dusk.h"
#include "support/temp_folder.h"
#include "support/write_failure_printer.h"

namespace lightset {
namespace {

using namespace testing_support;

TEST(WriteLightFile, WritesTheFifteenLinesExactlyOverWhatWasThere) {
  TempFolder folder;
  LightSetting longest = kDusk;
  longest.Name = std::string(32766, 'n');
  ASSERT_EQ(WriteLightFile(folder / "Dusk.lgt", longest), std::nullopt);
  LoadedLightSetting read;
  ASSERT_EQ(LoadLightFile(folder / "Dusk.lgt", read), std::nullopt);
  EXPECT_EQ(read.values.Name, longest.Name);
  ASSERT_EQ(WriteLightFile(folder / "Dusk.lgt", kDusk), std::nullopt);
  EXPECT_EQ(ReadBytes(folder / "Dusk.lgt"), kDuskFile);
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"Dusk.lgt"});
}

TEST(WriteLightFile, RefusesValuesThatWouldNotReadBack) {
  const struct {
    std::string LightSetting::*field;
    std::string value;
    const char* reason;
  } cases[] = {
      // clang-format off
      {&LightSetting::Name, "a\"b", "name cannot contain a double quote"},
      {&LightSetting::Name, "a\rb", "name cannot contain a line break"},
      {&LightSetting::Name, "a\nsuncolor 0 0 0", "name cannot contain a line break"},
      {&LightSetting::SunInclination, "5\r\n", "the sun inclination \"5\\x0D\\x0A\" is not a number"},
      {&LightSetting::SunRotation, "4 5", "the sun rotation \"4 5\" is not a number"},
      {&LightSetting::SunColour, "255 200", "sun colour must be three numbers"},
      {&LightSetting::SunSpecular, "1 2 3\r\n", "sun specular must be three numbers"},
      {&LightSetting::AmbientColour, "256 0 0", "ambient colour must be three numbers"},
      {&LightSetting::TerrainAmbientColour, "01 2 3", "terrain ambient colour must be three"},
      {&LightSetting::Name, std::string(32767, 'n'), "at most 32,766 characters"},
      // clang-format on
  };
  TempFolder folder;
  const auto target = folder / "old.lgt";
  WriteBytes(target, "old contents");
  for (const auto& c : cases) {
    LightSetting setting = kDusk;
    setting.*c.field = c.value;
    const auto error = WriteLightFile(target, setting);
    ASSERT_TRUE(error) << c.reason;
    EXPECT_NE(error->message.find(c.reason), std::string::npos) << error->message;
    EXPECT_TRUE(error->message.starts_with((target.string() + ": not written: the ")))
        << error->message;
    EXPECT_TRUE(error->valueRefused);
    EXPECT_EQ(ReadBytes(target), "old contents");
  }
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"old.lgt"});
}

}  // namespace
}  // namespace lightset
