// Weighted statistics that must hold for any weights, run end to end: a weighted
// percentile ties only where the cumulative weight equals W p exactly (P0 is MIN and
// P100 MAX at any scale); one OUTPUT row agrees with itself (STD = 0 exactly when CSS
// = 0, VAR = CSS / divisor, t only beside a positive standard error); the corrected
// sums do not depend on the order of the weights; WEIGHT times FREQ is formed in the
// weights' own unit; the overflow warning comes only from an overflowing sum.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/csv_rows.h"
#include "support/csv_write.h"
#include "support/runner_process.h"
#include "support/scratch_files.h"

namespace {

using kes_test::number_text;

using kes_test::slurp;
using row = std::map<std::string, double>;

class RunnerWeightSums : public ::testing::Test {
 protected:
  // Runs 'program' on data set d (text 'csv'); the exit status.
  int run(const std::string& csv, const std::string& program) {
    dir_.write("d.csv", csv);
    std::filesystem::remove(dir_ / "o.csv");
    kes_test::runner_process p;
    const int status = kes_test::run_program(p, dir_, program, {"--work", ".", "--log", "log", "--listing", "lst"});
    log_ = slurp(dir_ / "log");
    return status;
  }
  // Every observation of OUTPUT data set o, by variable name (strtod: subnormal
  // numbers too); missing values are NaN.
  std::vector<row> output_rows() const { return kes_test::csv_rows(slurp(dir_ / "o.csv")); }
  row output_row() const {
    const std::vector<row> rows = output_rows();
    return rows.empty() ? row{} : rows.front();
  }
  int count(const std::string& text) const { return kes_test::occurrences(log_, text); }
  // The step's return code, from its closing note.
  int step_code() const {
    const size_t at = log_.find("ended with return code ");
    return at == std::string::npos ? -1 : std::atoi(log_.c_str() + at + 23);
  }

