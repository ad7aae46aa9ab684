// Tick values of device axes read their decimals: tick k of an axis from s by d reads
// s + k d, in the characters that takes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/runtime.h"
#include "runner/host_table.h"
#include "devgraph/tick_text.h"

extern "C" int mcn_main(void*, void*);

namespace {

class TickTruth : public ::testing::Test {
 protected:
  void SetUp() override { mcn_main(plat::anchor(), nullptr); }
};

std::vector<std::string> axis_texts(double start, double step, int n, int trim = 0) {
  const kes_tick_style style = kes_axis_tick_style(start, start + (n - 1) * step, step, 0);
  std::vector<std::string> out;
  char buf[KES_TICK_TEXT];
  for (long i = 0; i < n; ++i)
    out.emplace_back(buf, static_cast<std::size_t>(kes_tick_text(kes_tick_at(start, step, i), nullptr, style, trim, buf)));
  return out;
}

// The cases the ten characters of an axis value once wrote falsely or alike: each
// value reads the decimal start + k step, in the characters that takes.
TEST_F(TickTruth, EachValueReadsItsDecimal) {
  using v = std::vector<std::string>;
  EXPECT_EQ(axis_texts(1733650000.2, 0.1, 2), (v{"1733650000.2", "1733650000.3"}));  // .6 read 1733650001
  EXPECT_EQ(axis_texts(1e9, 0.01, 2), (v{"1000000000.00", "1000000000.01"}));       // all read 1000000000
  EXPECT_EQ(axis_texts(20.7232658367, 1e-10, 2), (v{"20.7232658367", "20.7232658368"}));
  EXPECT_EQ(axis_texts(1.5e308, 2e299, 2), (v{"1.5E308", "1.500000002E308"}));
  EXPECT_EQ(axis_texts(1e15 + 2, 2, 2), (v{"1000000000000002", "1000000000000004"}));
  EXPECT_EQ(axis_texts(-1.368e308, 5e304, 3), (v{"-1.368E308", "-1.3675E308", "-1.367E308"}));
  // Everyday axes.
  EXPECT_EQ(axis_texts(0, 0.5, 3), (v{"0", "0.5", "1.0"}));
  EXPECT_EQ(axis_texts(0, 20, 3), (v{"0", "20", "40"}));
  // ZCOMPRESS drops the zero before the point and a mantissa's zero decimals.
  EXPECT_EQ(axis_texts(-0.5, 0.25, 3, 1), (v{"-.50", "-.25", "0"}));
  EXPECT_EQ(axis_texts(5e-9, 5e-9, 4, 1), (v{"5E-9", "1E-8", "1.5E-8", "2E-8"}));
}

}  // namespace

// The ticks an axis measures are its own, s to t, at any offset: a walk until past t
// plus a tolerance relative to the values went thousands of steps past t near 1e9
// (and measured values the axis does not show, a hundred thousand of them).
TEST_F(TickTruth, AnAxisCountsItsOwnTicksAtAnyOffset) {
  const struct {
    double s, t, d;
    long steps;
  } rows[] = {
      {0, 100, 20, 5},           {1e9 - 0.03, 1e9 + 0.05, 0.01, 8}, {1733650000.2, 1733650000.7, 0.1, 5},
      {1e15, 1e15 + 100, 20, 5}, {-1.5e308, 1.5e308, 5e307, 6},      {5, 5, 1, 0},
      {5, 4, 1, 0},              {0, 1e12, 1, kMostTickSteps},
  };
  for (const auto& r : rows) EXPECT_EQ(kes_tick_steps(r.s, r.t, r.d), r.steps) << r.s << " " << r.t << " " << r.d;
  // The form of an axis is that of its own ticks, whatever the tolerance (at 1e9, 1e9
  // times 1.5e-5: 1.5e4 past the last tick, 1.5 million steps of 0.01).
  const double e = 1e9 * 1.4901161193847656e-08 * 1000;
  const kes_tick_style a = kes_axis_tick_style(1e9 - 0.03, 1e9 + 0.05, 0.01, e);
  const kes_tick_style b = kes_axis_tick_style(1e9 - 0.03, 1e9 + 0.05, 0.01, 1e-9);
  EXPECT_EQ(a.exponent, b.exponent);
  EXPECT_EQ(a.decimals, b.decimals);
  EXPECT_EQ(a.decimals, 2);
}
