// A fitted curve whose tests read tables at the fitted shape, run by the built runner:
// where the shape lies outside the tables' range (Weibull c <= 2 and gamma alpha <= 1
// below it, lognormal sigma >= 3 above it) the curve has no goodness-of-fit table and
// the note says why, naming the fitted shape; inside the range the tests are there.
// Over samples drawn about the range's ends, with the threshold estimated and known.
// Beta fits with both shapes estimated: a fitted shape of 5 or more has no tables.
// Several curves of one family are named by their numbers, as their tables are.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/json_reader.h"
#include "support/scratch_files.h"
#include "support/test_settings.h"

namespace {

namespace fs = std::filesystem;

struct family {
  const char* request;   // the HISTOGRAM option
  const char* name;      // its group name in the JSON tables
  const char* symbol;    // the shape's row symbol in ParameterEstimates, and in the note
  const char* word;      // the note's family word
  double lo, hi;         // the tables' range: lo < shape < hi
};
constexpr family kFamilies[] = {
    {"weibull(theta=est)", "Weibull", "c", "Weibull", 2.0, HUGE_VAL},
    {"gamma(theta=est)", "Gamma", "alpha", "Gamma", 1.0, HUGE_VAL},
    {"gamma", "Gamma", "alpha", "Gamma", 1.0, HUGE_VAL},
    {"gamma(theta=49.999)", "Gamma", "alpha", "Gamma", 1.0, HUGE_VAL},  // a given threshold below the data
    {"lognormal(theta=est)", "Lognormal", "sigma", "Lognormal", -HUGE_VAL, 3.0},
};

double uniform(std::mt19937_64& g) { return (static_cast<double>(g() >> 11) + 0.5) * 0x1p-53; }

// n values of the family's law about the end of its range (shape near lo or hi),
// threshold 50, rounded to 4 decimals.
std::vector<double> draw(const family& f, int n, double shape, std::mt19937_64& g) {
  std::vector<double> x;
  for (int i = 0; i < n; ++i) {
    const double u = uniform(g);
    double v;
    if (f.name[0] == 'W') {
      v = 10 * std::pow(-std::log(u), 1 / shape);
    } else if (f.name[0] == 'G') {  // skewed, a fitted alpha about the shape
      v = 0;
      const int whole = static_cast<int>(shape);
      for (int k = 0; k < whole; ++k) v -= std::log(uniform(g));
      v += std::pow(uniform(g), 1 / (shape - whole + 1e-9)) * -std::log(uniform(g));
      v *= 10;
    } else {
      const double z = std::sqrt(-2 * std::log(u)) * std::cos(2 * M_PI * uniform(g));
      v = std::exp(shape * z);
    }
    x.push_back(std::round((50 + v) * 1e4) / 1e4);
  }
  return x;
}

TEST(UntestedReason, TheNoteNamesTheFittedShapeOutsideTheTablesRange) {
  kes_test::scratch_dir dir("untested");
  std::mt19937_64 gen(20261208);
  int below = 0, above = 0, tested = 0;
  for (const family& f : kFamilies) {
    // (The lognormal also just above its range: fits at the likelihood's maximum of
    // sigma 4.5 draws have no interior maximum, or one with sigma below 3.)
    const std::vector<double> ends = f.lo > 0 ? std::vector<double>{f.lo * 0.7, f.lo * 1.4}
                                              : std::vector<double>{f.hi * 0.8, f.hi * 1.5, f.hi * 1.1};
    for (double shape : ends)
      for (int n : {12, 25, 60}) {
        for (int rep = 0; rep < 3; ++rep) {
          const std::vector<double> x = draw(f, n, shape, gen);
          std::ostringstream csv;
          csv.precision(17);
          csv << "x\n";
          for (double v : x) csv << v << "\n";
          std::ofstream(dir.path() / "d.csv") << csv.str();
          const std::string program =
              std::string("proc kestravine data=d noprint; var x; histogram x / noplot ") + f.request + ";\nrun;\n";
          std::ofstream(dir.path() / "p.kes") << program;
          const std::string cmd = "cd '" + dir.path().string() + "' && '" + kes_test::built("kestravine") +
                                  "' --work . --listing lst --log log --json out.json p.kes >/dev/null 2>&1";
          const int raw = std::system(cmd.c_str());
          ASSERT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << program;
          const std::string log = kes_test::slurp(dir.path() / "log");
          kes_test::json out;
          ASSERT_TRUE(kes_test::parse_json(kes_test::slurp(dir.path() / "out.json"), out));
          double fitted = NAN;
          bool has_tests = false;
          for (const kes_test::json& t : out["steps"][0]["outputs"].arr) {
            if (t["name"].str == "GoodnessOfFit") has_tests = true;
            if (t["name"].str != "ParameterEstimates") continue;
            for (const kes_test::json& row : t["rows"].arr)
              if (row["Parameter"].str == "Shape") fitted = row["Estimate"].cell();
          }
          if (std::isnan(fitted)) continue;  // not fitted: no tests to speak of
          SCOPED_TRACE(program + csv.str() + log);
          const std::string head = std::string("No goodness-of-fit tests are computed for the ") + f.word + " curve of x";
          const std::size_t at = log.find(head);
          const std::string note = at == std::string::npos ? "" : log.substr(at, log.find('\n', at) - at);
          if (fitted > f.lo && fitted < f.hi) {
            ++tested;
            EXPECT_TRUE(has_tests || n < 10) << fitted;
            EXPECT_EQ(note.find("range of the tables"), std::string::npos) << note;
            continue;
          }
          EXPECT_FALSE(has_tests) << fitted;
          const bool low = fitted <= f.lo;
          ++(low ? below : above);
          char want[256];
          std::snprintf(want, sizeof want,
                        "%s: its fitted shape %s = %.4g lies %s the range of the tables of critical values, which "
                        "hold %s %s %.15g.",
                        head.c_str(), f.symbol, fitted, low ? "below" : "above", f.symbol, low ? "above" : "below",
                        low ? f.lo : f.hi);
          EXPECT_EQ(note, want);
        }
      }
  }
  // Both sides and the range itself are met.
  EXPECT_GT(below, 5);
  EXPECT_GE(above, 1);
  EXPECT_GT(tested, 5);
}

// A beta fit the tables hold no critical values for (threshold or scale estimated, or
// one shape given and the other estimated) says why it has no tests, in every
// documented spelling; one with every parameter given is tested, and says nothing.
TEST(UntestedReason, TheBetaNoteSaysWhichFitsTheTablesHold) {
  kes_test::scratch_dir dir("untestedbeta");
  // Beta(2, 2) quantiles at (i - 0.5) / 40 on [0.2, 0.8], by bisection of 3x^2 - 2x^3.
  std::ostringstream csv;
  csv << "x\n";
  for (int i = 1; i <= 40; ++i) {
    double lo = 0, hi = 1;
    for (int k = 0; k < 60; ++k) {
      const double m = (lo + hi) / 2;
      (3 * m * m - 2 * m * m * m < (i - 0.5) / 40 ? lo : hi) = m;
    }
    csv << 0.2 + 0.6 * lo << "\n";
  }
  std::ofstream(dir.path() / "d.csv") << csv.str();
  const std::string head = "NOTE: No goodness-of-fit tests are computed for the Beta curve of x";
  const std::string ends = head +
                           ": it estimates its threshold or scale (THETA=EST or SIGMA=EST), and the tables of critical "
                           "values hold beta fits whose THETA= and SIGMA= are both given only.";
  const std::string shape = head +
                            ": it gives one shape and estimates the other, and the tables of critical values hold "
                            "beta fits whose ALPHA= and BETA= are both given or both estimated only.";
  const struct {
    const char* options;
    const std::string* note;  // null: tested, no note
  } cases[] = {
      {"theta=est", &ends},
      {"threshold=est", &ends},
      {"theta=0 sigma=est", &ends},
      {"THETA=0\n SCALE = EST", &ends},
      {"theta=est sigma=est alpha=2 beta=2", &ends},
      {"theta=0 sigma=1 alpha=2", &shape},
      {"theta=0 sigma=1 a=est b=2", &shape},
      {"theta=0 sigma=1 shape2=2.5", &shape},
      {"theta=0 sigma=1 alpha=2 beta=2", nullptr},
      {"theta=0.2 sigma=0.6", nullptr},
  };
  for (const auto& c : cases) {
    const std::string program =
        std::string("proc kestravine data=d; var x; histogram x / noplot beta(") + c.options + ");\nrun;\n";
    std::ofstream(dir.path() / "p.kes") << program;
    const std::string cmd = "cd '" + dir.path().string() + "' && '" + kes_test::built("kestravine") +
                            "' --work . --listing lst --log log p.kes >/dev/null 2>&1";
    const int raw = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << program;
    const std::string log = kes_test::slurp(dir.path() / "log");
    const std::string lst = kes_test::slurp(dir.path() / "lst");
    SCOPED_TRACE(program + log);
    EXPECT_NE(lst.find("Parameters for Beta Distribution"), std::string::npos);
    const std::size_t at = log.find(head);
    const std::string note = at == std::string::npos ? "" : log.substr(at, log.find('\n', at) - at);
    EXPECT_EQ(note, c.note != nullptr ? *c.note : "");
    EXPECT_EQ(lst.find("Goodness-of-Fit Tests for Beta") != std::string::npos, c.note == nullptr);
  }
}

// Runs program in dir on d.csv; the log, and the JSON output in out.
std::string run_json(const kes_test::scratch_dir& dir, const std::string& program, kes_test::json* out) {
  std::ofstream(dir.path() / "p.kes") << program;
  const std::string cmd = "cd '" + dir.path().string() + "' && '" + kes_test::built("kestravine") +
                          "' --work . --listing lst --log log --json out.json p.kes >/dev/null 2>&1";
  const int raw = std::system(cmd.c_str());
  EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << program;
  EXPECT_TRUE(kes_test::parse_json(kes_test::slurp(dir.path() / "out.json"), *out));
  return kes_test::slurp(dir.path() / "log");
}

// The log's lines that begin with head.
std::vector<std::string> notes(const std::string& log, const std::string& head) {
  std::vector<std::string> found;
  for (std::size_t at = log.find(head); at != std::string::npos; at = log.find(head, at + 1))
    found.push_back(log.substr(at, log.find('\n', at) - at));
  return found;
}

// Beta(a, b) samples of whole shapes (a gamma variate of whole shape k is the sum of k
// exponential ones), rounded to 6 decimals, fitted with both shapes estimated: where
// a fitted shape is 5 or more the note names it (or both) and the bound; below, the
// tests are there and no such note.
TEST(UntestedReason, TheBetaNoteNamesAFittedShapeAboveTheTables) {
  kes_test::scratch_dir dir("untestedbetashape");
  std::mt19937_64 gen(5150);
  auto gamma = [&](int k) {
    double v = 0;
    for (int i = 0; i < k; ++i) v -= std::log(uniform(gen));
    return v;
  };
  const std::string head = "No goodness-of-fit tests are computed for the Beta curve of x";
  int one = 0, both = 0, tested = 0;
  for (const auto& [a, b] : std::vector<std::pair<int, int>>{{6, 2}, {2, 7}, {4, 4}, {5, 5}, {9, 12}, {3, 2}})
    for (int rep = 0; rep < 3; ++rep) {
      std::ostringstream csv;
      csv << "x\n";
      for (int i = 0; i < 80; ++i) {
        const double g = gamma(a);
        csv << std::round(g / (g + gamma(b)) * 1e6) / 1e6 << "\n";
      }
      std::ofstream(dir.path() / "d.csv") << csv.str();
      kes_test::json out;
      const std::string log =
          run_json(dir, "proc kestravine data=d noprint; var x; histogram x / noplot beta;\nrun;\n", &out);
      double alpha = NAN, beta = NAN;
      bool has_tests = false;
      for (const kes_test::json& t : out["steps"][0]["outputs"].arr) {
        if (t["name"].str == "GoodnessOfFit") has_tests = true;
        if (t["name"].str != "ParameterEstimates") continue;
        for (const kes_test::json& row : t["rows"].arr) {
          if (row["Symbol"].str == "Alpha") alpha = row["Estimate"].cell();
          if (row["Symbol"].str == "Beta") beta = row["Estimate"].cell();
        }
      }
      if (std::isnan(alpha) || std::isnan(beta)) continue;
      SCOPED_TRACE(log);
      const std::vector<std::string> found = notes(log, head);
      if (alpha < 5 && beta < 5) {
        ++tested;
        EXPECT_TRUE(has_tests) << alpha << " " << beta;
        EXPECT_TRUE(found.empty());
        continue;
      }
      EXPECT_FALSE(has_tests) << alpha << " " << beta;
      char want[320];
      if (alpha >= 5 && beta >= 5) {
        ++both;
        std::snprintf(want, sizeof want,
                      "%s: its fitted shapes alpha = %.4g and beta = %.4g lie above the range of the tables of "
                      "critical values, which hold shapes below 5.",
                      head.c_str(), alpha, beta);
      } else {
        ++one;
        const char* symbol = alpha >= 5 ? "alpha" : "beta";
        std::snprintf(want, sizeof want,
                      "%s: its fitted shape %s = %.4g lies above the range of the tables of critical values, which "
                      "hold %s below 5.",
                      head.c_str(), symbol, alpha >= 5 ? alpha : beta, symbol);
      }
      ASSERT_EQ(found.size(), 1u);
      EXPECT_EQ(found[0], want);
    }
  EXPECT_GE(one, 3);
  EXPECT_GE(both, 2);
  EXPECT_GE(tested, 3);
}

// R's islands (areas of 48 land masses, 12 to 16988 thousand square miles) with the
// threshold 0: R's MASS::fitdistr gamma gives shape 0.2623 (rate 5.493e-5), below the
// tables' range.
TEST(UntestedReason, RsIslandsNameTheirGammaShapeBelowTheTables) {
  kes_test::scratch_dir dir("untestedislands");
  const int islands[] = {11506, 5500, 16988, 2968, 16,  184, 23, 280, 84,  73,  25, 43,  21, 82, 3745, 840,
                         13,    30,   30,    89,   40,  33,  49, 14,  42,  227, 16, 36,  29, 15, 306,  44,
                         58,    43,   9390,  32,   13,  29,  6795, 16, 15, 183, 14, 26, 19, 13, 12,   82};
  std::ostringstream csv;
  csv << "area\n";
  for (int a : islands) csv << a << "\n";
  std::ofstream(dir.path() / "d.csv") << csv.str();
  kes_test::json out;
  const std::string log =
      run_json(dir, "proc kestravine data=d noprint; var area; histogram area / noplot gamma;\nrun;\n", &out);
  EXPECT_NE(log.find("No goodness-of-fit tests are computed for the Gamma curve of area: its fitted shape alpha = 0.2623 "
                     "lies below the range of the tables of critical values, which hold alpha above 1."),
            std::string::npos)
      << log;
  for (const kes_test::json& t : out["steps"][0]["outputs"].arr) EXPECT_NE(t["name"].str, "GoodnessOfFit");
}

// Several beta curves of one request: each note names its curve by the number of its
// tables' title ("Fitted Beta Distribution 2"), in the order of the lists, in every
// spelling of the lists; one curve alone is named without a number.
TEST(UntestedReason, NotesOfSeveralCurvesNameEachByItsNumber) {
  kes_test::scratch_dir dir("untestedseveral");
  std::mt19937_64 gen(2);
  std::ostringstream csv;
  csv << "x\n";
  for (int i = 0; i < 60; ++i) {  // Beta(8, 2): a fitted alpha above 5
    double g = 0, h = 0;
    for (int k = 0; k < 8; ++k) g -= std::log(uniform(gen));
    for (int k = 0; k < 2; ++k) h -= std::log(uniform(gen));
    csv << std::round(g / (g + h) * 1e6) / 1e6 << "\n";
  }
  std::ofstream(dir.path() / "d.csv") << csv.str();
  const std::string shape = "curve of x: its fitted shape alpha = ";
  const std::string ends = "curve of x: it estimates its threshold or scale";
  const std::string one = "curve of x: it gives one shape and estimates the other";
  const struct {
    const char* options;
    std::vector<std::string> want;  // each note after "... for the "
  } cases[] = {
      {"beta(theta=0 sigma=1 est)", {"Beta 1 " + shape, "Beta 2 " + ends}},
      {"BETA(SIGMA=EST 1 THETA=0)", {"Beta 1 " + ends, "Beta 2 " + shape}},
      {"beta(theta=0 sigma=1 alpha=est 2 beta=est 3)", {"Beta 1 " + shape}},
      {"beta(theta=0 sigma=1 alpha=est 2\n beta=est est)", {"Beta 1 " + shape, "Beta 2 " + one}},
      {"beta(theta=0 sigma=1)", {"Beta " + shape}},
  };
  const std::string head = "No goodness-of-fit tests are computed for the ";
  for (const auto& c : cases) {
    kes_test::json out;
    const std::string log = run_json(
        dir, std::string("proc kestravine data=d noprint; var x; histogram x / noplot ") + c.options + ";\nrun;\n", &out);
    const std::vector<std::string> found = notes(log, head);
    ASSERT_EQ(found.size(), c.want.size()) << c.options << log;
    for (std::size_t i = 0; i < found.size(); ++i)
      EXPECT_EQ(found[i].substr(head.size(), c.want[i].size()), c.want[i]) << c.options;
  }
}

}  // namespace
