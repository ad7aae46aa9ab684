// The weighted mean of subnormal values, run by the built runner: it is a number (the
// double nearest the exact mean, 0 where that lies within half the least double of
// 0), never missing as a spread below the doubles is, and the mean of x + c is the
// mean of x moved by c. Each expected mean is worked out by hand in units of the least
// double u = 2^-1074.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "metamorphic/meta_run.h"
#include "support/csv_rows.h"
#include "support/scratch_files.h"

namespace {

const double u = std::ldexp(1.0, -1074);

struct mean_case {
  const char* name;
  std::vector<double> x, w;
  double mean;
};

std::vector<mean_case> cases() {
  const double c = std::ldexp(1.0, -1060);  // 16384 u
  return {
      // (-2 + 3) u / 4: a quarter of u rounds to 0.
      {"quarter", {-2 * u, u}, {1, 3}, 0},
      // The same moved by c: c + u/4 rounds to c.
      {"quarter_plus_c", {-2 * u + c, u + c}, {1, 3}, c},
      // (u + u + 2u) / 3 = 4u/3 rounds to u.
      {"thirds", {u, u, 2 * u}, {1, 1, 1}, u},
      // (3u 1.5 + 5u 0.5) / 2 = 3.5u: the tie goes to the even 4u.
      {"tie", {3 * u, 5 * u}, {1.5, 0.5}, 4 * u},
      // Values either side of 0 under ordinary weights: (-3 + 2 1.4) u / 2.4 = -u/12,
      // whose nearest double is 0 (read 0, not -0).
      {"ordinary_weights", {-3 * u, 2 * u}, {1, 1.4}, 0},
  };
}

TEST(SubnormalMean, IsTheNearestDoubleNeverMissing) {
  kes_test::scratch_dir root("subnormal-mean");
  std::map<std::string, std::string> data;
  std::string program;
  std::vector<std::string> names;
  for (const mean_case& m : cases()) {
    data[m.name] = kes_test::weighted_csv(m.x, m.w);
    program += kes_meta::output_step(m.name, true, "mean=m");
    names.push_back(std::string("o_") + m.name);
  }
  const kes_meta::program_result r = kes_meta::run_steps(root.path(), data, program, names);
  // The note names the spreads lost below the doubles (VAR, CSS, USS), not the mean.
  EXPECT_EQ(r.log.find("missing: MEAN"), std::string::npos) << r.log;
  for (const mean_case& m : cases()) {
    SCOPED_TRACE(m.name);
    const auto it = r.steps.find(std::string("o_") + m.name);
    ASSERT_NE(it, r.steps.end());
    const double got = it->second.row.at("m");
    EXPECT_EQ(got, m.mean);
    EXPECT_FALSE(std::signbit(got));
  }
}

}  // namespace
