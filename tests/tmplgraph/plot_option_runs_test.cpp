// Plot options and fitted values through the runner: the reference line of a given
// SLOPE=, the axes of probability plots with a cell without spread, BESTw. formats in
// insets, estimates that overflow, and a run without graphics.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "graph_run.h"
#include "support/svg_reader.h"

namespace {

using kes_test::dump_block;
using kes_test::dump_number;
using kes_test::graph_run;

// The first row of the first data object that carries the line.
std::map<std::string, std::string> line_row(const graph_run& g) {
  for (const auto& row : g.data()->rows())
    if (row.count("RefSlope") && row.at("RefSlope") != ".") return row;
  return {};
}

// A given SLOPE= is the line's slope as given (not exp(SLOPE)), on QQ plots with a
// percentile axis and on probability plots too; the notes say what is done with it.
TEST(PlotOptionRuns, GivenSlopeDrawsItsLine) {
  struct row {
    const char* statements;
    double intercept, slope;
    const char* note;  // a note the log must hold ("" none)
  };
  const row rows[] = {
      {"qqplot / lognormal(theta=1 slope=3 sigma=0.5) pctlaxis;", 1, 3, "SLOPE= is taken as the slope exp(ZETA)"},
      {"qqplot / lognormal(theta=1 slope=3 sigma=0.5);", 1, 3, ""},
      {"probplot / lognormal(theta=1 slope=3 sigma=0.5);", 1, 3, "SLOPE= is taken as the slope exp(ZETA)"},
      {"qqplot / lognormal(theta=1 zeta=0 sigma=0.5) pctlaxis;", 1, 1, ""},  // exp(0)
      // log(data) = log(SIGMA) + SLOPE log(-log(1 - p)): intercept log(50).
      {"probplot / weibull2(sigma=50 slope=0.1);", 3.912023005428146, 0.1, "SLOPE= is taken as the slope 1/C"},
  };
  for (const row& r : rows) {
    const graph_run g = kes_test::run_graphs(r.statements);
    ASSERT_EQ(g.status, 0) << r.statements << g.log;
    EXPECT_EQ(g.panels().at(0)->dynamic("_REFLINE"), "1 (boolean)") << r.statements;
    const auto line = line_row(g);
    ASSERT_FALSE(line.empty()) << r.statements;
    EXPECT_NEAR(dump_number(line.at("RefInt")), r.intercept, 1e-12) << r.statements;
    EXPECT_NEAR(dump_number(line.at("RefSlope")), r.slope, 1e-12) << r.statements;
    EXPECT_EQ(g.log.find("ignored"), std::string::npos) << g.log;
    if (*r.note) {
      EXPECT_NE(g.log.find(r.note), std::string::npos) << g.log;
    }
  }
}

// Cell a holds 20 values from 40 to 97, cell b 2000 copies of 150 (no spread: left
// out of the fits). The percent range still runs over b's positions, 100 (1 - 0.375)
// / 2000.25 = 0.0312 to 100 (2000 - 0.375) / 2000.25 = 99.969, and the data axis
// reaches 150.
TEST(PlotOptionRuns, CellsWithoutSpreadSetTheAxes) {
  std::string csv = "x,c\n";
  for (int i = 0; i < 20; ++i) csv += std::to_string(40 + 3 * i) + ",a\n";
  for (int i = 0; i < 2000; ++i) csv += "150,b\n";
  const std::string prog = "proc kestravine data=d noprint; var x; class c; probplot; qqplot / pctlaxis; run;";
  const graph_run g = kes_test::run_program(csv, prog);
  ASSERT_EQ(g.status, 0) << g.log;
  ASSERT_EQ(g.panels().size(), 2u);
  // QQ plots run first. Percentile axis: the default percents strictly inside
  // (0.0312, 99.969).
  EXPECT_EQ(g.panels()[0]->dynamic("_PCTLLABELS"), "\"0.1 1 5 10 25 50 75 90 95 99 99.9\" (text)");
  // Probability plot: the default ticks from the largest at or below 0.0312 to the
  // smallest at or above 99.969, symmetric.
  EXPECT_EQ(g.panels()[1]->dynamic("_PCTLLABELS"), "\"0.01 0.1 1 5 10 25 50 75 90 95 99 99.9 99.99\" (text)");
  EXPECT_EQ(kes_test::occurrences(g.log, "standard deviation of x is missing or 0"), 2) << g.log;

  const graph_run d = kes_test::run_program(csv, prog, {"--graphics", "device"});
  ASSERT_EQ(d.status, 0) << d.log;
  ASSERT_EQ(d.svg.size(), 2u);
  for (const auto& [file, svg] : d.svg) {
    const bool prob = svg.find("<title>Probability Plot") != std::string::npos;
    std::vector<std::string> texts;
    for (const kes_test::svg_element& e : kes_test::svg_elements(svg))
      if (e.name == "text") texts.push_back(e.text);
    // The data axis of both: a nice scale from 40 to 160.
    EXPECT_NE(std::find(texts.begin(), texts.end(), "160"), texts.end()) << file;
    EXPECT_EQ(std::find(texts.begin(), texts.end(), "99.99") != texts.end(), prob) << file;
  }
}

// BESTw. shows the best text in w places. The standard deviation of the sample is
// 7.9908344733095261866 (mpmath at 40 digits over the 120 values as written).
TEST(PlotOptionRuns, BestFormatsShowTheBestTextOfTheirWidth) {
  struct row {
    const char* inset;
    const char* std_text;  // the text, or for BEST30. its first 16 characters
  };
  const row rows[] = {
      {"inset std / format=best8.;", "7.990834"},
      {"inset std (best12.);", "7.9908344733"},
      {"inset std (best30.);", "7.99083447330952"},  // all 17 digits a double holds
      {"inset std (best3.);", "8"},
      {"inset std (best5.);", "7.991"},
      {"inset std (6.2);", "7.99"},  // a fixed format keeps its decimals
  };
  for (const row& r : rows) {
    const graph_run g = kes_test::run_graphs(std::string("histogram; ") + r.inset);
    ASSERT_EQ(g.status, 0) << r.inset << g.log;
    std::string text = g.panels().at(0)->dynamic("_I1_VALUE1");
    ASSERT_GT(text.size(), 9u) << r.inset;
    text = text.substr(1, text.find('"', 1) - 1);
    if (std::string(r.inset).find("best30") != std::string::npos) {
      // The shortest text that reads back as the double: 16 or 17 digits.
      EXPECT_GE(text.size(), 17u) << text;
      EXPECT_LE(text.size(), 18u) << text;
      text = text.substr(0, 16);
    }
    EXPECT_EQ(text, r.std_text) << r.inset;
  }
}

// An estimate that overflows is missing in every family and table: lognormal mean
// exp(700 + 50) and standard deviation, gamma mean 1e300 x 1e10 and its quantiles.
TEST(PlotOptionRuns, EstimatesThatOverflowAreMissing) {
  const std::string missing = "{\"missing\": \".\"}";
  struct row {
    const char* family;
    std::string mean, std;  // the Estimate cells of ParameterEstimates ("": not checked)
  };
  const row rows[] = {
      {"lognormal(theta=0 zeta=700 sigma=10)", missing, missing},
      {"gamma(theta=0 sigma=1e300 alpha=1e10)", missing, ""},  // std sqrt(1e10) x 1e300 is finite
      {"gamma(theta=0 sigma=2 alpha=4)", "8", "4"},             // alpha sigma, sqrt(alpha) sigma
  };
  auto cell = [](const std::string& name, const std::string& value) {
    return "\"Parameter\": \"" + name + "\", \"Symbol\": \"\", \"Estimate\": " + value + "}";
  };
  for (const row& r : rows) {
    const graph_run g = kes_test::run_graphs(std::string("histogram / noplot ") + r.family + ";");
    ASSERT_EQ(g.status, 0) << r.family << g.log;
    EXPECT_EQ(g.json.find("infinite"), std::string::npos) << r.family;
    EXPECT_EQ(g.listing.find("Inf"), std::string::npos) << r.family;
    EXPECT_NE(g.json.find(cell("Mean", r.mean)), std::string::npos) << r.family << g.json;
    if (!r.std.empty()) {
      EXPECT_NE(g.json.find(cell("Std Dev", r.std)), std::string::npos) << r.family;
    }
  }
}

// --graphics none: HISTOGRAM requests make their tables; the other plot statements are
// checked and not run, and nothing in the log speaks of graphs.
TEST(PlotOptionRuns, NoGraphicsWritesNoNotesAboutGraphs) {
  std::string csv = "x\n";
  for (int i = 0; i < 30; ++i) csv += std::to_string(40 + (i * 7) % 23) + "\n";
  const graph_run g = kes_test::run_program(
      csv, "proc kestravine data=d; var x; histogram / normal; qqplot; probplot; cdfplot; ppplot; run;",
      {"--graphics", "none"});
  ASSERT_EQ(g.status, 0) << g.log;
  EXPECT_TRUE(g.svg.empty());
  EXPECT_EQ(kes_test::occurrences(g.log, "NOTE:"), 2) << g.log;  // the step's end and its time
  EXPECT_EQ(kes_test::occurrences(g.log, "statement"), 0) << g.log;
  EXPECT_EQ(kes_test::occurrences(g.log, "graph"), 0) << g.log;
  EXPECT_NE(g.listing.find("Parameters for Normal Distribution"), std::string::npos) << g.listing;
  // A bad option of a statement that is not run is still refused.
  const graph_run bad = kes_test::run_program(csv, "proc kestravine data=d; var x; qqplot / normal(sigma=-1); run;",
                                              {"--graphics", "none"});
  EXPECT_NE(bad.log.find("ERROR"), std::string::npos) << bad.log;
}

}  // namespace
