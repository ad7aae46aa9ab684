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

// The choice of form is the shared best text's (core_number_text_test); BESTw. pads it.
TEST(Formats, BestIsTheSharedTextPaddedOnTheLeft) {
  EXPECT_EQ(format_best(42, 12), "          42");
  EXPECT_EQ(format_best(-7, 3), " -7");
  EXPECT_EQ(format_best(-0.0, 4), "   0");
  EXPECT_EQ(format_best(1234567.891, 12), " 1234567.891");
  EXPECT_EQ(format_best(1e300, 8), "   1E300");
  EXPECT_EQ(format_best(123456, 2), "**");
}

TEST(Formats, MissingValuesPrintTheirKind) {
  EXPECT_EQ(format_best(host_missing_of_kind(HOST_MISS_STD), 4), "   .");
  EXPECT_EQ(format_best(host_missing_of_kind(HOST_MISS_UNDERSCORE), 4), "  ._");
  EXPECT_EQ(format_best(host_missing_of_kind(HOST_MISS_A + 25), 4), "  .Z");
  EXPECT_EQ(format_number(std::numeric_limits<double>::quiet_NaN(), fmtdef("6.2")), "     .");
}

TEST(Formats, FixedDecimals) {
  EXPECT_EQ(format_number(3.14159, fmtdef("8.2")), "    3.14");
  EXPECT_EQ(format_number(2.675, fmtdef("8.2")), "    2.67");  // Python '%.2f' % 2.675
  EXPECT_EQ(format_number(-0.001, fmtdef("6.2")), "  0.00");   // no negative zero
  EXPECT_EQ(format_number(-1.005, fmtdef("F7.1")), "   -1.0");
  EXPECT_EQ(format_number(12, fmtdef("4.")), "  12");
  // Too wide for w.d: the best form in w.
  EXPECT_EQ(format_number(1234567.5, fmtdef("6.1")), "1.23E6");
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
