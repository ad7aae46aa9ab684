// The rules the whole-run relation judges by (whole_run.h), on the texts and numbers
// whose faults it must find: a value at an offset shown with fewer digits than as read,
// a legend in E form, a curve height lost, and the forms of the data and the program.
#include <gtest/gtest.h>

#include "metamorphic/whole_run.h"

namespace {

using kes_meta::data_forms;

const kes_meta::data_form& form(const std::string& name) {
  for (const auto& f : data_forms())
    if (f.name == name) return f;
  throw std::runtime_error("no form " + name);
}

TEST(WholeRunRules, TextsReadTheValueAsReadWithItsDigits) {
  struct row {
    const char *as_read, *at_form, *form;
    bool holds;
  } const rows[] = {
      {"Mean 919.35", "Mean 1700000919.35", "values plus 1.7e9", true},
      {"Mean 919.35", "Mean 1700000919", "values plus 1.7e9", false},        // a listing's column not widened
      {"Mean 919.35", "Mean 1700000920.35", "values plus 1.7e9", false},     // another value
      {"Mu=44470.26 Sigma=18557.67", "Mu=1700044470.26 Sigma=18557.67", "values plus 1.7e9", true},
      {"Mu=44470.26 Sigma=18557.67", "Mu=1.7000E9 Sigma=18557.67", "values plus 1.7e9", false},  // legend of 8 bytes
      {"Mean 12.0012", "Mean 1E9", "values plus 1e6", false},                // inset's default format
      {"Scale=58.99661", "Scale=58996610", "values times 1e6", true},
      {"Scale=58.99661", "Scale=5.8997E7", "values times 1e6", false},
      {"Scale=58.99661", "Scale=0.00005899661", "values times 1e-6", true},
      {"Scale=58.99661", "Scale=0.000059", "values times 1e-6", false},
      {"Mean 12.5", "Mean 13107200", "values times 2^20", true},
      {"Mean 12.5", "Mean 1.3E7", "values times 2^20", false},
      {"60.0", "6E7", "values times 1e6", true},                              // a tick: the value itself
      {"Zeta 4.204112", "Zeta 18.019622", "values times 1e6", true},          // a log scale moves by log k
      {"Zeta 4.204112", "Zeta 18.02", "values times 1e6", false},
      {"N 300  Percent 2.5", "N 300 Percent 2.5", "values plus 1e6", true},  // runs of blanks as one
      {"Mean 5", "Median 5", "values plus 1e6", false},
      {"Pr > D >0.1500", "Pr > D >0.1500", "values times 1e6", true},
      {"Histogram1.svg", "Histogram1.svg", "values plus 1.7e9", true},        // a digit inside a word
      {"W-Sq 0.047173", "W-Sq 0.047174", "values plus 1.7e9", true},          // on a rounding boundary
      {"W-Sq 0.047173", "W-Sq 0.047175", "values plus 1.7e9", false},
      {"---- Quantile -----", "-------- Quantile --------", "values plus 1.7e9", true},  // a widened column's header
  };
  for (const row& r : rows)
    EXPECT_EQ(!kes_meta::text_fault(r.as_read, r.at_form, form(r.form)).has_value(), r.holds)
        << r.as_read << " | " << r.at_form << " | " << r.form;
}

TEST(WholeRunRules, NumbersAreTheSameOrMovedWithinTheDataRounding) {
  // 60 values of 1e3 to 1.1e3 as read: at 1.7e9 each carries a quarter of 2^-22.
  const kes_meta::run_scale s{1100, 1700001100, 100};
  const auto& plus = form("values plus 1.7e9");
  EXPECT_FALSE(kes_meta::number_fault(1050.25, 1700001050.25, plus, s));
  EXPECT_FALSE(kes_meta::number_fault(1050.25, 1700001050.25 + 0x1p-22 * 4, plus, s));  // a mean's rounding
  EXPECT_TRUE(kes_meta::number_fault(1050.25, 1700001050.2, plus, s));
  EXPECT_FALSE(kes_meta::number_fault(28.9, 28.9 + 1e-12, plus, s));  // a spread stays
  EXPECT_TRUE(kes_meta::number_fault(1.25, 0, plus, s));              // a curve's height lost
  EXPECT_TRUE(kes_meta::number_fault(1.25, NAN, plus, s));
  EXPECT_FALSE(kes_meta::number_fault(NAN, NAN, plus, s));
  const kes_meta::run_scale t{1100, 1100e6, 100};
  EXPECT_FALSE(kes_meta::number_fault(28.9, 28.9e6, form("values times 1e6"), t));
  EXPECT_TRUE(kes_meta::number_fault(28.9, 28.8e6, form("values times 1e6"), t));
}

TEST(WholeRunRules, HistogramsAreGivenTheirBinsAndTheFormMovesThem) {
  const std::string program = "histogram x /\n  barlabel=count nmidpoints=32\n;\nhistogram x;\n";
  // A step read from the differences of doubles near 1e9 is the decimal step typed.
  EXPECT_EQ(kes_meta::midpoint_lists({{1000000000.03, 1000000000.04, 1000000000.05}}),
            std::vector<std::string>{"1000000000.03 to 1000000000.05 by 0.01"});
  const std::vector<std::string> lists = kes_meta::midpoint_lists({{61.5, 64.5, 67.5}, {0.25, 0.5}});
  const std::string given = kes_meta::with_midpoints(program, lists);
  EXPECT_EQ(given, "histogram x /\n  barlabel=count \n midpoints=61.5 to 67.5 by 3;\n"
                   "histogram x / midpoints=0.25 to 0.5 by 0.25;\n");
  EXPECT_EQ(kes_meta::program_in_form(given, form("values plus 1e6")),
            "histogram x /\n  barlabel=count \n midpoints=1000061.5 to 1000067.5 by 3;\n"
            "histogram x / midpoints=1000000.25 to 1000000.5 by 0.25;\n");
  EXPECT_EQ(kes_meta::program_in_form(given, form("values times 2^20")),
            "histogram x /\n  barlabel=count \n midpoints=64487424.0 to 70778880.0 by 3145728;\n"
            "histogram x / midpoints=262144.00 to 524288.0 by 262144.00;\n");
}

TEST(WholeRunRules, HistogramsFitThresholdFamiliesOnRequest) {
  EXPECT_EQ(kes_meta::with_threshold_fits("histogram x /\n  normal;\nqqplot x;\n"),
            "histogram x /\n    gamma(theta=est) weibull(theta=est)\n  normal;\nqqplot x;\n");
}

TEST(WholeRunRules, GridsAreKeptByPowersOfTenAndMultiplesOfTheirStep) {
  EXPECT_TRUE(form("values times 1e6").keeps_grids(1e9));
  EXPECT_FALSE(form("values times 2^20").keeps_grids(10));
  EXPECT_TRUE(form("values plus 1e6").keeps_grids(86400));    // steps of at most 1e5
  EXPECT_FALSE(form("values plus 1e6").keeps_grids(3e6));     // a step of 2e6 moves by half of it
  EXPECT_TRUE(form("values plus 1.7e9").keeps_grids(1e7));
  EXPECT_FALSE(form("values plus 1.7e9").keeps_grids(3e8));
}

TEST(WholeRunRules, DataAndProgramTakeTheFormOnTheirDecimals) {
  EXPECT_EQ(kes_meta::data_to_three_decimals("x,g\n1.0005,a\n-2.12345,b\n7,c\n.,d\n"),
            "x,g\n1.001,a\n-2.123,b\n7,c\n.,d\n");
  EXPECT_EQ(kes_meta::data_in_form("x\n0.1\n1733616000\n", form("values plus 1.7e9")), "x\n1700000000.1\n3433616000\n");
  EXPECT_EQ(kes_meta::data_in_form("x\n0.125\n", form("values times 2^20")), "x\n131072.000\n");
  EXPECT_EQ(kes_meta::data_in_form("x\n12.5\n", form("values times 1e-6")), "x\n0.0000125\n");
  // HREF= of a probability plot is a percent and stays; the others are values.
  const std::string program =
      "histogram x / href=10 12.5\n  hreflabels='a' 'b';\nprobplot x / href=90;\nqqplot x / vref=3 vreflabels='c';\n";
  EXPECT_EQ(kes_meta::program_in_form(program, form("values times 1e6")),
            "histogram x / href=10000000 12500000\n  hreflabels='a' 'b';\nprobplot x / href=90;\n"
            "qqplot x / vref=3000000 vreflabels='c';\n");
  // A lognormal threshold of 0 moves with the values (scaled, it stays).
  const std::string fits = "histogram x / lognormal;\nprobplot x / lognormal(sigma=est theta=0 zeta=est);\n";
  EXPECT_EQ(kes_meta::program_in_form(fits, form("values plus 1e6")),
            "histogram x / lognormal(theta=1000000);\nprobplot x / lognormal(sigma=est theta=1000000 zeta=est);\n");
  EXPECT_EQ(kes_meta::program_in_form(fits, form("values times 1e6")),
            "histogram x / lognormal(theta=0);\nprobplot x / lognormal(sigma=est theta=0 zeta=est);\n");
}

}  // namespace
