#include <gtest/gtest.h>

#include <cstring>

#include "operations/record_lines.h"
#include "settings/wizard_values.h"

namespace {

using ops::ClassifyListingLine;
using ops::ListingLine;

struct LineCase {
  const char* line;
  ListingLine kind;
};

class ListingLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(ListingLineTest, Classified) {
  const LineCase& c = GetParam();
  EXPECT_EQ(ClassifyListingLine(c.line, std::strlen(c.line)), c.kind) << '"' << c.line << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ListingLineTest,
    ::testing::Values(LineCase{"1,24/01/31 23:50:00,3.61,1.234", ListingLine::kRecord},
                      LineCase{"99999,x", ListingLine::kRecord}, LineCase{"0,", ListingLine::kRecord},
                      // Six digits are no record ID; no comma, no record.
                      LineCase{"123456,24/01/31", ListingLine::kOther}, LineCase{"12345", ListingLine::kOther},
                      LineCase{",12", ListingLine::kOther}, LineCase{"YES END", ListingLine::kEnd},
                      LineCase{"yes end  ", ListingLine::kEnd}, LineCase{"NOT END", ListingLine::kRefusal},
                      LineCase{"NG", ListingLine::kRefusal}, LineCase{"ng", ListingLine::kRefusal},
                      // A line that merely begins like an end line is not one.
                      LineCase{"ng,24/01/31 23:50:00,3.61,1.234", ListingLine::kOther},
                      LineCase{"NGX", ListingLine::kOther}, LineCase{"YES ENDING", ListingLine::kOther},
                      LineCase{"#>RX:$NOISE", ListingLine::kOther},
                      LineCase{"24/01/31 23:50:00,3.61", ListingLine::kOther}));

struct NormalCase {
  const char* text;
  const char* volts;
  const char* limit;
};

class FieldNormalisationTest : public ::testing::TestWithParam<NormalCase> {};

// The page's field and the command line give the same text for the same input.
TEST_P(FieldNormalisationTest, AsTheFieldShowsIt) {
  const NormalCase& c = GetParam();
  EXPECT_EQ(NormalizedVoltsText(c.text), c.volts) << c.text;
  EXPECT_EQ(NormalizedLimitText(c.text), c.limit) << c.text;
}

INSTANTIATE_TEST_SUITE_P(Values, FieldNormalisationTest,
                         ::testing::Values(NormalCase{"3.355", "3.4", "3.355"},   //
                                           NormalCase{"1.2345", "1.2", "1.234"},  //
                                           NormalCase{"-0.0004", "0.0", "0.000"}, NormalCase{"-0.04", "0.0", "-0.040"},
                                           NormalCase{"-0.05", "-0.1", "-0.050"},
                                           NormalCase{"12345", "12345.0", "9999.999"},
                                           NormalCase{"-12345", "-12345.0", "-9999.999"},
                                           NormalCase{"", "0.0", "0.000"}));

}  // namespace
