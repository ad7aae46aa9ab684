// The weights' unit of the data pass: set by the first weight, raised by one far
// larger, always even; node sums brought to a new unit exactly.
#include <gtest/gtest.h>

#include <cmath>

#include "records/kes_valnode.h"
#include "records/kes_wunit.h"

namespace {

TEST(WeightUnit, FirstWeightSetsItAndALargerOneRaisesIt) {
  const struct {
    int e;
    double w;
    bool first;
    int want;
  } cases[] = {
      {0, 3.0, true, 0},                      // 2^1.58: the even exponent below
      {0, 1e308, true, 1022},                 // 2^1023.15
      {0, 5e-324, true, -1074},               // the smallest subnormal
      {0, 1e-300, true, -998},                // 2^-996.6: ilogb -997, even -998
      {0, std::ldexp(1.0, 64), false, 0},     // within the room
      {0, std::ldexp(1.0, 66), false, 66},    // beyond it
      {100, 1.0, false, 100},                 // a smaller weight never lowers it
      {-1074, 1.0, false, 0},                 // subnormal first, then 1
  };
  for (const auto& c : cases) {
    const int got = kes_wunit_after(c.e, c.w, c.first);
    EXPECT_EQ(got, c.want) << c.w;
    EXPECT_EQ(got % 2, 0) << c.w;
    // A weight in the unit stays below 2^(room + 2).
    EXPECT_LT(std::ldexp(c.w, -got), std::ldexp(1.0, KES_WUNIT_ROOM + 2)) << c.w;
  }
}

// Node sums of weight 2 at frequency 3 (w 6, sqrt(c) w = 6 sqrt 2, c w = 12) in unit
// 2^0, taken to 2^10 and back: exact, the powers 1, 1.5 and 2 of the unit.
TEST(WeightUnit, NodeSumsFollowTheUnitExactly) {
  kes_wtrec t{6.0, 6.0 * std::sqrt(2.0), 12.0};
  kes_valnode n{};
  n.wt = &t;
  kes_node_to_unit(&n, 10);
  EXPECT_EQ(n.wexp, 10);
  EXPECT_EQ(t.sumw, 6.0 / 1024);
  EXPECT_EQ(t.sumw15, 6.0 * std::sqrt(2.0) / 32768);
  EXPECT_EQ(t.sumw2, 12.0 / (1024.0 * 1024.0));
  kes_node_to_unit(&n, 0);
  EXPECT_EQ(t.sumw, 6.0);
  EXPECT_EQ(t.sumw15, 6.0 * std::sqrt(2.0));
  EXPECT_EQ(t.sumw2, 12.0);
}

}  // namespace
