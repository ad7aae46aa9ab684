// Number texts of the listing and the JSON file: the best form at widths 8, 10 and
// 12, fixed decimals, p-values, missing-value kinds and exact JSON numbers.
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
// The host's special missing values: '_' below '.', then '.A' to '.Z'.
const double kUnderscore = from_bits(0xFFFFFF0000000000ull);
const double kMissingA = from_bits(0xFFFFFD0000000000ull);
const double kMissingZ = from_bits(0xFFFFE40000000000ull);

TEST(BestFormat, TheListedValuesAtWidthsEightTenAndTwelve) {
  struct row {
    double v;
    const char* w8;
    const char* w10;
    const char* w12;
  };
  const row rows[] = {
      {0.0, "0", "0", "0"},
      {1e-20, "1E-20", "1E-20", "1E-20"},
      {123456789.0, "1.2346E8", "123456789", "123456789"},
      {-0.5, "-0.5", "-0.5", "-0.5"},
      {kMissing, ".", ".", "."},
      // Rounded fixed texts keep as many decimals as the width allows.
      {3.14159265358979, "3.141593", "3.14159265", "3.1415926536"},
      {1.0 / 3.0, "0.333333", "0.33333333", "0.3333333333"},
      {-1234567.891, "-1234568", "-1234567.9", "-1234567.891"},
      {-123456789.0, "-1.235E8", "-123456789", "-123456789"},
      {1.5e-7, "1.5E-7", "0.00000015", "0.00000015"},
      {1e15, "1E15", "1E15", "1E15"},
  };
  for (const row& r : rows) {
    EXPECT_EQ(format_best(r.v, 8), r.w8) << r.v;
    EXPECT_EQ(format_best(r.v, 10), r.w10) << r.v;
    EXPECT_EQ(format_best(r.v, 12), r.w12) << r.v;
  }
}

TEST(BestFormat, ExactShortTextsAndWidthLimits) {
  EXPECT_EQ(format_best(0.1, 8), "0.1");  // not 0.1000000
  EXPECT_EQ(format_best(1e-5, 8), "0.00001");
  EXPECT_EQ(format_best(-0.0, 8), "0");
  // E notation where it shows more digits than fixed notation; fixed on a tie.
  EXPECT_EQ(format_best(0.000123456789, 8), "1.235E-4");
  EXPECT_EQ(format_best(0.00123456789, 8), "0.001235");
  // A value that rounds up to a longer integer part still gets every decimal that fits.
  EXPECT_EQ(format_best(9.520841234, 8), "9.520841");
  EXPECT_EQ(format_best(0.000123456789, 6), "1.2E-4");
  // Rounding up to a longer integer is caught.
  EXPECT_EQ(format_best(99999.5, 5), "1E5");
  EXPECT_EQ(format_best(123456.0, 2), "**");
  EXPECT_EQ(format_best(std::numeric_limits<double>::infinity(), 8), "Inf");
  for (double v : {1e-300, -7.25e88, 6.02214076e23, 0.7, 65535.0}) {
    for (int w : {4, 6, 8, 10, 12, 16}) EXPECT_LE(format_best(v, w).size(), static_cast<std::size_t>(w)) << v;
  }
}

TEST(FixedFormat, DecimalsWidthAndFallBack) {
  EXPECT_EQ(format_fixed(2.5, 8, 2), "2.50");
  EXPECT_EQ(format_fixed(-0.0001, 8, 2), "0.00");  // no negative zero
  EXPECT_EQ(format_fixed(-2.5, 8, 0), "-2");       // halfway to even
  EXPECT_EQ(format_fixed(123456.789, 6, 2), "123457");
  EXPECT_EQ(format_fixed(kMissing, 8, 2), ".");
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
  t = numeric_column_texts({1.0 / 3.0, 123456789.0}, col, nullptr);
  EXPECT_EQ(t[0], "0.333333");
  EXPECT_EQ(t[1], "1.2346E8");
  column_look pv{"pValue", nullptr, align::automatic, num_style::pvalue};
  t = numeric_column_texts({0.00003, 0.0001, 0.04567, 1.0}, col, &pv);
  EXPECT_EQ(t[0], "<.0001");
  EXPECT_EQ(t[1], "0.0001");
  EXPECT_EQ(t[2], "0.0457");
  EXPECT_EQ(t[3], "1.0000");
}

TEST(MissingValues, KindsAndTheirTexts) {
  EXPECT_EQ(missing_kind(1.5), 0);
  EXPECT_EQ(missing_kind(kMissing), '.');
  EXPECT_EQ(missing_kind(std::numeric_limits<double>::quiet_NaN()), '.');
  EXPECT_EQ(missing_kind(kUnderscore), '_');
  EXPECT_EQ(missing_kind(kMissingA), 'A');
  EXPECT_EQ(missing_kind(kMissingZ), 'Z');
  EXPECT_EQ(missing_kind(from_bits(0xFFFFFE1234567890ull)), '.');
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
