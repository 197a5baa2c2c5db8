#include <gtest/gtest.h>

#include <limits>

#include "settings/decimal_text.h"

namespace {

TEST(DecimalText, IntegersLikeTheCLibrary) {
  struct Case {
    const char* text;
    int32_t expected;
  };
  const Case cases[] = {
      {"42", 42},
      {"  42abc", 42},
      {" \t\r\n-7", -7},
      {"+8", 8},
      {"", 0},
      {"_5", 0},
      {"- 5", 0},
      {"3.9", 3},
      {"0x10", 0},
      {"2147483647", 2147483647},
      {"99999999999999999999", std::numeric_limits<int32_t>::max()},
      {"-2147483648", std::numeric_limits<int32_t>::min()},
      {"-99999999999", std::numeric_limits<int32_t>::min()},
  };
  for (const Case& c : cases) EXPECT_EQ(DecimalToInt(c.text), c.expected) << '"' << c.text << '"';
}

TEST(DecimalText, RealsAndFixedFormat) {
  EXPECT_DOUBLE_EQ(DecimalToDouble("5.0000"), 5.0);
  EXPECT_DOUBLE_EQ(DecimalToDouble("  -1.25xyz"), -1.25);
  EXPECT_DOUBLE_EQ(DecimalToDouble("+2.5e1"), 25.0);
  EXPECT_DOUBLE_EQ(DecimalToDouble(""), 0.0);
  EXPECT_DOUBLE_EQ(DecimalToDouble("abc"), 0.0);

  EXPECT_EQ(FormatFixed(5.0, 4), "5.0000");
  EXPECT_EQ(FormatFixed(-2.5, 4), "-2.5000");
  EXPECT_EQ(FormatFixed(12.34567, 4), "12.3457");
  EXPECT_EQ(FormatFixed(-0.00004, 4), "-0.0000");
  EXPECT_EQ(FormatFixed(1.5, 3), "1.500");
}

}  // namespace
