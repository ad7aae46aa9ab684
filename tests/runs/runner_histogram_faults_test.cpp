// HISTOGRAM requests run by the built runner on data a hostile or unlucky user gives:
// values at a fitted threshold, at a large common offset or near the ends of the
// double range, huge bin counts, out of memory inside the fits. Nothing is left out
// of a count or a test without a note, and nothing wrong is written as if right.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <random>
#include <sstream>

#include "support/csv_rows.h"
#include "support/runner_process.h"
#include "support/scratch_files.h"

namespace {

using kes_test::slurp;

class RunnerHistogram : public ::testing::Test {
 protected:
  // Runs the program in the scratch folder; a run that hangs is ended by SIGALRM.
  int run(const std::string& program, std::vector<std::string> extra = {}) {
    dir_.write("prog.kes", program);
    std::vector<std::string> args = {"--log", "log", "--listing", "lst"};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back("prog.kes");
    proc_.start(dir_.path().string(), args, [] { ::alarm(120); });
    const int status = proc_.wait();
    log_ = slurp(dir_ / "log");
    lst_ = slurp(dir_ / "lst");
    return status;
  }
  // A one-column data set x with the given values.
  void write_values(const std::string& name, const std::vector<double>& v) {
    std::ostringstream o;
    o.precision(17);
    o << "x\n";
    for (double x : v) o << x << "\n";
    dir_.write(name, o.str());
  }
  // The column of a written CSV data set as its texts, and as numbers (missing values
  // as NaN).
  std::vector<std::string> texts(const std::string& file, const std::string& name) const {
    return kes_test::csv_column(slurp(dir_ / file), name);
  }
  std::vector<double> column(const std::string& file, const std::string& name) const {
    std::vector<double> out;
    for (const std::string& t : texts(file, name)) out.push_back(t.empty() || t[0] == '.' ? std::nan("") : std::stod(t));
    return out;
  }
  bool logs(const std::string& text) const { return log_.find(text) != std::string::npos; }

