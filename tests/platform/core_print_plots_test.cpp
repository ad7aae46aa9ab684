// The print services of line-printer plots: number fields, the plot-printed flag,
// title lines that name the BY group taken off and put back, and the CENTER option.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "core/host_routines.h"
#include "support/scratch_files.h"
#include "host/host_print.h"

namespace {

TEST(PrintFields, NumbersAreRightAlignedInExactlyTheirWidth) {
  struct row {
    const char* what;
    int kind;  // 0 xpils, 1 xpis, 2 xfxpn best, 3 xfxpn with decimals
    double v;
    int width, decimals;
    const char* want;
  };
  const row rows[] = {
      {"long", 0, 42, 6, 0, "    42"},           {"negative", 0, -7, 3, 0, " -7"},
      {"too wide", 0, 123456, 3, 0, "***"},       {"int", 1, 1, 2, 0, " 1"},
      {"signed int", 1, -12, 3, 0, "-12"},        {"best", 2, 2.5, 7, 0, "    2.5"},
      {"best rounds", 2, 1.0 / 3, 8, 0, "0.333333"}, {"best exponent", 2, 1.5e12, 7, 0, " 1.5E12"},
      {"fixed", 3, 3.14159, 8, 2, "    3.14"},   {"fixed too wide", 3, 123456.5, 5, 2, "1.2E5"},
      {"missing", 2, std::nan(""), 8, 0, "       ."},
  };
  for (const row& r : rows) {
    char buf[40];
    std::fill(buf, buf + 40, '#');
    switch (r.kind) {
      case 0: plat_xpils(static_cast<long>(r.v), r.width, buf); break;
      case 1: plat_xpis(static_cast<int>(r.v), r.width, buf); break;
      case 2: plat_xfxpn(r.v, r.width, 0, 99, buf); break;
      default: plat_xfxpn(r.v, r.width, r.decimals, 1, buf); break;
    }
    EXPECT_EQ(std::string(buf, r.width), r.want) << r.what;
    EXPECT_EQ(buf[r.width], '#') << r.what << ": nothing is written past the field";
  }
}

TEST(PrintPlots, TitlesNamingTheByGroupComeOffAndBack) {
  kes_test::captured_outputs out;
  plat::begin_step();
  plat::listing_set_title(1, "Report");
  plat::listing_set_title(2, "Group #BYVAL(a)");
  plat::listing_set_title(3, "see #byline");
  plat::listing_set_title(4, "#BYVARS are not #BYVAR");
  EXPECT_EQ(plat_xpbyttl(1), 3);
  EXPECT_EQ(plat::listing_title(1), "Report");
  EXPECT_EQ(plat::listing_title(2), "");
  EXPECT_EQ(plat::listing_title(4), "");
  EXPECT_EQ(plat_xpbyttl(1), 0);  // nothing left to take off
  EXPECT_EQ(plat_xpbyttl(0), 3);
  EXPECT_EQ(plat::listing_title(2), "Group #BYVAL(a)");
  EXPECT_EQ(plat::listing_title(3), "see #byline");
  // Lines still off when the step ends are put back.
  EXPECT_EQ(plat_xpbyttl(1), 3);
  plat::finish_step();
  EXPECT_EQ(plat::listing_title(3), "see #byline");
}

TEST(PrintPlots, PlotPrintedFlagAndCentring) {
  kes_test::captured_outputs out;
  plat::begin_step();
  EXPECT_EQ(plat_xpplotf(), 0);
  EXPECT_EQ(plat_xpplotf(), 1);
  EXPECT_EQ(plat_xpoutl(0, 0)->centre, 1);
  std::string error;
  ASSERT_TRUE(plat::set_system_option("NOCENTER", "", &error)) << error;
  EXPECT_EQ(plat_xpoutl(0, 0)->centre, 0);
  plat::finish_step();
  plat::begin_step();
  EXPECT_EQ(plat_xpplotf(), 0);  // a new step starts without plots
  plat::finish_step();
}

}  // namespace
