// The Quantiles table's 100% and 0% rows with weights, read back from whole runs: they
// are P100 and P0 as PCTLPTS=100 and 0 give them, called Max and Min only where they
// are MAX and MIN. A value of weight 0 at an end is no percentile of the weights:
// P100 is the largest value that carries weight, and P0, where the smallest value
// carries none, the midpoint of it and the first value that does.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "support/json_run.h"
#include "support/csv_rows.h"
#include "support/ref_tables.h"

namespace {

using kes_test::json;

constexpr const char* kProgram =
    "proc kestravine data=d;\n  var x;\n  weight w;\n"
    "  output out=o pctlpts=0 100 pctlpre=p min=mn max=mx;\nrun;\n";

std::string csv(const std::vector<double>& x, const std::vector<double>& w) { return kes_test::weighted_csv(x, w); }

struct ends {
  std::string top_label, bottom_label;  // the table's
  double top, bottom;                   // the table's
  double p100, p0, max, min;            // the OUTPUT row's
};

ends run(const std::vector<double>& x, const std::vector<double>& w) {
  const kes_test::json_run r = kes_test::run_json(csv(x, w), kProgram);
  EXPECT_EQ(r.status, 0) << r.log;
  const std::vector<const json*> found = r.tables("Quantiles");
  EXPECT_EQ(found.size(), 1u);
  ends e{};
  if (found.size() != 1) return e;
  const json& rows = (*found[0])["rows"];
  e.top_label = rows[0]["Quantile"].str;
  e.top = rows[0]["Estimate"].num;
  e.bottom_label = rows[10]["Quantile"].str;
  e.bottom = rows[10]["Estimate"].num;
  // The OUTPUT data set's one row.
  const auto out = kes_test::csv_rows(r.work.count("o") ? r.work.at("o") : std::string());
  EXPECT_EQ(out.size(), 1u);
  if (out.size() != 1) return e;
  e.p100 = out[0].at("p100");
  e.p0 = out[0].at("p0");
  e.max = out[0].at("mx");
  e.min = out[0].at("mn");
  return e;
}

// By hand.
TEST(QuantileEnds, ZeroWeightsAtTheEnds) {
  const struct {
    const char* name;
    std::vector<double> x, w;
    const char* top_label;
    double top;
    const char* bottom_label;
    double bottom;
  } cases[] = {
      {"both ends weigh 0", {1, 2, 3, 4}, {0, 1, 1, 0}, "100%", 3, "0%", 1.5},
      {"every value weighs", {1, 2, 3, 4}, {1, 1, 1, 1}, "100% Max", 4, "0% Min", 1},
      // A negative weight counts in N with weight 0.
      {"negative weight on top", {1, 2, 3, 9}, {1, 1, 1, -1}, "100%", 3, "0% Min", 1},
      {"two weightless below", {5, 6, 7, 8}, {0, 0, 2, 1}, "100% Max", 8, "0%", 6},
      {"light ends", {1, 2, 3}, {1e-300, 1, 1e300}, "100% Max", 3, "0% Min", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const ends e = run(c.x, c.w);
    EXPECT_EQ(e.top_label, c.top_label);
    EXPECT_EQ(e.top, c.top);
    EXPECT_EQ(e.bottom_label, c.bottom_label);
    EXPECT_EQ(e.bottom, c.bottom);
  }
}

// R's faithful$waiting (272 values), as tests/fit/ref keeps it.
std::vector<double> faithful_waiting() {
  std::vector<double> v;
  for (const auto& row : kes_test::ref_rows("fit/ref/bwsj/faithful_waiting.txt")) v.push_back(std::stod(row[0]));
  return v;
}

// R's faithful waiting as it is, moved to 1.7e9 and scaled to millions, with
// survey-like weights and weight 0 on the rows of some of the smallest and largest
// values: the table's rows are the OUTPUT data set's P100 and P0, labelled Max and
// Min exactly where they equal MAX and MIN.
TEST(QuantileEnds, TableRowsArePctlpts) {
  const std::vector<double> fw = faithful_waiting();
  ASSERT_EQ(fw.size(), 272u);
  for (const double shift : {0.0, 1.7e9}) {
    for (const double scale : {1.0, 1e6}) {
      for (const double zero_below : {0.0, 43.0, 46.0}) {
        for (const double zero_above : {0.0, 96.0, 94.0}) {
          std::vector<double> x, w;
          unsigned s = 7;
          for (double v : fw) {
            s = s * 1103515245u + 12345u;
            x.push_back(v * scale + shift);
            const bool weightless = v <= zero_below || (zero_above > 0 && v >= zero_above);
            w.push_back(weightless ? 0.0 : 0.2 + (s >> 8) % 50000 / 10.0);
          }
          char trace[120];
          std::snprintf(trace, sizeof trace, "shift %g scale %g weight 0 to %g and from %g", shift, scale, zero_below,
                        zero_above);
          SCOPED_TRACE(trace);
          const ends e = run(x, w);
          EXPECT_EQ(e.top, e.p100);
          EXPECT_EQ(e.bottom, e.p0);
          EXPECT_EQ(e.top_label, e.top == e.max ? "100% Max" : "100%");
          EXPECT_EQ(e.bottom_label, e.bottom == e.min ? "0% Min" : "0%");
          EXPECT_EQ(e.top == e.max, zero_above == 0.0);
          EXPECT_EQ(e.bottom == e.min, zero_below == 0.0);
        }
      }
    }
  }
}

}  // namespace
