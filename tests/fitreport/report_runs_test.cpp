// Fitted-distribution tables of whole runs, read back from the JSON output: the rows
// of every family's parameter table with hand-computed moments, the Bins table's
// points with their format and percents, and expected percents at a large threshold.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/json_run.h"

namespace {

using kes_test::json;

// Twelve values inside (0, 1), so that every family's given parameters fit them.
constexpr const char* kUnit = "x\n0.08\n0.15\n0.21\n0.26\n0.3\n0.33\n0.37\n0.42\n0.48\n0.55\n0.63\n0.77\n";

struct parm_row {
  const char* parameter;
  const char* symbol;
  double estimate;
};

TEST(ReportRuns, ParameterRowsOfEveryFamilyInTheirOrder) {
  // Every parameter given: the rows show them and the law's mean and standard
  // deviation, worked out by hand from the parameters.
  const double g43 = std::tgamma(4.0 / 3), g53 = std::tgamma(5.0 / 3);
  struct family_case {
    const char* option;
    std::vector<parm_row> rows;
  };
  const family_case cases[] = {
      {"normal(mu=0.3 sigma=0.2)", {{"Mean", "Mu", 0.3}, {"Std Dev", "Sigma", 0.2}}},
      {"lognormal(theta=0 zeta=-1 sigma=0.5)",
       {{"Threshold", "Theta", 0},
        {"Scale", "Zeta", -1},
        {"Shape", "Sigma", 0.5},
        {"Mean", "", std::exp(-1 + 0.125)},
        {"Std Dev", "", std::exp(-1 + 0.125) * std::sqrt(std::exp(0.25) - 1)}}},
      {"exponential(theta=0 sigma=0.4)",
       {{"Threshold", "Theta", 0}, {"Scale", "Sigma", 0.4}, {"Mean", "", 0.4}, {"Std Dev", "", 0.4}}},
      {"weibull(theta=0 sigma=0.5 c=3)",
       {{"Threshold", "Theta", 0},
        {"Scale", "Sigma", 0.5},
        {"Shape", "C", 3},
        {"Mean", "", 0.5 * g43},
        {"Std Dev", "", 0.5 * std::sqrt(g53 - g43 * g43)}}},
      {"gamma(theta=0 sigma=0.1 alpha=3.5)",
       {{"Threshold", "Theta", 0},
        {"Scale", "Sigma", 0.1},
        {"Shape", "Alpha", 3.5},
        {"Mean", "", 0.35},
        {"Std Dev", "", 0.1 * std::sqrt(3.5)}}},
      // Beta(2, 5): mean 2/7, variance 2 x 5 / (7^2 x 8).
      {"beta(theta=0 sigma=1 alpha=2 beta=5)",
       {{"Threshold", "Theta", 0},
        {"Scale", "Sigma", 1},
        {"Shape", "Alpha", 2},
        {"Shape", "Beta", 5},
        {"Mean", "", 2.0 / 7},
        {"Std Dev", "", std::sqrt(10.0 / 392)}}},
  };
  for (const family_case& c : cases) {
    SCOPED_TRACE(c.option);
    const kes_test::json_run r =
        kes_test::run_json(kUnit, std::string("proc kestravine data=d; var x; histogram x / ") + c.option + "; run;\n");
    ASSERT_EQ(r.status, 0) << r.log;
    ASSERT_TRUE(r.parsed);
    const std::vector<const json*> t = r.tables("ParameterEstimates");
    ASSERT_EQ(t.size(), 1u);
    const std::vector<json>& rows = (*t[0])["rows"].arr;
    ASSERT_EQ(rows.size(), c.rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
      EXPECT_EQ(rows[i]["Parameter"].str, c.rows[i].parameter) << i;
      EXPECT_EQ(rows[i]["Symbol"].str, c.rows[i].symbol) << i;
      EXPECT_NEAR(rows[i]["Estimate"].num, c.rows[i].estimate, 1e-12 * std::fmax(1.0, std::fabs(c.rows[i].estimate)))
          << c.rows[i].parameter << " " << c.rows[i].symbol;
    }
  }
}

// Fourteen values; with the bins 0 to 100 by 25 they fall 2, 5, 3, 4 into bins closed
// on the right and 2, 4, 4, 4 into bins closed on the left (50 lies on an edge).
constexpr const char* kHundred = "x\n3\n12\n26\n29\n33\n44\n50\n58\n61\n74\n79\n88\n95\n99\n";

TEST(ReportRuns, BinsTableShowsEveryPointInItsFormat) {
  // N(50, 25) over 0 to 100 by 25: Phi(-1) - Phi(-2) = 0.158655253931457 -
  // 0.0227501319481792 and Phi(0) - Phi(-1) in the two middle bins.
  const double outer = 100 * (0.158655253931457 - 0.0227501319481792), inner = 100 * (0.5 - 0.158655253931457);
  struct bins_case {
    const char* options;
    const char* column;
    std::vector<double> points;
    int width, decimals;
    std::vector<int> counts;
    const char* last_line;  // the table's last row as the listing shows it
  };
  const bins_case cases[] = {
      // The upper ends: 100 is wider than every lower end.
      {"endpoints=0 to 100 by 25 rtinclude", "MaxPoint", {25, 50, 75, 100}, 3, 0, {2, 5, 3, 4}, "100"},
      {"endpoints=0 to 100 by 25", "MinPoint", {0, 25, 50, 75}, 2, 0, {2, 4, 4, 4}, "75"},
      // Quarters: 10.0 needs a fourth column that no lower end needs.
      {"endpoints=0 to 10 by 2.5 rtinclude", "MaxPoint", {2.5, 5, 7.5, 10}, 4, 1, {2, 5, 3, 4}, "10.0"},
      {"endpoints=0 to 10 by 2.5", "MinPoint", {0, 2.5, 5, 7.5}, 3, 1, {2, 4, 4, 4}, "7.5"},
  };
  for (const bins_case& c : cases) {
    SCOPED_TRACE(c.options);
    // The values in tenths for the bins of width 2.5.
    const bool tenths = c.points.back() <= 10;
    std::string csv = kHundred;
    if (tenths) csv = "x\n0.3\n1.2\n2.6\n2.9\n3.3\n4.4\n5\n5.8\n6.1\n7.4\n7.9\n8.8\n9.5\n9.9\n";
    const std::string mu = tenths ? "5" : "50", sigma = tenths ? "2.5" : "25";
    const kes_test::json_run r = kes_test::run_json(
        csv, std::string("proc kestravine data=d; var x; histogram x / normal(mu=") + mu + " sigma=" + sigma +
                 " midpercents) " + c.options + "; run;\n");
    ASSERT_EQ(r.status, 0) << r.log;
    ASSERT_TRUE(r.parsed);
    const std::vector<const json*> t = r.tables("Bins");
    ASSERT_EQ(t.size(), 1u);
    const json& col = (*t[0])["columns"][0];
    EXPECT_EQ(col["name"].str, c.column);
    EXPECT_EQ(col["format"]["width"].num, c.width);
    EXPECT_EQ(col["format"]["decimals"].num, c.decimals);
    const std::vector<json>& rows = (*t[0])["rows"].arr;
    ASSERT_EQ(rows.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
      EXPECT_NEAR(rows[i][c.column].num, c.points[i], 1e-12) << i;
      EXPECT_NEAR(rows[i]["ObsPercent"].num, 100.0 * c.counts[i] / 14, 1e-12) << i;
      EXPECT_NEAR(rows[i]["EstPercent"].num, i == 0 || i == 3 ? outer : inner, 1e-11) << i;
    }
    // The listing shows the last point, not the asterisks of a value too wide.
    const size_t at = r.listing.find("Histogram Bin Percents for Normal Distribution");
    ASSERT_NE(at, std::string::npos);
    const size_t end = r.listing.find("Quantiles for Normal Distribution", at);
    const std::string table = r.listing.substr(at, end - at);
    EXPECT_EQ(table.find('*'), std::string::npos) << table;
    EXPECT_NE(table.find(" " + std::string(c.last_line) + "    "), std::string::npos) << table;
  }
}

// A threshold of 10^7 with scale 1: each bin holds the law's mass between its ends,
// also the ends within 1 of the threshold (a margin of 1e-7 times the threshold would
// make the distribution function 0 there, and the first four bins empty).
TEST(ReportRuns, ExpectedPercentsStartAtALargeThreshold) {
  // 100 (F(0.25 (i + 1)) - F(0.25 i)) for the standardized laws, from python3-mpmath
  // 1.3.0 (40 digits): 1 - exp(-z), 1 - exp(-z^2), gammainc(2, 0, z, regularized=True)
  // and ncdf(log z).
  struct threshold_case {
    const char* family;
    double pct[8];
  };
  const threshold_case cases[] = {
      {"exponential(theta=10000000 sigma=1",
       {22.119921692859513, 17.227012335877144, 13.416410697161872, 10.448711156957239, 8.1374644311252221,
        6.3374636711760271, 4.9356216697984702, 3.8438660213832435}},
      {"weibull(theta=10000000 sigma=1 c=2",
       {6.0586937186524214, 16.061227974207092, 20.901795834048186, 20.190338355948069, 15.82680540203445,
        10.421216258923349, 5.8628602177905353, 2.8454983495224803}},
      {"gamma(theta=10000000 sigma=1 alpha=2",
       {2.6499021160743915, 6.370498927030595, 8.3154522272174398, 9.0882584953891094, 9.1123089407456917,
        8.6810392564353153, 7.9947055882350474, 7.1872494778886023}},
      {"lognormal(theta=10000000 zeta=0 sigma=1",
       {8.2828519001698485, 16.128007678388425, 14.26864613485145, 11.320494286590277, 8.8288108142545064,
        6.9144061342609046, 5.4697063664920927, 4.3762171064342229}},
  };
  const std::string csv = "x\n10000000.1\n10000000.3\n10000000.6\n10000000.9\n10000001.2\n10000001.7\n10000001.9\n";
  for (const threshold_case& c : cases) {
    SCOPED_TRACE(c.family);
    const kes_test::json_run r = kes_test::run_json(
        csv, std::string("proc kestravine data=d; var x; histogram x / ") + c.family +
                 " midpercents) endpoints=10000000 to 10000002 by 0.25; run;\n");
    ASSERT_EQ(r.status, 0) << r.log;
    ASSERT_TRUE(r.parsed);
    const std::vector<const json*> t = r.tables("Bins");
    ASSERT_EQ(t.size(), 1u);
    const std::vector<json>& rows = (*t[0])["rows"].arr;
    ASSERT_EQ(rows.size(), 8u);
    for (size_t i = 0; i < 8; ++i) EXPECT_NEAR(rows[i]["EstPercent"].num, c.pct[i], 1e-10) << i;
  }
}

}  // namespace
