// Number texts of the listing and the JSON file beyond the host's shared texts
// (tested in core_number_text_test): decimals shared by a column, p-values, blank
// underscore cells, and exact JSON numbers and strings.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "output/json_report.h"
#include "output/listing_render.h"
#include "output/number_format.h"

namespace {

using namespace plat::out;

double from_bits(std::uint64_t b) {
  double v;
  std::memcpy(&v, &b, sizeof v);
  return v;
}
const double kMissing = from_bits(0xFFFFFE0000000000ull);
// The host's '_' missing value, below '.'.
const double kUnderscore = from_bits(0xFFFFFF0000000000ull);

TEST(FixedFormat, DecimalsNeeded) {
  EXPECT_EQ(decimals_needed(2.5, 6), 1);
  EXPECT_EQ(decimals_needed(3.0, 6), 0);
  EXPECT_EQ(decimals_needed(1.9999999999, 6), 0);
  EXPECT_EQ(decimals_needed(0.1234567, 4), 4);
}

TEST(FixedFormat, ColumnsShareTheirDecimals) {
  column_info col;
  col.width = 12;
  col.decimals = 6;
  // 2.25 needs two decimals, so the whole column shows two.
  auto t = numeric_column_texts({10.0, 2.25, 7.5, kMissing, kUnderscore}, col, nullptr);
  ASSERT_EQ(t.size(), 5u);
  EXPECT_EQ(t[0], "10.00");
  EXPECT_EQ(t[1], "2.25");
  EXPECT_EQ(t[2], "7.50");
  EXPECT_EQ(t[3], ".");
  EXPECT_EQ(t[4], "");
  col.decimals = kBestDecimals;
  col.width = 8;
  // A value reads as many significant digits as the width shows of others, and an
  // integer part too wide for the width whole.
  t = numeric_column_texts({1.0 / 3.0, 123456789.0}, col, nullptr);
  EXPECT_EQ(t[0], "0.3333333");
  EXPECT_EQ(t[1], "123456789");
  column_look pv{"pValue", nullptr, align::automatic, num_style::pvalue};
  t = numeric_column_texts({0.00003, 0.0001, 0.04567, 1.0}, col, &pv);
  EXPECT_EQ(t[0], "<.0001");
  EXPECT_EQ(t[1], "0.0001");
  EXPECT_EQ(t[2], "0.0457");
  EXPECT_EQ(t[3], "1.0000");
}

TEST(MissingValues, TheListingLeavesUnderscoreBlank) {
  EXPECT_EQ(missing_kind(from_bits(0xFFFFFE1234567890ull)), '.');  // a foreign payload
  EXPECT_EQ(missing_text('.'), ".");
  EXPECT_EQ(missing_text('_'), "");
  EXPECT_EQ(missing_text('A'), ".A");
}

TEST(JsonNumbers, ShortestExactTextsAndMissingMarkers) {
  EXPECT_EQ(json_number(0.1), "0.1");
  EXPECT_EQ(json_number(1e-20), "1e-20");
  EXPECT_EQ(json_number(123456789.0), "123456789");
  EXPECT_EQ(json_number(-0.5), "-0.5");
  EXPECT_EQ(json_number(kMissing), "{\"missing\": \".\"}");
  EXPECT_EQ(json_number(kUnderscore), "{\"missing\": \"_\"}");
  EXPECT_EQ(json_number(-std::numeric_limits<double>::infinity()), "{\"infinite\": \"-\"}");
  // Round trip of values whose shortest texts need all 17 digits.
  for (double v : {1.0 / 3.0, 2.0 / 3.0, std::nextafter(1.0, 2.0), 5e-324, 1.7976931348623157e308}) {
    EXPECT_EQ(std::strtod(json_number(v).c_str(), nullptr), v);
  }
}

TEST(JsonStrings, EscapesAndByteSafety) {
  EXPECT_EQ(json_string("a\"b\\c\n"), "\"a\\\"b\\\\c\\n\"");
  EXPECT_EQ(json_string(std::string("x\x01y", 3)), "\"x\\u0001y\"");
  EXPECT_EQ(json_string("caf\xC3\xA9"), "\"caf\xC3\xA9\"");  // valid UTF-8 kept
  EXPECT_EQ(json_string("caf\xE9"), "\"caf\\u00e9\"");        // a Latin-1 byte escaped
}

}  // namespace
