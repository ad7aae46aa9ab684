// The arithmetic of percent axes: which fixed minor percents PCTLMINOR draws on axes
// of several lengths, where HMINOR= puts its minor percents, which quantiles count as
// on the axis. Expected groups and positions: Python's statistics.NormalDist
// (inv_cdf) over the rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "devgraph/pctl_ticks.h"

namespace {

// The standard normal quantile by bisection on erfc: an independent reference.
double normal_q(double p) {
  double lo = -40, hi = 40;
  for (int i = 0; i < 200; ++i) {
    const double mid = (lo + hi) / 2;
    (0.5 * std::erfc(-mid / std::sqrt(2.0)) < p ? lo : hi) = mid;
  }
  return (lo + hi) / 2;
}

struct minor_case {
  double len;
  std::vector<double> first;  // the first percents drawn, in order
  std::size_t count;
};

// A normal probability axis from 0.1 to 99.9 percent: groups 4 to 13 lie on it; a
// group is kept only where its ticks stand more than 0.25 apart on average.
TEST(PctlMinor, GroupsAreKeptWholeWhereTheirTicksHaveRoom) {
  const double qmin = normal_q(0.001), qmax = normal_q(0.999);
  const minor_case cases[] = {
      {50, {0.2, 0.3}, 42},   // groups 4 to 13
      {30, {0.2, 0.3}, 34},   // 4, 5, 7, 8, 9, 10, 12, 13
      {20, {30, 35}, 8},      // 8 and 9 only: 30..45 and 55..70
      {10, {}, 0},            // none
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.len);
    const auto got = kes_pctl_minor(normal_q, qmin, qmax, 0.0, c.len);
    EXPECT_EQ(got.size(), c.count);
    for (std::size_t i = 0; i < c.first.size() && i < got.size(); ++i) EXPECT_DOUBLE_EQ(got[i], c.first[i]);
  }
  const auto at20 = kes_pctl_minor(normal_q, qmin, qmax, 0.0, 20.0);
  EXPECT_EQ(at20, (std::vector<double>{30, 35, 40, 45, 55, 60, 65, 70}));
}

TEST(PctlMinor, PercentsOffTheAxisAreLeftOutOfAKeptGroup) {
  // An axis from 1 to 99 percent: group 4 (0.2 .. 0.9) and group 13 (99.1 .. 99.8) are
  // off it; group 5 (2, 3, 4) stays on it.
  const auto got = kes_pctl_minor(normal_q, normal_q(0.01), normal_q(0.99), 0.0, 100.0);
  for (double p : got) EXPECT_TRUE(p >= 1 && p <= 99) << p;
  EXPECT_NE(std::find(got.begin(), got.end(), 2.0), got.end());
}

TEST(PctlAxis, HminorSplitsThePercentsNotTheDistance) {
  // HMINOR=1 between 50 and 75 percent: the minor tick is at 62.5 percent, 0.4724 of
  // the way between the two ticks on a normal axis, not halfway.
  const auto between = kes_pctl_between(50, 75, 1);
  ASSERT_EQ(between.size(), 1u);
  EXPECT_DOUBLE_EQ(between[0], 62.5);
  const double q50 = normal_q(0.5), q75 = normal_q(0.75);
  EXPECT_NEAR(kes_pctl_at(normal_q(0.625), q50, q75, 10.0, 20.0), 10.0 + 20.0 * 0.4724154279167965, 1e-9);
  EXPECT_EQ(kes_pctl_between(10, 20, 3), (std::vector<double>{12.5, 15, 17.5}));
  EXPECT_TRUE(kes_pctl_between(10, 20, 0).empty());
}

TEST(PctlAxis, PositionsRunInProportionBetweenTheEnds) {
  EXPECT_DOUBLE_EQ(kes_pctl_at(-2, -2, 2, 10, 40), 10);
  EXPECT_DOUBLE_EQ(kes_pctl_at(2, -2, 2, 10, 40), 50);
  EXPECT_DOUBLE_EQ(kes_pctl_at(0, -2, 2, 10, 40), 30);
  EXPECT_DOUBLE_EQ(kes_pctl_at(1, 1, 1, 10, 40), 10);  // an empty range stays at the start
}

TEST(PctlAxis, QuantilesJustOffTheEndsStillCount) {
  // A QQ axis from -2 to 2: 1 % (q = -2.326) is off it, 2.5 % (q = -1.96) on it.
  EXPECT_FALSE(kes_pctl_on(normal_q(0.01), -2, 2));
  EXPECT_TRUE(kes_pctl_on(normal_q(0.025), -2, 2));
  EXPECT_TRUE(kes_pctl_on(2 + 1e-8, -2, 2));
  EXPECT_FALSE(kes_pctl_on(2 + 1.1e-8, -2, 2));
  EXPECT_TRUE(kes_pctl_on(-2 - 1e-8, -2, 2));
}

}  // namespace
