// Weighted percentiles run by the built runner, through the data pass as a user's data
// go: P0 is MIN and P100 MAX at any scale and mix of the weights (a positive weight
// stays positive however far below the largest it lies), and a percentile on a step
// of the cumulative weight averages its neighbours exactly there. The README's
// mixed-weight examples are rows; each expected value is worked out by hand beside it.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "metamorphic/meta_run.h"
#include "support/csv_rows.h"
#include "support/scratch_files.h"

namespace {

struct weighted_case {
  const char* name;
  std::vector<double> x, w;
  std::vector<std::pair<double, double>> want;  // PCTLPTS= point, percentile
};

std::string csv(const weighted_case& c) { return kes_test::weighted_csv(c.x, c.w); }

// 100 weights climbing from 1e-300 to 1e300 by a factor 10^(600/99) on the values
// 1..100 (value 37 i mod 101 for the i-th, so the light values are not all first): the
// heaviest, 1e300 on 64, outweighs all others together by 10^6, so P50 is 64; MAX 100
// carries 1e-124.
weighted_case climbing() {
  weighted_case c{"climbing", {}, {}, {{0, 1}, {100, 100}, {50, 64}}};
  for (int i = 0; i < 100; ++i) {
    c.x.push_back((37 * (i + 1)) % 101);
    c.w.push_back(std::pow(10.0, -300 + i * 600.0 / 99));
  }
  return c;
}

std::vector<weighted_case> cases() {
  std::vector<weighted_case> v = {
      // W = 1e300 + 1 + 1e-300: P0 the lightest value, everything past it at 3.
      {"w_tiny_1_huge", {1, 2, 3}, {1e-300, 1, 1e300}, {{0, 1}, {1, 3}, {50, 3}, {100, 3}}},
      // A weight 1e-30 beside three of 1e300 (2^1096 apart, past any unit of the
      // doubles): P100 is MAX 4; the median falls inside 2.
      {"w_huge_tiny", {1, 2, 3, 4}, {1e300, 1e300, 1e300, 1e-30}, {{0, 1}, {50, 2}, {99, 3}, {100, 4}}},
      // Subnormal weights beside the largest (W passes the largest double): the
      // median's W/2 lies 5e-324 + 1e-320 halved above 1.7e308, past the
      // cumulative weight at 2 and inside 3.
      {"w_subnormal", {1, 2, 3, 4}, {5e-324, 1.7e308, 1e-320, 1.7e308}, {{0, 1}, {50, 3}, {100, 4}}},
      // README: weights 1, 1e16, 1e16 on 1, 2, 3: P0 1 (not 1.5), the median 2.
      {"w_1_1e16_1e16", {1, 2, 3}, {1, 1e16, 1e16}, {{0, 1}, {50, 2}, {100, 3}}},
      // README: 1, 2, 3, 4, 10 at weight 1 and 3 at weight 1e200: every inner
      // percentile is 3.
      {"w_1_1e200", {1, 2, 3, 4, 10, 3}, {1, 1, 1, 1, 1, 1e200}, {{0, 1}, {1, 3}, {50, 3}, {99, 3}, {100, 10}}},
      // README: ten weights of 0.1: P10 on the step after 1 (1.5), P50 5.5.
      {"ten_tenths", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, std::vector<double>(10, 0.1), {{10, 1.5}, {50, 5.5}, {0, 1}}},
      // 40 equal weights: 2.5 % of 40 is 1 and 97.5 % is 39, both on steps; a rule
      // exact only for whole percents would miss them.
      {"forty_equal", {}, std::vector<double>(40, 1), {{2.5, 1.5}, {97.5, 39.5}, {12.5, 5.5}}},
      climbing(),
  };
  for (int i = 1; i <= 40; ++i) v[6].x.push_back(i);
  return v;
}

TEST(WeightedEnds, PercentilesThroughTheDataPass) {
  kes_test::scratch_dir root("weighted-ends");
  std::map<std::string, std::string> data;
  std::string program;
  std::vector<std::string> names;
  for (const weighted_case& c : cases()) {
    data[c.name] = csv(c);
    std::string pts;
    for (const auto& [p, want] : c.want) pts += " " + std::to_string(p);
    std::string listed;
    for (std::size_t i = 0; i < c.want.size(); ++i) listed += " q" + std::to_string(i);
    program += kes_meta::output_step(c.name, true, "min=mn max=mx pctlpts=" + pts + " pctlpre=p pctlname=" + listed);
    names.push_back(std::string("o_") + c.name);
  }
  const kes_meta::program_result r = kes_meta::run_steps(root.path(), data, program, names);
  ASSERT_EQ(r.status, 0) << r.log;
  for (const weighted_case& c : cases()) {
    SCOPED_TRACE(c.name);
    const auto it = r.steps.find(std::string("o_") + c.name);
    ASSERT_NE(it, r.steps.end());
    const auto& row = it->second.row;
    for (std::size_t i = 0; i < c.want.size(); ++i)
      EXPECT_EQ(row.at("pq" + std::to_string(i)), c.want[i].second) << "P" << c.want[i].first;
  }
}

}  // namespace
