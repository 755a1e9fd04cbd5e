#include <gtest/gtest.h>

#include "lightset/light_setting.h"

namespace lightset {
namespace {

TEST(ColourText, WritesRedGreenBlueFromTheLowByteUp) {
  // -1 is no colour, but every value has a text; the top byte plays no part; negative values
  // are floored, not truncated.
  const std::pair<ColourRef, const char*> cases[] = {
      {0, "0 0 0"},        {0xFFFFFF, "255 255 255"}, {0x0080FF, "255 128 0"}, {0x010203, "3 2 1"},
      {-1, "255 255 255"}, {0x7F000000, "0 0 0"},     {-256, "0 255 255"},
  };
  for (const auto& [colour, text] : cases) EXPECT_EQ(ColourText(colour), text) << colour;
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
