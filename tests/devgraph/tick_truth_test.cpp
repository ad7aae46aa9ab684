// Tick values of device axes are true and tell their ticks apart: each text, read back
// as a number, lies within half a step of its tick, and no two neighbouring values
// drawn read alike. Where the ten characters of an axis value cannot, the axis thins
// to a step at which they do (horizontal axes) or takes the characters it needs.
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

// The host's number field service writes the texts.
class TickTruth : public ::testing::Test {
 protected:
  void SetUp() override { mcn_main(plat::anchor(), nullptr); }
};

std::vector<double> ticks(double start, double step, int n) {
  std::vector<double> v;
  for (int i = 0; i < n; ++i) v.push_back(start + i * step);
  return v;
}

std::vector<std::string> texts(const std::vector<double>& values, int decimals, int field, int trim = 0) {
  std::vector<std::string> out;
  char buf[KES_TICK_TEXT];
  for (double v : values) out.emplace_back(buf, static_cast<std::size_t>(kes_tick_text(v, nullptr, decimals, trim, buf, field)));
  return out;
}

// The ten characters' texts of ticks start + i step, with the decimals the axis gives them.
std::vector<std::string> ten(const std::vector<double>& values, double step, int trim = 0) {
  const double e = std::max(std::fabs(values.front()), std::fabs(values.back())) * 1.0536712127723509e-08 * 1000;
  return texts(values, trim ? 99 : kes_tick_decimals(values.front(), values.back(), step, e, 1), 0, trim);
}

// The cases the ten characters wrote falsely or alike, and the texts the axis writes
// instead: the fewest characters that are true.
TEST_F(TickTruth, TheCharactersTheTicksNeed) {
  struct row {
    double start, step;
    int trim;
    const char* first;   // the axis' text of the first tick
    const char* second;  // and of the second
  };
  const row rows[] = {
      {1733650000.2, 0.1, 0, "1733650000.2", "1733650000.3"},  // Unix seconds: .6 read 1733650001
      {1e9, 0.01, 0, "1000000000.00", "1000000000.01"},        // all read 1000000000
      {999999999.7, 0.1, 0, "999999999.7", "999999999.8"},
      {20.7232658367, 1e-10, 0, "20.7232658367", "20.7232658368"},  // log(1e9): 20.7232658 each
      {1.5e308, 2e299, 0, "1.500000000E+308", "1.500000002E+308"},  // 1.5E+308 each
      {1e15 + 2, 2, 0, "1000000000000002", "1000000000000004"},
  };
  // With ZCOMPRESS each value takes its best text: 5e-9 read .00000001, its one digit a
  // carry; now the ten characters hold it true.
  const std::vector<double> z = ticks(5e-9, 5e-9, 4);
  EXPECT_EQ(ten(z, 5e-9, 1), (std::vector<std::string>{"5E-09", ".00000001", "1.5E-08", ".00000002"}));
  for (const row& r : rows) {
    SCOPED_TRACE(r.first);
    const std::vector<double> v = ticks(r.start, r.step, 6);
    EXPECT_FALSE(kes_ticks_true(v, ten(v, r.step, r.trim), r.step));
    const kes_tick_form f = kes_true_tick_form(v, r.step, r.trim);
    ASSERT_GT(f.field, 0);
    const std::vector<std::string> t = texts(v, f.decimals, f.field, r.trim);
    EXPECT_TRUE(kes_ticks_true(v, t, r.step));
    EXPECT_EQ(t[0], r.first);
    EXPECT_EQ(t[1], r.second);
  }
}

// Over offsets and steps: the ten characters where they are true, else the form
// found, whose every text lies within half a step of its tick and differs from its
// neighbours'; and an axis of everyday values keeps its ten characters.
TEST_F(TickTruth, EveryAxisFindsATrueForm) {
  const double offsets[] = {0, 1, -1, 1e9 - 1, 1e9 + 1, 1e15, -1e15 + 3, 1733650000, 1.5e308, -1.3668e308, 1e-8,
                            2e-300, 123446.5432};
  const double steps[] = {1, 0.25, 0.1, 0.01, 2.5e-4, 1e-9};
  int widened = 0;
  for (double o : offsets)
    for (double s : steps)
      for (int trim : {0}) {
        const double step = o != 0 && (std::fabs(o) > 1e100 || std::fabs(o) < 1e-4) ? std::fabs(o) * s : s;
        const double start = std::round(o / step) * step;
        const std::vector<double> v = ticks(start, step, 7);
        bool held = true;  // the doubles hold the ticks a step apart
        for (std::size_t i = 1; i < v.size(); ++i) held = held && std::fabs(v[i] - v[i - 1] - step) < 0.01 * step;
        if (!held) continue;
        SCOPED_TRACE(std::to_string(start) + " by " + std::to_string(step));
        if (kes_ticks_true(v, ten(v, step, trim), step)) continue;
        ++widened;
        EXPECT_FALSE(o == 0 && s >= 1e-3) << "an axis of everyday values keeps its ten characters";
        const kes_tick_form f = kes_true_tick_form(v, step, trim);
        ASSERT_GT(f.field, 0);
        EXPECT_TRUE(kes_ticks_true(v, texts(v, f.decimals, f.field, trim), step));
      }
  EXPECT_GT(widened, 10);
}

// Two values near -1.3668e308 give ticks 5e304 apart, whose ten characters hold four
// significant digits: every other tick (1e305 apart) reads true, so four of the eight
// values are drawn. A value compared with the next tick rather than the next one
// drawn reads alike at every step and thins them to two.
TEST_F(TickTruth, ThinningComparesTheValuesDrawn) {
  const double step = 5e304;
  const std::vector<double> v = ticks(-1.368e308, step, 8);
  const std::vector<std::string> t = ten(v, step);
  EXPECT_EQ(t[0], "-1.368E308");
  EXPECT_EQ(t[2], "-1.367E308");
  EXPECT_FALSE(kes_ticks_true(v, t, step));
  const int skip = kes_true_label_step(0, v, t, step);
  EXPECT_EQ(skip, 1);
  EXPECT_EQ((v.size() + skip) / (skip + 1), 4u);
  // A step that leaves the room's thinning as it is when it reads true.
  EXPECT_EQ(kes_true_label_step(3, v, t, step), 3);
  // No step tells apart ticks that all read alike: the caller widens the form.
  const std::vector<double> same = ticks(1e9, 0.01, 6);
  EXPECT_EQ(kes_true_label_step(0, same, ten(same, 0.01), 0.01), -1);
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
  // The decimals of an axis are those its own ticks need, whatever the tolerance (at
  // 1e9, 1e9 times 1.5e-5: 1.5e4 past the last tick, 1.5 million steps of 0.01).
  const double e = 1e9 * 1.4901161193847656e-08 * 1000;
  EXPECT_EQ(kes_tick_decimals(1e9 - 0.03, 1e9 + 0.05, 0.01, e, 1),
            kes_tick_decimals(1e9 - 0.03, 1e9 + 0.05, 0.01, 1e-9, 1));
}
