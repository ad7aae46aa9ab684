// The tick texts of a template graph's horizontal axis stay on the page: values at
// the largest double (where the axis has no pad past its end tick), long E-notation
// texts at either end, in one column and in CLASS columns, with midpoints and
// endpoints, on histograms and on the other plot kinds.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <string>

#include "support/runner_graphs.h"
#include "support/scratch_files.h"
#include "support/svg_parts.h"
#include "support/svg_rules.h"

namespace {

TEST(HistogramEndTicks, EveryTickTextStaysOnThePage) {
  kes_test::scratch_dir dir{"hist-end-ticks"};
  struct span {
    const char* what;
    double lo, hi;
  };
  const span spans[] = {
      {"at the largest double", DBL_MAX, DBL_MAX},
      {"at its negative", -DBL_MAX, -DBL_MAX},
      {"one value near it", 1.2345678e308, 1.2345678e308},
      {"long texts", 1.2345678e307, 8.7654321e307},
      {"long negative texts", -8.7654321e307, -1.2345678e307},
      {"tiny", 1.2345678e-300, 9.87654321e-300},
  };
  for (const span& s : spans) {
    std::string csv = "c,x\n";
    char v[40];
    for (int i = 0; i < 40; ++i) {
      const double t = i / 39.0;
      // A blend at half scale, kept within the ends: it never rounds past the doubles.
      const double x = std::fmin(std::fmax(2 * (s.lo / 2 * (1 - t) + s.hi / 2 * t), s.lo), s.hi);
      std::snprintf(v, sizeof v, "%.17g", x);
      csv += std::to_string(i % 2) + "," + v + "\n";
    }
    dir.write("d.csv", csv);
    for (const char* statements : {"histogram x;", "histogram x / endpoints;", "histogram x / rtinclude;",
                                   "class c; histogram x / ncols=2 nrows=1;",
                                   "class c; histogram x / endpoints ncols=2 nrows=1;"}) {
      const std::string program = std::string("proc kestravine data=d noprint; var x; ") + statements + " run;\n";
      SCOPED_TRACE(std::string(s.what) + ": " + program);
      int status = -1;
      std::string log;
      const auto files = kes_test::run_graphs(dir.path(), program, "template", &status, &log);
      EXPECT_TRUE(status >= 0 && status <= 4) << log;
      ASSERT_EQ(files.size(), 1u) << log;
      int numbers = 0;
      for (const kes_test::text_item& t : kes_test::read_parts(files[0].second).texts)
        numbers += t.text.find('E') != std::string::npos || t.text.find_first_of("0123456789") == 0;
      EXPECT_GE(numbers, 2);
      for (const kes_test::svg_fault& f : kes_test::svg_rule_faults(files[0].second))
        EXPECT_NE(f.rule, kes_test::kRuleTextOffPage) << f.detail;
    }
  }
}

// The other kinds with data on the horizontal axis, or long theoretical values there:
// data a few billionths apart near 1e-8 read "1.000000003E-8", 1e15 plus fractions
// read in 17 digits, Unix seconds within a second.
TEST(HistogramEndTicks, EveryPlotKindKeepsItsTickTextsOnThePage) {
  kes_test::scratch_dir dir{"plot-end-ticks"};
  struct span {
    const char* what;
    double centre, unit;
  };
  const span spans[] = {{"near 1e-8", 1e-8, 1e-17},
                        {"1e15 and fractions", 1e15, 0.125},
                        {"Unix seconds", 1733650000.204, 1e-2},
                        {"negative, long texts", -8.7654321e307, 1e298}};
  for (const span& s : spans) {
    std::string csv = "c,x\n";
    char v[40];
    for (int i = 0; i < 30; ++i) {
      // A fixed spread of -3..3 units, in an order that is not sorted.
      std::snprintf(v, sizeof v, "%.17g", s.centre + ((i * 7) % 30 - 15) / 5.0 * s.unit);
      csv += std::to_string(i % 2) + "," + v + "\n";
    }
    dir.write("d.csv", csv);
    for (const char* statements :
         {"cdfplot x;", "cdfplot x / normal;", "qqplot x / normal;", "probplot x / normal;", "ppplot x / normal;",
          "probplot x / weibull2;", "class c; cdfplot x / ncols=2 nrows=1;", "class c; qqplot x / ncols=2 nrows=1;"}) {
      if (s.centre < 0 && std::string(statements).find("weibull2") != std::string::npos) continue;
      const std::string program = std::string("proc kestravine data=d noprint; var x; ") + statements + " run;\n";
      SCOPED_TRACE(std::string(s.what) + ": " + program);
      int status = -1;
      std::string log;
      const auto files = kes_test::run_graphs(dir.path(), program, "template", &status, &log);
      EXPECT_TRUE(status >= 0 && status <= 4) << log;
      for (const auto& [name, svg] : files)
        for (const kes_test::svg_fault& f : kes_test::svg_rule_faults(svg))
          EXPECT_NE(f.rule, kes_test::kRuleTextOffPage) << name << ": " << f.detail;
    }
  }
}

}  // namespace