  kes_test::scratch_dir dir_{"hist"};
  kes_test::runner_process proc_;
  std::string log_, lst_;
};

// _COUNT_ was the percent height scaled back: 2.0000000000000004 for two of 11 values.
TEST_F(RunnerHistogram, OuthistogramCountsAreWholeNumbers) {
  for (int n : {11, 29, 31, 43, 47, 49}) {
    std::vector<double> v;
    for (int i = 0; i < n; ++i) v.push_back(i % 5);
    write_values("c.csv", v);
    for (const char* scale : {"percent", "proportion"}) {
      ASSERT_EQ(run(std::string("proc kestravine data=c noprint; var x; histogram x / outhistogram=oh vscale=") +
                    scale + " midpoints=0 to 4 by 1 normal; run;\n"),
                0)
          << log_;
      const std::vector<double> counts = column("oh.csv", "_COUNT_");
      ASSERT_EQ(counts.size(), 5u);
      for (int b = 0; b < 5; ++b) EXPECT_EQ(counts[b], (n - b + 4) / 5) << "n " << n << " bin " << b;
    }
  }
}

// NMIDPOINTS=100000000 on 100 values wrote 54 million OUTHISTOGRAM rows without a
// note; the bin limit of a MIDPOINTS= list holds for a bin count too.
TEST_F(RunnerHistogram, ABinCountPastTheBinLimitGetsTheDefaultBinsAndANote) {
  std::vector<double> v;
  for (int i = 0; i < 100; ++i) v.push_back(i * 0.37);
  write_values("n.csv", v);
  struct row {
    const char* options;
    const char* note;  // empty: no note, the count is used
    std::size_t most_rows;
  };
  const row rows[] = {
      {"nmidpoints=100000000", "NMIDPOINTS=100000000 for x asks for more than 100000 bins", 20},
      {"nendpoints=100002", "NENDPOINTS=100002 for x asks for more than 100000 bins", 20},
      {"nendpoints=100001", "", 100000},
      {"nmidpoints=200000 nobinlimit", "", 200000},
  };
  for (const row& r : rows) {
    ASSERT_EQ(run(std::string("proc kestravine data=n noprint; var x; histogram x / outhistogram=oh ") + r.options +
                  "; run;\n"),
              0)
        << log_;
    const std::size_t n = column("oh.csv", "_COUNT_").size();
    EXPECT_LE(n, r.most_rows) << r.options;
    EXPECT_GT(n, 5u) << r.options;
    if (*r.note) EXPECT_TRUE(logs(std::string("NOTE: ") + r.note + "; the bins are chosen by the default rule")) << log_;
    else EXPECT_FALSE(logs("asks for more than")) << log_;
  }
}

// Out of memory inside the fits logged "Out of memory" four times and ended with
// return code 0 and an empty listing; in the plug-in bandwidth it wrote OUTKERNEL with
// 0 observations and exit 0; out of memory in the graph's lists wrote a graph of one
// empty cell described as "A histogram of .". At every memory cap a run either
// succeeds with no memory message and whole data sets, or ends with 1016, keeps the
// older files and writes a graph only whole: one memory ran out in is not written, and
// the log says so.
TEST_F(RunnerHistogram, OutOfMemoryInTheFitsEndsWith1016AndWritesNoPartialDataSet) {
  std::vector<double> v;
  for (int i = 0; i < 500; ++i) v.push_back(std::exp(1 + 0.5 * std::sin(i * 1.3) + 0.01 * (i % 37)));
  write_values("m.csv", v);
  const char* const kOld = "_VAR_\nold\n";
  struct row {
    const char* program;
    const char* output;
    const char* number;  // a numeric variable of the output
    std::vector<int> caps;  // among them one at which memory runs out in the graph
  };
  const row rows[] = {
      {"proc kestravine data=m; var x; histogram x / normal lognormal gamma weibull outhistogram=oh; run;\n", "oh.csv", "_COUNT_",
       {20000, 24000, 28183, 32000, 40000, 60000, 100000, 400000}},
      {"proc kestravine data=m noprint; var x; histogram x / kernel(c=sjpi) outkernel=ok; run;\n", "ok.csv", "_DENSITY_",
       {20000, 30000, 40000, 60000, 80000, 400000}},
  };
  for (const row& r : rows) {
    bool failed = false, succeeded = false;
    int graphs_lost = 0;
    for (int cap : r.caps) {
      dir_.write(r.output, kOld);
      for (const std::string& f : kes_test::svg_files(dir_.path())) std::filesystem::remove(dir_ / f);
      const int status = run(r.program, {"--memcap", std::to_string(cap)});
      const bool oom = logs("ERROR: Out of memory");
      if (status == 1) {
        // Too little room to hold the values at all: the variable is not computed.
        EXPECT_TRUE(logs("are not computed: there is not enough memory")) << cap << "\n" << log_;
        EXPECT_FALSE(oom) << cap << "\n" << log_;
      } else if (status == 0) {
        succeeded = true;
        EXPECT_FALSE(oom) << cap << "\n" << log_;
        EXPECT_GT(column(r.output, r.number).size(), 5u) << cap;
      } else {
        failed = true;
        EXPECT_EQ(status, 2) << cap << "\n" << log_;
        EXPECT_TRUE(oom) << cap << "\n" << log_;
        EXPECT_TRUE(logs("ended with return code 1016")) << cap << "\n" << log_;
        EXPECT_TRUE(logs("was not replaced because memory ran out in the step")) << cap << "\n" << log_;
        EXPECT_EQ(slurp(dir_ / r.output), kOld) << cap;
        if (logs("HISTOGRAM statement 1: memory ran out while the graph of x was made; it is not drawn.")) {
          ++graphs_lost;
          EXPECT_TRUE(kes_test::svg_files(dir_.path()).empty()) << cap;
        }
      }
      for (const std::string& f : kes_test::svg_files(dir_.path()))
        EXPECT_NE(slurp(dir_ / f).find("<desc>A histogram of x.</desc>"), std::string::npos) << cap << " " << f;
    }
    EXPECT_TRUE(failed && succeeded) << r.program;
    EXPECT_GT(graphs_lost, 0) << r.program;
  }
}

// An infinite fitted quantile overflowed an integer in the width choice, and the
// table printed the median 7.3891 as "7" and the quantiles near 1e118 as "*". The
// finite values choose the format; the infinite one shows as Inf.
TEST_F(RunnerHistogram, AQuantileTableWithHugeAndInfiniteValuesShowsEveryFiniteOne) {
  std::vector<double> v;  // log values 2 +- d: the fitted zeta is 2
  for (int k = 1; k <= 10; ++k) v.push_back(std::exp(2 + 0.1 * k)), v.push_back(std::exp(2 - 0.1 * k));
  write_values("q.csv", v);
  ASSERT_EQ(run("proc kestravine data=q noprint; var x; histogram x / lognormal(sigma=400 theta=0); run;\n"), 0)
      << log_;
  const std::size_t at = lst_.find("Quantiles for Lognormal Distribution");
  ASSERT_NE(at, std::string::npos) << lst_;
  const std::string table = lst_.substr(at, 1200);
  // exp(2 + 400 z_p), mpmath 1.3 at 30 digits: 1.09511469835e118 (75 %),
  // 3.13977292419e223 (90 %), 4.06378247622e286 (95 %); the 99 % quantile overflows
  // (shown as Inf, or missing where the family's percentile says it overflowed).
  for (const char* shown : {"7.3891", "1.095115E118", "3.139773E223", "4.063782E286"})
    EXPECT_NE(table.find(shown), std::string::npos) << shown << "\n" << table;
  EXPECT_EQ(table.find('*'), std::string::npos) << table;
  // Weibull C = 5e-324 (from the fuzzer): quantiles 0 below 63.2 % and overflowing
  // above; none prints as *.
  ASSERT_EQ(run("proc kestravine data=q noprint; var x; histogram x / weibull(c=5e-324 theta=0); run;\n"), 0) << log_;
  const std::size_t w = lst_.find("Quantiles for Weibull Distribution");
  ASSERT_NE(w, std::string::npos) << lst_;
  EXPECT_EQ(lst_.substr(w, 1200).find('*'), std::string::npos) << lst_.substr(w, 1200);
}

// The plug-in bandwidth summed x and x^2 at the grid points: the same 200 values plus
// 0, 1e8, 1e9, 2e9, 4e9 gave 3.49, 3.51, 8.10, 3.92, 8.10. It depends on differences.
TEST_F(RunnerHistogram, ThePlugInBandwidthDoesNotMoveWithTheData) {
  std::vector<double> base;
  for (int i = 0; i < 200; ++i) base.push_back(10 * std::sin(i * 0.7) * std::cos(i * 1.9) + 0.05 * (i % 13));
  double first = 0;
  for (double offset : {0.0, 1e8, 1e9, 2e9, 4e9}) {
    std::vector<double> v;
    for (double x : base) v.push_back(x + offset);
    write_values("s.csv", v);
    ASSERT_EQ(run("proc kestravine data=s noprint; var x; histogram x / kernel(c=sjpi); run;\n"), 0) << log_;
    const std::size_t at = log_.find("bandwidth = ");
    ASSERT_NE(at, std::string::npos) << log_;
    const double h = std::stod(log_.substr(at + 12));
    if (offset == 0) first = h;
    // The values themselves move by up to half a unit in the last place of 4e9.
    EXPECT_NEAR(h, first, 1e-6 * first) << "offset " << offset;
  }
}

// A bandwidth does not move when the data are shifted exactly: four values and the
// same plus 1.5 gave 0.14131 and 0.14485, the plug-in's bins and unit being placed
// by the grid's rounded ends. Small samples in steps of 2^-8 .. 8, some at 1e9 + 0.05,
// each beside copies shifted by constants that keep every value exact.
TEST_F(RunnerHistogram, ThePlugInBandwidthIsTheSameForTheDataShiftedExactly) {
  std::vector<std::vector<double>> sets = {{-1.98828125, -2.34375, -1.84375, -2.0625}};
  std::mt19937_64 rng(8812);
  for (int s = 0; s < 24; ++s) {
    const int n = 4 + static_cast<int>(rng() % 7);
    const double step = std::ldexp(1.0, static_cast<int>(rng() % 12) - 8);
    const double at = s % 4 == 3 ? 1e9 + 0.05 : 0.0;
    std::vector<double> v;
    for (int i = 0; i < n; ++i) v.push_back(at + step * (static_cast<int>(rng() % 1601) - 800));
    sets.push_back(v);
  }
  const double shifts[] = {1.5, 100.25, 1e6, 1e9 + 0.5, -3.75, 0x1p40 + 0.125};
  // Columns: each set, then its shifted copies that are exact.
  std::vector<std::vector<double>> cols;
  std::vector<std::size_t> base_of;
  for (std::size_t k = 0; k < sets.size(); ++k) {
    cols.push_back(sets[k]);
    base_of.push_back(cols.size() - 1);
    for (double c : shifts) {
      std::vector<double> y;
      bool exact = true;
      for (double x : sets[k]) {
        y.push_back(x + c);
        exact = exact && (x + c) - c == x;
      }
      if (exact) cols.push_back(y), base_of.push_back(base_of.back());
    }
  }
  std::ostringstream o;
  o.precision(17);
  for (std::size_t j = 0; j < cols.size(); ++j) o << (j ? ",v" : "v") << j;
  o << "\n";
  for (std::size_t i = 0; i < 10; ++i) {
    for (std::size_t j = 0; j < cols.size(); ++j) {
      if (j) o << ",";
      if (i < cols[j].size()) o << cols[j][i];
    }
    o << "\n";
  }
  dir_.write("s.csv", o.str());
  const std::string vars = "v0-v" + std::to_string(cols.size() - 1);
  ASSERT_EQ(run("proc kestravine data=s noprint; var " + vars + "; histogram " + vars +
                " / noplot kernel(c=sjpi); run;\n"),
            0)
      << log_;
  std::vector<std::string> h;
  for (std::size_t at = log_.find("bandwidth = "); at != std::string::npos; at = log_.find("bandwidth = ", at + 1))
    h.push_back(log_.substr(at + 12, log_.find(',', at) - at - 12));
  ASSERT_EQ(h.size(), cols.size()) << log_;
  for (std::size_t j = 0; j < cols.size(); ++j)
    EXPECT_EQ(h[j], h[base_of[j]]) << "column v" << j << " beside v" << base_of[j];
}

// The exponential EDF tests left out every observation at a known threshold without
// a word: 80 exponential values and 20 zeros were tested as the 80 alone.
TEST_F(RunnerHistogram, ObservationsLeftOutOfTheExponentialTestsAreNamed) {
  std::string text = "x,g\n";
  for (int i = 0; i < 100; ++i) {
    const double x = i < 80 ? -5 * std::log(1 - (i + 0.5) / 80.0) : 0.0;
    text += std::to_string(x) + "," + (i % 2 ? "b" : "a") + "\n";
  }
  text += "0.5,c\n";  // cell c: one value, no tie
  dir_.write("e.csv", text);
  const std::string known = "equal to the known threshold, whose Anderson-Darling terms are not defined";
  const std::string estimated = "at the smallest value, which estimates the threshold";
  struct row {
    const char* statement;
    std::vector<std::string> notes;
  };
  const row rows[] = {
      {"var x; histogram x / exponential(theta=0 sigma=5)",
       {"The EDF tests of the exponential curve of x leave out 20 observations " + known}},
      {"class g; var x; histogram x / exponential(theta=0 sigma=5)",
       {"For g = a, the EDF tests of the exponential curve of x leave out 10 observations " + known,
        "For g = b, the EDF tests of the exponential curve of x leave out 10 observations " + known}},
      {"var x; histogram x / exponential(theta=est sigma=5)",
       {"The EDF tests of the exponential curve of x leave out 20 observations " + estimated}},
      {"var x; histogram x / exponential(theta=est sigma=est)", {}},  // nothing is left out
  };
  for (const row& r : rows) {
    ASSERT_EQ(run(std::string("proc kestravine data=e noprint; ") + r.statement + "; run;\n"), 0) << log_;
    for (const std::string& n : r.notes) EXPECT_TRUE(logs("NOTE: " + n)) << r.statement << "\n" << log_;
    EXPECT_EQ(log_.find("For g = c"), std::string::npos) << log_;  // one value at the minimum goes silently
    if (r.notes.empty()) {
      EXPECT_EQ(log_.find("leave out"), std::string::npos) << log_;
    }
  }
}

// 200 values 1.7e9 + U(0, 10) (timestamps) lost every normality test and the normal
// curve's tests: the no-spread check weighed the spread against the mean's size. The
// default bins gave them one bin too: they show the same bars as the values at 0.
TEST_F(RunnerHistogram, DataAtALargeOffsetKeepTheirTestsAndBins) {
  std::vector<double> base;
  for (int i = 0; i < 200; ++i) base.push_back(5 + 5 * std::sin(i * 2.3) * std::fabs(std::cos(i * 0.31)));
  std::vector<double> stats[2];
  std::string bins[2];
  for (int k = 0; k < 2; ++k) {
    std::vector<double> v;
    for (double x : base) v.push_back(x + (k ? 1.7e9 : 0.0));
    write_values("t.csv", v);
    const std::string from = k ? "1700000000" : "0", to = k ? "1700000010" : "10";
    ASSERT_EQ(run("proc kestravine data=t normal; var x; histogram x / normal outhistogram=oh midpoints=" + from +
                  " to " + to + " by 1; run;\n"),
              0)
        << log_;
    const std::size_t n = lst_.find("Tests for Normality"), g = lst_.find("Goodness-of-Fit Tests for Normal");
    ASSERT_NE(n, std::string::npos);
    ASSERT_NE(g, std::string::npos) << log_;
    // Statistics to 4 digits: the offset values are rounded to 2.4e-7.
    for (std::size_t from : {n, g}) {
      std::istringstream rows(lst_.substr(from, 900));
      for (std::string line; std::getline(rows, line);)
        for (const char* test : {"Shapiro-Wilk", "Kolmogorov-Smirnov", "Cramer-von Mises", "Anderson-Darling"})
          if (line.find(test) != std::string::npos) {
            EXPECT_EQ(line.find(" . "), std::string::npos) << line;
            std::istringstream cells(line.substr(line.find(test) + std::strlen(test)));
            std::string symbol;
            double value = std::nan("");
            cells >> symbol >> value;
            stats[k].push_back(value);
          }
    }
    for (double c : column("oh.csv", "_COUNT_")) bins[k] += std::to_string(c) + " ";
    EXPECT_FALSE(logs("No goodness-of-fit tests")) << log_;
  }
  ASSERT_EQ(stats[0].size(), 7u);  // four normality tests, three for the curve
  ASSERT_EQ(stats[1].size(), 7u);
  for (std::size_t i = 0; i < 7; ++i) EXPECT_NEAR(stats[1][i], stats[0][i], 2e-6 * stats[0][i]) << i;
  EXPECT_EQ(bins[0], bins[1]);
  // The default bins: those of the values at 0, moved by the offset.
  std::vector<double> counts[2], mids[2];
  for (int k = 0; k < 2; ++k) {
    std::vector<double> v;
    for (double x : base) v.push_back(x + (k ? 1.7e9 : 0.0));
    write_values("t.csv", v);
    ASSERT_EQ(run("proc kestravine data=t noprint; var x; histogram x / outhistogram=oh; run;\n"), 0) << log_;
    EXPECT_FALSE(logs("one bin")) << log_;
    counts[k] = column("oh.csv", "_COUNT_");
    mids[k] = column("oh.csv", "_MIDPT_");
  }
  EXPECT_GT(counts[0].size(), 2u);
  EXPECT_EQ(counts[1], counts[0]);
  ASSERT_EQ(mids[1].size(), mids[0].size());
  for (std::size_t i = 0; i < mids[0].size(); ++i) EXPECT_EQ(mids[1][i], mids[0][i] + 1.7e9) << i;
}

// Values near the ends of the double range gave one bin holding 20 % (four of five
// values uncounted), midpoints "Inf" and _MIDPT_ 0, or missing kernel densities with
// "AMISE = 5.38e+306". Such a range gets a note and no histogram, never wrong counts.
TEST_F(RunnerHistogram, ARangeAtTheEndsOfTheDoublesGetsANoteAndNoHistogram) {
  std::vector<double> subnormal;
  for (int i = 1; i <= 10; ++i) subnormal.push_back(4e-320 * i);
  subnormal.push_back(3e-308);
  const std::vector<double> cases[] = {
      {1e308, -1e308, 1.7e308, 0, 5e307},
      {1e308, 1.2e308, 1.5e308, 1.79e308},
      subnormal,
  };
  for (const std::vector<double>& v : cases) {
    write_values("r.csv", v);
    ASSERT_EQ(run("proc kestravine data=r; var x; histogram x / normal kernel(c=sjpi) midpercents outhistogram=oh "
                  "outkernel=ok; run;\n"),
              0)
        << log_;
    EXPECT_TRUE(logs("which cannot be binned or smoothed in double precision")) << log_;
    EXPECT_TRUE(column("oh.csv", "_COUNT_").empty()) << slurp(dir_ / "oh.csv");
    EXPECT_TRUE(column("ok.csv", "_DENSITY_").empty());
    EXPECT_EQ(lst_.find("Histogram Bins"), std::string::npos);
    EXPECT_EQ(log_.find("AMISE"), std::string::npos) << log_;
  }
  // Far from the ends, large values are binned and counted whole.
  write_values("r.csv", {1e300, 2e300, 3e300, 5e300});
  ASSERT_EQ(run("proc kestravine data=r noprint; var x; histogram x / outhistogram=oh; run;\n"), 0) << log_;
  double total = 0;
  for (double c : column("oh.csv", "_COUNT_")) total += c;
  EXPECT_EQ(total, 4);
  EXPECT_FALSE(logs("cannot be binned"));
}

// OUTHISTOGRAM repeated the bins once per curve that could not be fitted, with a
// blank _CURVE_; now a fitted curve has its block and a cell with none the bins once.
TEST_F(RunnerHistogram, OuthistogramHasABlockPerFittedCurveOnly) {
  std::vector<double> v;
  for (int i = 0; i < 50; ++i) v.push_back(1 + 0.2 * i);
  write_values("b.csv", v);
  ASSERT_EQ(run("proc kestravine data=b noprint; var x; histogram x / normal exponential(theta=5) lognormal(theta=-1) "
                "midpoints=1 to 11 by 2 outhistogram=oh; run;\n"),
            0)
      << log_;
  std::map<std::string, int> rows;
  for (const std::string& curve : texts("oh.csv", "_CURVE_")) ++rows[curve];
  EXPECT_EQ(rows, (std::map<std::string, int>{{"NORMAL", 6}, {"LNORM", 6}})) << slurp(dir_ / "oh.csv");
  // No curve fitted: the bins once.
  ASSERT_EQ(run("proc kestravine data=b noprint; var x; histogram x / exponential(theta=5) midpoints=1 to 11 by 2 "
                "outhistogram=oh; run;\n"),
            0);
  EXPECT_EQ(column("oh.csv", "_COUNT_").size(), 6u);
  EXPECT_EQ(column("oh.csv", "_EXPPCT_").size(), 6u);
}

// A BY variable named again in CLASS made OUTPUT end with 2000 but OUTHISTOGRAM= and
// OUTKERNEL= with 1020: one code for an output data set that cannot be defined.
TEST_F(RunnerHistogram, AnOutputDataSetThatCannotBeDefinedEndsWith2000) {
  dir_.write("bc.csv", "g,x\n1,2\n1,3\n2,5\n2,6\n");
  for (const char* statement :
       {"output out=o mean=m", "histogram x / outhistogram=oh", "histogram x / kernel outkernel=ok"}) {
    EXPECT_EQ(run(std::string("proc kestravine data=bc noprint; by g; class g; var x; ") + statement + "; run;\n"), 2);
    EXPECT_TRUE(logs("variable g is defined twice")) << log_;
    EXPECT_TRUE(logs("ended with return code 2000.")) << statement << "\n" << log_;
  }
}

// Gamma and Weibull fits with THETA=EST whose likelihood rises up to the data ended
// at the bound 1e-6 below the minimum and were reported as fitted curves without a
// word (the lognormal refuses the same data). That edge is not a maximum: no curve.
TEST_F(RunnerHistogram, AThresholdEstimateAtItsBoundIsNoted) {
  std::vector<double> v;
  for (int i = 0; i < 100; ++i) v.push_back(10 + std::pow(-std::log(1 - (i + 0.5) / 100), 2));
  write_values("g.csv", v);
  ASSERT_EQ(run("proc kestravine data=g noprint; var x; histogram x / gamma(theta=est) weibull(theta=est); run;\n"), 0)
      << log_;
  for (const char* family : {"Gamma", "Weibull"})
    EXPECT_TRUE(logs(std::string("NOTE: The ") + family +
                     " distribution could not be fitted to x: no interior maximum of the likelihood"
                     " was found, it rises toward a bound of the parameters"))
        << family << "\n" << log_;
  // A threshold well inside its bound: no note.
  std::vector<double> g;
  for (int i = 0; i < 100; ++i) g.push_back(3 + std::exp(0.3 * std::sin(i * 1.7)) * (1 + (i % 10) * 0.3));
  write_values("g.csv", g);
  ASSERT_EQ(run("proc kestravine data=g noprint; var x; histogram x / gamma(theta=est); run;\n"), 0) << log_;
  EXPECT_FALSE(logs("could not be fitted")) << log_;
}

// MAXSIGMAS= or MAXNBIN= fitted to a narrow key cell left another cell's values
// outside every bin (cell b counted 0 of its 20 values) without a note. (A key cell of
// one value no longer limits the bins: they are then spread over all cells.)
TEST_F(RunnerHistogram, ValuesOutsideTheLimitedBinsAreNamedByCell) {
  std::string text = "g,x\na,5\na,5.5\n";
  for (int i = 0; i < 20; ++i) text += "b," + std::to_string(1 + 0.7 * i) + "\n";
  dir_.write("ms.csv", text);
  struct row {
    const char* option;
    int outside;
  };
  // The key's bins (by hand): midpoints 5.125 and 5.375, width 0.25. MAXSIGMAS=2 holds
  // the edges within 5.25 +- 0.7071 (4.75 to 5.75), MAXNBIN=3 adds one bin below (4.75
  // to 5.5): of b's values 1 + 0.7 i only 5.2 falls inside either.
  for (const row& r : {row{"maxsigmas=2", 19}, row{"maxnbin=3", 19}}) {
    ASSERT_EQ(run(std::string("proc kestravine data=ms noprint; class g; var x; histogram x / ") + r.option +
                  " outhistogram=oh; run;\n"),
              0)
        << log_;
    EXPECT_TRUE(logs("NOTE: For g = b, the histogram of x leaves " + std::to_string(r.outside) +
                     " of its 20 values outside its bins"))
        << r.option << "\n" << log_;
    EXPECT_FALSE(logs("For g = a,")) << log_;
    double counted = 0;
    for (double c : column("oh.csv", "_COUNT_")) counted += c;
    EXPECT_EQ(counted, 22 - r.outside) << r.option;
  }
}

// The line-printer stem-and-leaf plot of x = 1 + i 1e-15 labelled every stem "1E14":
// its stems need more digits than their 7 columns. A note gives them in full.
TEST_F(RunnerHistogram, StemsTooLongForTheirLabelsAreNoted) {
  std::vector<double> v;
  for (int i = 0; i < 30; ++i) v.push_back(1 + i * 1e-15);
  write_values("lp.csv", v);
  ASSERT_EQ(run("proc kestravine data=lp plot; var x; run;\n"), 0) << log_;
  EXPECT_TRUE(logs("NOTE: The stems of the stem-and-leaf plot of x run from 100000000000000 to 100000000000002, "
                   "more digits than their 7-column labels hold"))
      << log_;
  // Stems that fit: no note.
  write_values("lp.csv", {1, 2, 3, 5, 8, 13, 21, 34});
  ASSERT_EQ(run("proc kestravine data=lp plot; var x; run;\n"), 0) << log_;
  EXPECT_FALSE(logs("stems of the stem-and-leaf")) << log_;
}

}  // namespace
