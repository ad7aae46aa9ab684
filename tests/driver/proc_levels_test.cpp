// The confidence levels of the trimmed and winsorized means: the PROC statement's
// ALPHA= unless TRIMMED= or WINSORIZED= gives its own, read back from whole runs
// (the level in the tables' headings and the limits it gives).
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/json_run.h"

namespace {

using kes_test::json;

// Both tables trim or winsorize two values a tail of these twelve: 7 degrees of freedom.
constexpr const char* kData = "x\n3.1\n-2.4\n0.7\n5.5\n1.2\n9.8\n4.4\n0.7\n6.3\n2.2\n7.7\n-1.0\n";

// Two-sided t quantiles at 7 degrees of freedom, from python3-mpmath 1.3.0 (30 digits):
// the root q of betainc(3.5, 0.5, 0, 7/(7 + q^2), regularized=True)/2 = 1 - p.
constexpr double kT95 = 1.89457860509000678536;   // p = 0.95  (90 % limits)
constexpr double kT975 = 2.36462425159278473787;  // p = 0.975 (95 % limits)
constexpr double kT995 = 3.49948329735049326087;  // p = 0.995 (99 % limits)

TEST(ProcLevels, TrimmedAndWinsorizedLimitsFollowAlpha) {
  struct level_case {
    const char* options;  // of the PROC statement
    const char* trimmed_level;
    double trimmed_t;
    const char* winsorized_level;
    double winsorized_t;
  };
  const level_case cases[] = {
      {"trimmed=0.1 winsorized=0.1", "95%", kT975, "95%", kT975},
      {"alpha=0.1 trimmed=0.1 winsorized=0.1", "90%", kT95, "90%", kT95},
      {"alpha=0.01 trimmed=0.1 winsorized=0.1", "99%", kT995, "99%", kT995},
      {"alpha=0.1 trimmed=0.1 (alpha=0.01) winsorized=0.1", "99%", kT995, "90%", kT95},
      {"alpha=0.01 trimmed=0.1 winsorized=0.1 (alpha=0.05)", "99%", kT995, "95%", kT975},
  };
  for (const level_case& c : cases) {
    SCOPED_TRACE(c.options);
    const kes_test::json_run r =
        kes_test::run_json(kData, std::string("proc kestravine data=d ") + c.options + "; var x; run;\n");
    ASSERT_EQ(r.status, 0) << r.log;
    ASSERT_TRUE(r.parsed);
    for (const bool trimmed : {true, false}) {
      SCOPED_TRACE(trimmed ? "TrimmedMeans" : "WinsorizedMeans");
      const std::vector<const json*> found = r.tables(trimmed ? "TrimmedMeans" : "WinsorizedMeans");
      ASSERT_EQ(found.size(), 1u);
      const json* t = found[0];
      const std::string level = trimmed ? c.trimmed_level : c.winsorized_level;
      EXPECT_EQ((*t)["dynamics"]["ConfLevel"].str, level);
      EXPECT_EQ((*t)["dynamics"]["SpanInterval"].str, level + " Confidence Limits");
      const json& row = (*t)["rows"][0];
      ASSERT_EQ(row["DF"].num, 7);
      const double mean = row["Mean"].num, se = row["StdMean"].num;
      const double tq = trimmed ? c.trimmed_t : c.winsorized_t;
      EXPECT_NEAR(row["LCLMean"].num, mean - tq * se, 1e-12);
      EXPECT_NEAR(row["UCLMean"].num, mean + tq * se, 1e-12);
    }
  }
}

}  // namespace
