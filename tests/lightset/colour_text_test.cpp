#include <gtest/gtest.h>

#include "lightset/light_setting.h"

namespace lightset {
namespace {

TEST(ColourText, WritesRedGreenBlueFromTheLowByteUp) {
  const std::pair<ColourRef, const char*> cases[] = {
      {0, "0 0 0"},
      {0xFFFFFF, "255 255 255"},
      {0x0080FF, "255 128 0"},
      {0x96C8FF, "255 200 150"},
      {0x010203, "3 2 1"},
      {-1, "255 255 255"},    // not a colour, but every value has a text
      {0x7F000000, "0 0 0"},  // the top byte plays no part
      {-256, "0 255 255"},    // floor, not truncation, for negative values
  };
  for (const auto& [colour, text] : cases) EXPECT_EQ(ColourText(colour), text) << colour;
}

TEST(ColourFromComponents, CombinesAndClampsEachComponent) {
  struct Case {
    std::int16_t red, green, blue;
    ColourRef colour;
  };
  const Case cases[] = {
      {255, 128, 0, 0x0080FF},   {0, 0, 0, 0},
      {300, 0, 0, 0x0000FF},                                  // above 255 counts as 255
      {0, 32767, 256, 0xFFFF00}, {-1, 10, -32768, 0x000A00},  // below 0 counts as 0
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ColourFromComponents(c.red, c.green, c.blue), c.colour)
        << c.red << ' ' << c.green << ' ' << c.blue;
  }
  EXPECT_EQ(ColourText(ColourFromComponents(255, 128, 0)), "255 128 0");
}

TEST(ParseColourText, AcceptsOnlyThreeNumbersUpTo255WithSingleBlanks) {
  EXPECT_EQ(ParseColourText("255 128 0"), 0x0080FF);
  EXPECT_EQ(ParseColourText("0 0 0"), 0);
  EXPECT_EQ(ParseColourText("007 0 0"), 7);
  for (const char* bad : {"", "1 2", "1 2 3 4", "256 0 0", "1  2 3", " 1 2 3", "1 2 3 ", "-1 2 3",
                          "+1 2 3", "1.5 2 3", "a b c", "1\t2 3", "99999999999 0 0"}) {
    EXPECT_FALSE(ParseColourText(bad)) << '"' << bad << '"';
  }
}

}  // namespace
}  // namespace lightset
