// Values near the ends of the doubles: which values are scaled and by what, the sums
// taken again on the quotients, the statistics multiplied back or lost, and the text
// that names the lost ones.
#include "stats/value_scale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "numeric/zmissing.h"
#include "support/hand_view.h"

namespace {

using kes_test::hand_view;

// The exponent: 0 for values whose sums the data pass keeps, else that of the largest
// magnitude; any overflow in the data pass scales.
TEST(ValueScale, ExponentOfTheLargestMagnitude) {
  const struct {
    std::vector<double> x;
    int overflow, k;
  } rows[] = {
      {{1, 2, 3}, 0, 0},
      {{-1e100, 1e100}, 0, 0},
      {{1e-300, 3e-300}, 0, std::ilogb(3e-300)},
      {{-1.7e308, 1e307}, 0, 1023},
      {{0.5, 3}, 2, 1},           // the sums overflowed (weights): scaled all the same
      {{0, 0}, 2, 0},             // nothing to scale
  };
  for (const auto& r : rows) {
    hand_view v(r.x, std::vector<int>(r.x.size(), 1));
    kes_varsum rec{};
    rec.overflow = r.overflow;
    EXPECT_EQ(kes_value_scale(&rec, v.view), r.k) << r.x[0];
  }
}

// {1, 2, 3} times 2^-1000, counts 1, 2, 1: the quotients' sums are those of
// {1, 2, 2, 3} (sum 8, USS 18, CSS 2); the record's sum of weights stays.
TEST(ValueScale, SumsTakenAgainOnTheQuotients) {
  hand_view v({std::ldexp(1.0, -1000), std::ldexp(2.0, -1000), std::ldexp(3.0, -1000)}, {1, 2, 1});
  kes_varsum rec{};
  rec.sumwgt = 4;
  rec.overflow = 2;
  kes_scaled_values sc;
  ASSERT_TRUE(kes_scale_values(&rec, v.view, -1000, &sc));
  EXPECT_EQ(sc.rec.sum, 8);
  EXPECT_EQ(sc.rec.uss, 18);
  EXPECT_EQ(sc.rec.css, 2);
  EXPECT_EQ(sc.rec.sumwgt, 4);
  EXPECT_EQ(sc.rec.overflow, 0);
  EXPECT_EQ(sc.view.x[2], 3);
  EXPECT_EQ(sc.rec.view, &sc.view);
}

// Multiplied back by 2^(power k): a result beyond the doubles is missing and named; 0,
// missing values and subnormal results stay unnamed.
TEST(ValueScale, ScaledBackOrLost) {
  const struct {
    double v;
    int power, k;
    double want;  // NaN: missing
    bool named;
  } rows[] = {
      {1.5, 1, 10, 1536, false},
      {3.0, 2, -3, 3.0 / 64, false},
      {1.0, 2, -600, NAN, true},               // 2^-1200: below the smallest double
      {1.0, 1, 1100, NAN, true},               // 2^1100: above the largest
      {1.0, 1, -1060, std::ldexp(1.0, -1060), false},  // subnormal, still a double
      {0.0, 2, -900, 0.0, false},
      {NAN, 1, 5, NAN, false},
  };
  for (const auto& r : rows) {
    double v = r.v;
    kes_lost_names lost;
    kes_scale_back(&v, r.power, r.k, "VAR", &lost);
    if (std::isnan(r.want)) EXPECT_TRUE(is_missing(v)) << r.v << " " << r.k;
    else EXPECT_EQ(v, r.want) << r.v << " " << r.k;
    EXPECT_EQ(lost.count, r.named ? 1 : 0) << r.v << " " << r.k;
  }
}

TEST(ValueScale, NamesEachOnceInOneText) {
  const struct {
    std::vector<const char*> added;
    const char* text;
  } rows[] = {
      {{}, ""},
      {{"VAR"}, "VAR"},
      {{"VAR", "CSS"}, "VAR and CSS"},
      {{"VAR", "CSS", "USS", "CSS", "VAR"}, "VAR, CSS and USS"},
      {{"QRANGE", "STD_QRANGE", "QRANGE"}, "QRANGE and STD_QRANGE"},
  };
  for (const auto& r : rows) {
    kes_lost_names lost;
    for (const char* n : r.added) lost.add(n);
    char text[64];
    lost.text(text, sizeof text);
    EXPECT_STREQ(text, r.text);
  }
  kes_lost_names lost;
  lost.add("SKEWNESS");
  char tiny[5];
  lost.text(tiny, sizeof tiny);
  EXPECT_STREQ(tiny, "SKEW");  // cut short, never past the buffer
}

}  // namespace
