// Formats: BESTw., w.d and $w., format texts, and the CSV number text.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "data/formats.h"
#include "host/host_missing.h"

namespace {

using plat::format_def;
using plat::format_best;
using plat::format_number;

format_def fmtdef(const char* text) {
  format_def f;
  EXPECT_TRUE(plat::parse_format(text, &f)) << text;
  return f;
}

// The choice of form and decimals is the shared texts' (core_number_text_test); the
// formats pad them on the left to their width.
TEST(Formats, BestAndFixedArePaddedOnTheLeft) {
  const struct {
    const char* format;  // nullptr: BESTw. of the width
    double v;
    int width;
    const char* text;
  } rows[] = {
      {nullptr, 42, 12, "          42"},
      {nullptr, -0.0, 4, "   0"},
      {nullptr, 1234567.891, 12, " 1234567.891"},
      {nullptr, 123456, 2, "**"},
      {nullptr, host_missing_of_kind(HOST_MISS_UNDERSCORE), 4, "  ._"},
      {"8.2", 3.14159, 0, "    3.14"},
      {"F7.1", -1.005, 0, "   -1.0"},
      {"4.", 12, 0, "  12"},
      {"6.2", std::numeric_limits<double>::quiet_NaN(), 0, "     ."},
  };
  for (const auto& r : rows)
    EXPECT_EQ(r.format ? format_number(r.v, fmtdef(r.format)) : format_best(r.v, r.width), r.text) << r.text;
}

TEST(Formats, TextFormat) {
  EXPECT_EQ(plat::format_text_value("abcdefg", 5), "abcde");
  EXPECT_EQ(plat::format_text_value("ab", 5), "ab   ");
  format_def f = fmtdef("$CHAR20.");
  EXPECT_EQ(f.kind, format_def::text);
  EXPECT_EQ(f.width, 20);
}

TEST(Formats, FormatTextsReadAndWrite) {
  EXPECT_EQ(plat::format_text(fmtdef("best8.")), "BEST8.");
  EXPECT_EQ(plat::format_text(fmtdef("BEST")), "BEST12.");
  EXPECT_EQ(plat::format_text(fmtdef("10.3")), "10.3");
  EXPECT_EQ(plat::format_text(fmtdef("F5")), "5.");
  EXPECT_EQ(plat::format_text(fmtdef("$7")), "$7.");
  format_def f;
  EXPECT_FALSE(plat::parse_format("BEST40.", &f));
  EXPECT_FALSE(plat::parse_format("5.5", &f));   // no room for the digits
  EXPECT_FALSE(plat::parse_format("DATE9.", &f));
  EXPECT_FALSE(plat::parse_format("", &f));
  EXPECT_EQ(plat::format_text(plat::default_format(false, 3)), "$3.");
  EXPECT_EQ(plat::format_text(plat::default_format(true, 8)), "BEST12.");
}

TEST(Formats, CsvNumbersAreShortestRoundTrip) {
  EXPECT_EQ(plat::number_to_csv(0.1), "0.1");
  EXPECT_EQ(plat::number_to_csv(-2), "-2");
  EXPECT_EQ(plat::number_to_csv(1e300), "1e+300");
  // Infinities would read back as character text: they are written as missing.
  EXPECT_EQ(plat::number_to_csv(HUGE_VAL), ".");
  EXPECT_EQ(plat::number_to_csv(-HUGE_VAL), ".");
  EXPECT_EQ(plat::number_to_csv(5e-324), "5e-324");
  EXPECT_EQ(plat::number_to_csv(-0.0), "-0");
  EXPECT_EQ(plat::number_to_csv(host_missing_of_kind(HOST_MISS_STD)), ".");
  EXPECT_EQ(plat::number_to_csv(host_missing_of_kind(HOST_MISS_A + 2)), ".C");
}

}  // namespace