  kes_test::scratch_dir dir_{"weightsums"};
  std::string log_;
};

bool near_rel(double a, double b, double tol) { return std::fabs(a - b) <= tol * std::fabs(b); }

// Data set text "x,w" from values and weights.
std::string xw(const std::vector<double>& x, const std::vector<double>& w) {
  std::string t = "x,w\n";
  for (size_t i = 0; i < x.size(); ++i) t += number_text(x[i]) + "," + number_text(w[i]) + "\n";
  return t;
}

constexpr const char* kZeroNote = "within rounding error of zero";
constexpr const char* kPercentiles = "pctlpts=0 1 5 10 12.5 25 33.3 50 66.7 75 90 95 99 100 pctlpre=p";
const char* const kPctNames[] = {"p0",  "p1",  "p5",  "p10", "p12_5", "p25", "p33_3",
                                 "p50", "p66_7", "p75", "p90", "p95",   "p99", "p100"};

// ---- Weighted percentiles tie only on exact sums ---------------------------------

// Ties found by the cumulative weight equal to W p exactly: P0 is MIN and P100 MAX
// beside sums of 2e16 where a weight of 1 lies below any relative tolerance (exact: the
// median of 1, 2, 3 with weights 1, 1e16, 1e16 is 2, no average), and equal weights
// tie at every scale (1..10: P10 1.5, Q1 3, median 5.5, P90 9.5, as the definition's
// cumulative weights i w against 10 w p give).
TEST_F(RunnerWeightSums, WeightedPercentileTiesAreExactEqualities) {
  const struct {
    const char* what;
    std::vector<double> x, w;
    double p0, p10, q1, med, p90, p100;
  } cases[] = {
      {"light first", {1, 2, 3}, {1, 1e16, 1e16}, 1, 2, 2, 2, 3, 3},
      {"light last", {1, 2, 3}, {1e16, 1e16, 1}, 1, 1, 1, 2, 2, 3},
      {"light ends", {1, 2, 3, 4}, {1, 1e16, 1e16, 1}, 1, 2, 2, 2.5, 3, 4},
      {"1 beside 1e300", {1, 2, 3}, {1, 1e300, 1e300}, 1, 2, 2, 2, 3, 3},
      {"equal 0.1", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, std::vector<double>(10, 0.1), 1, 1.5, 3, 5.5, 9.5, 10},
      {"equal 3", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, std::vector<double>(10, 3), 1, 1.5, 3, 5.5, 9.5, 10},
      {"equal 1e-300", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, std::vector<double>(10, 1e-300), 1, 1.5, 3, 5.5, 9.5, 10},
      {"equal 1e300", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, std::vector<double>(10, 1e300), 1, 1.5, 3, 5.5, 9.5, 10},
      {"equal 5e-324", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, std::vector<double>(10, 5e-324), 1, 1.5, 3, 5.5, 9.5, 10},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(run(xw(c.x, c.w), "proc kestravine data=d noprint; var x; weight w;\n output out=o min=min max=max " +
                                    std::string(kPercentiles) + ";\nrun;\n"),
              0)
        << c.what << log_;
    const row r = output_row();
    const std::pair<const char*, double> want[] = {{"p0", c.p0},   {"p10", c.p10}, {"p25", c.q1},
                                                   {"p50", c.med}, {"p90", c.p90}, {"p100", c.p100}};
    for (const auto& [name, v] : want) EXPECT_EQ(r.at(name), v) << c.what << " " << name;
  }
}

// Ties of sums that need more bits than a double holds: n values, each on rows whose
// weights mix a fraction with no short binary form (0.2, 0.1, 1/3, 0.7) and weights
// 2^12 to 2^40 times larger, so that each value's sum spans 60 to 95 bits. Every value
// has the same rows, so the cumulative weight of k values is exactly k/n of the whole,
// and the percentile 100 k / n is the mean of the k-th and the next value, in any
// order of the rows (x = 1..5 with weights 0.2 and 5000: P20 1.5, P40 2.5, P60 3.5,
// P80 4.5).
TEST_F(RunnerWeightSums, WeightedPercentileTiesOfLongSumsAreExact) {
  const struct {
    int n;
    std::vector<double> w;  // every value's rows
  } cases[] = {
      {5, {0.2, 5000}},
      {5, {5000, 0.2}},
      {4, {0.1, 1e6, 3}},
      {8, {1.0 / 3, 0x1p40}},
      {10, {0.7, 1e12, 1e-3}},
      {5, {0.2, 0.2, 7e9, 0.1}},
  };
  std::mt19937_64 rng(81);
  for (const auto& c : cases) {
    for (int order = 0; order < 2; ++order) {
      std::vector<std::pair<double, double>> rows;  // (x, w)
      for (int v = 1; v <= c.n; ++v)
        for (double w : c.w) rows.emplace_back(10.0 * v, w);
      if (order == 1) std::shuffle(rows.begin(), rows.end(), rng);
      std::string csv = "x,w\n";
      for (const auto& [x, w] : rows) csv += number_text(x) + "," + number_text(w) + "\n";
      std::string pts = "pctlpts=";
      for (int k = 1; k < c.n; ++k) pts += " " + number_text(100.0 * k / c.n);
      const std::string what = std::to_string(c.n) + " values, weights " + number_text(c.w[0]) + " and " +
                               number_text(c.w[1]) + (order == 1 ? ", shuffled" : "");
      ASSERT_EQ(run(csv, "proc kestravine data=d noprint; var x; weight w;\n output out=o " + pts +
                             " pctlpre=p;\nrun;\n"),
                0)
          << what << log_;
      const row r = output_row();
      for (int k = 1; k < c.n; ++k) {
        // PCTLPRE= names a percentile by its digits, the point as '_'.
        std::string name = "p" + number_text(100.0 * k / c.n);
        std::replace(name.begin(), name.end(), '.', '_');
        ASSERT_TRUE(r.count(name) == 1) << what << " " << name;
        EXPECT_EQ(r.at(name), 10.0 * k + 5) << what << " " << name;
      }
    }
  }
}

// Generated weighted samples, one per BY group: sizes 1 to 40, ties, an outlier, values
// in tiny units, weights of one scale from 5e-324 to 1e300 or of mixed scales, FREQ.
struct sample_rows {
  std::string csv;  // g,x,w,f
  int groups = 0;
};

sample_rows generated(unsigned seed, bool reversed = false, unsigned shuffle = 0) {
  std::mt19937_64 rng(seed);
  auto uni = [&](double a, double b) { return std::uniform_real_distribution<double>(a, b)(rng); };
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  sample_rows s;
  s.csv = "g,x,w,f\n";
  for (int g = 0; g < 40; ++g) {
    const int n = 1 + pick(g < 20 ? 8 : 40);
    const int kind = g % 6;
    const double unit = pick(3) == 0 ? std::ldexp(1.0, -40) : pick(2) ? 1.0 : 0.01;
    const double scale = std::pow(10.0, pick(601) - 300);
    std::vector<std::string> lines;
    for (int i = 0; i < n; ++i) {
      double x = std::round(uni(-50, 50)) * unit;
      if (pick(4) == 0 && i > 0) x = std::round(uni(-3, 3)) * unit;  // ties near 0
      if (i == n - 1 && pick(3) == 0) x = 1000 * unit;                  // an outlier
      double w;
      switch (kind) {
        case 0: w = 1 + pick(5); break;
        case 1: w = scale * (1 + pick(3)); break;
        case 2: w = std::pow(10.0, pick(301) - 150); break;  // mixed scales
        case 3: w = std::pow(10.0, 12.0 * i); break;         // rising by 1e12
        case 4: w = i == 0 ? 5e-324 : uni(0.5, 2); break;     // a subnormal weight
        default: w = uni(0.1, 10); break;
      }
      const int f = kind == 5 ? 1 + pick(3) : 1;
      if (!std::isfinite(w)) w = 1e300;
      lines.push_back(std::to_string(g) + "," + number_text(x) + "," + number_text(w) + "," + std::to_string(f));
    }
    if (reversed) std::reverse(lines.begin(), lines.end());
    if (shuffle != 0) std::shuffle(lines.begin(), lines.end(), std::mt19937_64(shuffle + g));
    for (const auto& l : lines) s.csv += l + "\n";
  }
  s.groups = 40;
  return s;
}

constexpr const char* kAllStats =
    " n=n sumwgt=sumwgt mean=mean std=std var=var css=css cv=cv stdmean=stdmean t=t probt=probt"
    " skewness=skewness kurtosis=kurtosis min=min max=max p1=q_1 p5=q_5 p10=q_10 q1=q_25 median=q_50"
    " q3=q_75 p90=q_90 p95=q_95 p99=q_99 qrange=qrange ";

std::string generated_program(const char* vardef = "DF") {
  return std::string("proc kestravine data=d noprint vardef=") + vardef +
         "; by g; var x; weight w; freq f;\n output out=o" + kAllStats + kPercentiles + ";\nrun;\n";
}

// P0 = MIN and P100 = MAX; every percentile within MIN..MAX and in order.
TEST_F(RunnerWeightSums, WeightedPercentilesLieFromMinToMaxOverGeneratedSamples) {
  for (unsigned seed : {1u, 2u, 3u}) {
    const sample_rows s = generated(seed);
    ASSERT_EQ(run(s.csv, generated_program()), 0) << seed << log_;
    const std::vector<row> rows = output_rows();
    ASSERT_EQ(static_cast<int>(rows.size()), s.groups) << seed;
    for (const row& r : rows) {
      const std::string what = "seed " + std::to_string(seed) + " group " + number_text(r.at("g"));
      EXPECT_EQ(r.at("p0"), r.at("min")) << what;
      EXPECT_EQ(r.at("p100"), r.at("max")) << what;
      double last = r.at("min");
      for (const char* p : kPctNames) {
        EXPECT_LE(last, r.at(p)) << what << " " << p;
        last = r.at(p);
      }
      EXPECT_LE(last, r.at("max")) << what;
      EXPECT_EQ(r.at("qrange"), r.at("q_75") - r.at("q_25")) << what;
      for (const char* q : {"q_1", "q_5", "q_10", "q_25", "q_50", "q_75", "q_90", "q_95", "q_99"})
        EXPECT_TRUE(r.at(q) >= r.at("min") && r.at(q) <= r.at("max")) << what << " " << q;
    }
  }
}

// ---- One row that agrees with itself ---------------------------------------------

// The self-consistency of one OUTPUT row under VARDEF=DF.
void expect_row_agrees(const row& r, const std::string& what) {
  const double css = r.at("css"), var = r.at("var"), std = r.at("std");
  ASSERT_FALSE(std::isnan(css)) << what;
  // One observation: no divisor, no spread.
  if (r.at("n") <= 1) {
    EXPECT_TRUE(css == 0.0 && std::isnan(var) && std::isnan(std)) << what;
    return;
  }
  EXPECT_EQ(std == 0.0, css == 0.0) << what << " std " << std << " css " << css;
  EXPECT_EQ(var == 0.0, css == 0.0) << what << " var " << var << " css " << css;
  EXPECT_TRUE(near_rel(var, css / (r.at("n") - 1), 1e-12)) << what << " " << var << " " << css;
  EXPECT_TRUE(near_rel(std * std, var, 1e-12)) << what;
  if (!std::isnan(r.at("t"))) {
    EXPECT_GT(r.at("stdmean"), 0.0) << what;
    EXPECT_TRUE(near_rel(r.at("t"), r.at("mean") / r.at("stdmean"), 1e-12))
        << what << " t " << number_text(r.at("t")) << " mean " << number_text(r.at("mean")) << " stdmean "
        << number_text(r.at("stdmean"));
  }
  if (r.at("stdmean") > 0.0) {
    EXPECT_FALSE(std::isnan(r.at("t"))) << what;
  }
  if (!std::isnan(r.at("cv"))) {
    EXPECT_TRUE(near_rel(r.at("cv"), 100 * std / r.at("mean"), 1e-12)) << what;
  }
  EXPECT_TRUE(r.at("min") <= r.at("mean") && r.at("mean") <= r.at("max")) << what;
}

// The README's mixed scales give what their values give (exact, mpmath at 60 digits:
// x = 1, 2, 3 with weights 1e-300, 1, 1e300: CSS 1, VAR 0.5; x = 0..3 with weights 1,
// 1, 1, 1e200: CSS 14, VAR 4.6666666666666667); without weights x = 1, 1 + 2^-52, 1,
// 1 + 2^-51 spread over real doubles: about their mean 1 + 3/4 2^-52, CSS 2.75 2^-104
// exactly, VAR a third of it, and no note.
TEST_F(RunnerWeightSums, OneRowAgreesWithItself) {
  const struct {
    const char* what;
    std::string csv;
    const char* weight;
    double css, var;
    bool zeroed;
  } cases[] = {
      {"1e-300, 1, 1e300", xw({1, 2, 3}, {1e-300, 1, 1e300}), "weight w;", 1, 0.5, false},
      {"1, 1, 1, 1e200 on 0..3", xw({0, 1, 2, 3}, {1, 1, 1, 1e200}), "weight w;", 14, 4.6666666666666667, false},
      {"1, 1, 1, 1e200 on 1..4", xw({1, 2, 3, 4}, {1, 1, 1, 1e200}), "weight w;", 14, 4.6666666666666667, false},
      {"2^-52 steps",
       "x\n1\n" + number_text(1 + std::ldexp(1, -52)) + "\n1\n" + number_text(1 + std::ldexp(1, -51)) + "\n", "",
       std::ldexp(2.75, -104), std::ldexp(2.75, -104) / 3, false},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(run(c.csv, std::string("proc kestravine data=d noprint; var x; ") + c.weight + "\n output out=o" +
                             kAllStats + ";\nrun;\n"),
              0)
        << c.what << log_;
    const row r = output_row();
    expect_row_agrees(r, c.what);
    EXPECT_TRUE(near_rel(r.at("css"), c.css, 1e-13)) << c.what << " " << r.at("css");
    EXPECT_TRUE(near_rel(r.at("var"), c.var, 1e-13)) << c.what << " " << r.at("var");
    EXPECT_EQ(count(kZeroNote), c.zeroed ? 1 : 0) << c.what << log_;
    if (c.zeroed) {
      EXPECT_TRUE(std::isnan(r.at("t"))) << c.what;
    }
  }
}

// Every generated row agrees with itself.
TEST_F(RunnerWeightSums, GeneratedRowsAgreeWithThemselves) {
  for (unsigned seed : {4u, 5u}) {
    const sample_rows s = generated(seed);
    ASSERT_EQ(run(s.csv, generated_program()), 0) << seed << log_;
    for (const row& r : output_rows())
      expect_row_agrees(r, "seed " + std::to_string(seed) + " group " + number_text(r.at("g")));
  }
}

// ---- The corrected sums in any order of the weights ------------------------------

// Weights rising by 1e12 per row and a light first weight (exact, mpmath at 60 digits):
// the same in either order.
TEST_F(RunnerWeightSums, CorrectedSumsExactInAnyOrderOfTheWeights) {
  const struct {
    const char* what;
    std::vector<double> x, w;
    double css, std, skewness, kurtosis;  // NaN: missing
  } cases[] = {
      {"rising by 1e12",
       {1, 2, 4, 7, 3},
       {1, 1e12, 1e24, 1e36, 1e48},
       1.5999999999985e+37,
       1.9999999999990625e+18,
       3.333333333328021,
       11.9999999999575},
      {"1000, 1001 with 1, 1e9", {1000, 1001}, {1, 1e9}, 0.999999999, 0.9999999995, NAN, NAN},
      {"1..10 rising by 1e12",
       {1, 2, 3, 4, 5, 6, 7, 8, 9, 10},
       {1, 1e12, 1e24, 1e36, 1e48, 1e60, 1e72, 1e84, 1e96, 1e108},
       1.000000000003e+96,
       3.3333333333383333e+47,
       -3.7499999999718752,
       13.339285714108929},
  };
  for (const auto& c : cases)
    for (bool reversed : {false, true}) {
      std::vector<double> x = c.x, w = c.w;
      if (reversed) {
        std::reverse(x.begin(), x.end());
        std::reverse(w.begin(), w.end());
      }
      const std::string what = std::string(c.what) + (reversed ? " reversed" : "");
      ASSERT_EQ(run(xw(x, w), "proc kestravine data=d noprint; var x; weight w;\n output out=o css=css std=std "
                              "skewness=skewness kurtosis=kurtosis;\nrun;\n"),
                0)
          << what << log_;
      const row r = output_row();
      const std::pair<const char*, double> want[] = {
          {"css", c.css}, {"std", c.std}, {"skewness", c.skewness}, {"kurtosis", c.kurtosis}};
      for (const auto& [name, v] : want) {
        if (std::isnan(v)) {
          EXPECT_TRUE(std::isnan(r.at(name))) << what << " " << name;
        } else {
          EXPECT_TRUE(near_rel(r.at(name), v, 1e-13)) << what << " " << name << " " << r.at(name) << " for " << v;
        }
      }
    }
}

// The generated samples reversed and shuffled give the same moments within 1e-13
// relative (2e-13 between two orders), the same warnings and the same return code.
TEST_F(RunnerWeightSums, GeneratedMomentsDoNotDependOnTheOrder) {
  for (unsigned seed : {6u, 7u}) {
    std::vector<std::vector<row>> runs;
    std::vector<int> warnings, codes;
    for (int order = 0; order < 3; ++order) {
      const sample_rows s = generated(seed, order == 1, order == 2 ? 99u : 0u);
      ASSERT_EQ(run(s.csv, generated_program()), 0) << seed << log_;
      runs.push_back(output_rows());
      warnings.push_back(count("WARNING"));
      codes.push_back(step_code());
    }
    for (int order = 1; order < 3; ++order) {
      EXPECT_EQ(warnings[order], warnings[0]) << seed << " order " << order;
      EXPECT_EQ(codes[order], codes[0]) << seed << " order " << order;
      ASSERT_EQ(runs[order].size(), runs[0].size());
      for (size_t g = 0; g < runs[0].size(); ++g)
        for (const char* s : {"sumwgt", "mean", "css", "var", "std", "skewness", "kurtosis", "t"}) {
          const double a = runs[0][g].at(s), b = runs[order][g].at(s);
          if (std::isnan(a)) {
            EXPECT_TRUE(std::isnan(b)) << seed << " group " << g << " " << s;
            continue;
          }
          // Shape statistics and t are of order 1..1e3: their noise is absolute.
          const bool shape = s[0] == 's' && s[1] == 'k';
          const double tol = 2e-13 * std::fmax(std::fabs(a), shape || s[0] == 'k' ? 1.0 : 0.0);
          EXPECT_LE(std::fabs(a - b), tol) << seed << " group " << g << " order " << order << " " << s << " " << a
                                           << " " << b;
        }
    }
  }
}

// ---- WEIGHT with FREQ -------------------------------------------------------------

// A weight times its frequency is formed in the weights' unit: WEIGHT 1e308 with FREQ 2
// is two rows of 1e308 (SUMWGT beyond the doubles, named), and FREQ k is k copies.
TEST_F(RunnerWeightSums, WeightTimesFrequencyIsCopiesAtAnyScale) {
  const struct {
    const char* what;
    double w;
    int f;
  } cases[] = {{"1e308 twice", 1e308, 2}, {"1.5e308 three times", 1.5e308, 3}, {"1e300 four times", 1e300, 4},
               {"5e-324 five times", 5e-324, 5}};
  const std::string program =
      "proc kestravine data=d noprint; var x; weight w; freq f;\n output out=o mean=mean std=std sumwgt=sumwgt "
      "skewness=skewness median=median;\nrun;\n";
  for (const auto& c : cases) {
    std::string freq = "x,w,f\n", copies = "x,w,f\n";
    for (int v : {1, 2, 5}) {
      freq += std::to_string(v) + "," + number_text(v == 2 ? c.w : 1e-300) + "," + std::to_string(c.f) + "\n";
      for (int k = 0; k < c.f; ++k) copies += std::to_string(v) + "," + number_text(v == 2 ? c.w : 1e-300) + ",1\n";
    }
    ASSERT_EQ(run(freq, program), 0) << c.what << log_;
    EXPECT_EQ(count("too large"), 0) << c.what << log_;
    EXPECT_EQ(count("WARNING"), 0) << c.what << log_;
    const int code = step_code();
    const row a = output_row();
    ASSERT_FALSE(a.empty()) << c.what << log_;
    ASSERT_EQ(run(copies, program), 0) << c.what << log_;
    EXPECT_EQ(step_code(), code) << c.what;
    const row b = output_row();
    for (const auto& [name, v] : b) {
      if (std::isnan(v)) {
        EXPECT_TRUE(std::isnan(a.at(name))) << c.what << " " << name;
      } else {
        EXPECT_LE(std::fabs(a.at(name) - v), 1e-13 * std::fabs(v)) << c.what << " " << name;
      }
    }
  }
}

// ---- The overflow warning ---------------------------------------------------------

// A subnormal weight first or last: no overflow warning, code 0, the same statistics
// (x = 1..4 with weights 5e-324, 1, 1, 1: those of 2, 3, 4 alone, CSS 2, VAR 0.667).
TEST_F(RunnerWeightSums, NoOverflowWarningFromTheOrderOfTheWeights) {
  const std::vector<double> x = {1, 2, 3, 4}, w = {5e-324, 1, 1, 1};
  std::vector<row> rows;
  for (bool reversed : {false, true}) {
    std::vector<double> xs = x, ws = w;
    if (reversed) {
      std::reverse(xs.begin(), xs.end());
      std::reverse(ws.begin(), ws.end());
    }
    ASSERT_EQ(run(xw(xs, ws), "proc kestravine data=d noprint; var x; weight w;\n output out=o" +
                                  std::string(kAllStats) + ";\nrun;\n"),
              0)
        << log_;
    EXPECT_EQ(count("overflow"), 0) << reversed << log_;
    EXPECT_EQ(step_code(), 0) << reversed << log_;
    rows.push_back(output_row());
  }
  EXPECT_TRUE(near_rel(rows[0].at("css"), 2.0, 1e-15)) << rows[0].at("css");
  for (const auto& [name, v] : rows[0])
    EXPECT_TRUE(std::isnan(v) ? std::isnan(rows[1].at(name)) : near_rel(rows[1].at(name), v, 1e-15)) << name;
}

// ---- Weighted moments that earlier faults changed ---------------------------------

// References: mpmath at 60 digits. Each row names the fault it catches.
TEST_F(RunnerWeightSums, WeightedMomentsOfLopsidedAndTinyWeights) {
  const struct {
    const char* what;
    const char* vardef;
    std::vector<double> x, w;
    const char* stat;
    double want;
  } cases[] = {
      // The weights' unit left out of the spread under VARDEF=N (4.53).
      {"each weighted 1000, N", "N", {1, 2, 4, 7}, {1000, 1000, 1000, 1000}, "std", 72.456883730947193},
      // One unit of weight subtracted under WDF in place of a weight of 1 (5.609).
      {"each weighted 1000, WDF", "WDF", {1, 2, 4, 7}, {1000, 1000, 1000, 1000}, "var", 5.2513128282070518},
      // A wrong root of the unit for the skewness sums (3.8e-11).
      {"heavy last, lopsided", "DF", {1, 2, 4, 0}, {1, 1, 1, 1e22}, "skewness", 2.6277530028260558},
      // A unit change that leaves USS behind (1.89e23).
      {"heavy last, USS", "DF", {1, 2, 4, 3}, {1, 1, 1, 1e22}, "uss", 9e22},
      // A factor that starts only above a weight sum of 1e-150 (half of each).
      {"tiny first weight, STD", "DF", {1, 0, 1e-100}, {1e-200, 1, 1}, "std", 8.6602540378443865e-101},
      {"tiny first weight, CSS", "DF", {1, 0, 1e-100}, {1e-200, 1, 1}, "css", 1.5e-200},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(run(xw(c.x, c.w), std::string("proc kestravine data=d noprint vardef=") + c.vardef +
                                    "; var x; weight w;\n output out=o " + c.stat + "=s;\nrun;\n"),
              0)
        << c.what << log_;
    EXPECT_TRUE(near_rel(output_row().at("s"), c.want, 1e-13)) << c.what << " " << output_row().at("s");
  }
}

// No fixed share of the mean sets a real spread to 0, whatever the weights' scale:
// with weights w, 2^60 w, w a third value d = 2^-47 above the others (relative 7e-15)
// spreads as one d = 1e-12 above does. Two points of weights (1 + 2^60) w and w:
// CSS = d^2 w (1 + 2^60) / (2 + 2^60), which is d^2 w within 1e-18, so STD (divisor
// 2) is d sqrt(w / 2): no note, code 0.
TEST_F(RunnerWeightSums, NoFixedShareOfTheMeanZeroesARealSpread) {
  for (const double third : {1 + std::ldexp(1, -47), 1.000000000001})
    for (const double w : {1.0, 1e-100, 1e250}) {
      const std::string what = number_text(third) + " at " + number_text(w);
      ASSERT_EQ(run(xw({1, 1, third}, {w, std::ldexp(w, 60), w}),
                    "proc kestravine data=d noprint; var x; weight w;\n output out=o std=std css=css;\nrun;\n"),
                0)
          << what << log_;
      const double d = third - 1;
      EXPECT_TRUE(near_rel(output_row().at("std"), d * std::sqrt(w / 2), 1e-13)) << what << " " << output_row().at("std");
      EXPECT_EQ(count(kZeroNote), 0) << what << log_;
      EXPECT_EQ(step_code(), 0) << what << log_;
    }
}

}  // namespace
