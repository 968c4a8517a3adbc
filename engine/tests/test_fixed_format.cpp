#include <gtest/gtest.h>

#include "fixed_format.h"

namespace drevik {
namespace {

struct FixedCase {
  double value;
  int width;
  int decimals;
  const char* expected;
};

TEST(FixedFormat, RendersFwdFields) {
  const FixedCase cases[] = {
      {150.0F, 6, 1, " 150.0"},
      {12.0F, 6, 1, "  12.0"},
      {2.5F, 6, 3, " 2.500"},
      {0.2F, 6, 3, "  .200"},  // no zero before the point below 1
      {0.5F, 6, 1, "    .5"},  // the first energy row
      {1.0F, 6, 1, "   1.0"},
      {1000000.0F, 11, 0, "   1000000."},  // eleven columns: three blanks
      {123.0, 10, 0, "      123."},
      {0.0, 10, 0, "        0."},  // no digits at all: 0 and a point
      {0.0, 6, 3, "  .000"},
      {0.4, 10, 0, "        0."},
      {-2.5F, 6, 3, "-2.500"},
      {-0.2F, 6, 3, " -.200"},
      {1e10F, 11, 0, "***********"},  // ten digits and the point do not fit
      {9999999999.0, 11, 0, "9999999999."},
      {1234.5F, 6, 1, "1234.5"},
      {12345.6F, 6, 1, "******"},
      {0.5, 10, 0, "        1."},  // exact half: away from zero
      {2.5, 10, 0, "        3."},
      {-0.5, 10, 0, "       -1."},
      {0.25, 6, 1, "    .3"},
      {99.96, 6, 1, " 100.0"},  // carry into a new integer digit
      {0.9999, 6, 3, " 1.000"},
  };
  for (const FixedCase& c : cases) {
    EXPECT_EQ(format_fixed(c.value, c.width, c.decimals), c.expected)
        << c.value << " in F" << c.width << "." << c.decimals;
  }
}

TEST(FixedFormat, RoundsTheExactBinaryValue) {
  // 0.15F is 0.1500000059604644775390625: above the tie, so it rounds up; 0.35 as a
  // double is 0.34999999999999997779553950749686919152736663818359375: below it.
  EXPECT_EQ(format_fixed(0.15F, 6, 1), "    .2");
  EXPECT_EQ(format_fixed(0.35, 6, 1), "    .3");
}

TEST(FixedFormat, RendersIntegerAndTextFields) {
  EXPECT_EQ(format_integer(5, 2), " 5");
  EXPECT_EQ(format_integer(23, 2), "23");
  EXPECT_EQ(format_integer(123, 2), "**");
  EXPECT_EQ(format_integer(1, 11), "          1");
  EXPECT_EQ(format_text("run1.csv", 12), "run1.csv    ");
  EXPECT_EQ(format_text("abcdefghij", 4), "abcd");
}

}  // namespace
}  // namespace drevik
