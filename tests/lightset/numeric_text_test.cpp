#include <gtest/gtest.h>

#include "lightset/numeric_text.h"

namespace lightset {
namespace {

TEST(IsNumeric, AcceptsSignedDecimalsWithExponentAndSurroundingBlanksOnly) {
  for (const char* number : {"0", "50", "720", "-5", "+5", "4.5", ".5", "5.", "4.5E1", "4.5e+1",
                             "1E-3", " 45", "45 ", "  -0.25e2  ", "007"}) {
    EXPECT_TRUE(IsNumeric(number)) << '"' << number << '"';
  }
  for (const char* text :
       {"",      " ",  "abc",  ".",   "-",   "+.",  "1.2.3", "1E",  "1e+",   "E5",  "1 000",
        "1,000", "$5", "0x10", "\t5", "5\t", "5\r", "5\n",   "- 5", "1e2.5", "++1", "12a"}) {
    EXPECT_FALSE(IsNumeric(text)) << '"' << text << '"';
  }
  EXPECT_FALSE(IsNumeric(std::string_view("5\0", 2)));
  EXPECT_TRUE(IsNumeric(std::string_view("5e", 1))) << "nothing past the text is read";
}

}  // namespace
}  // namespace lightset
