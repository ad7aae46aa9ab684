// Statistics at the ends of the doubles, run end to end: weights of any scale (sums
// past the largest double, subnormal and mixed-scale weights) leave the scale-free
// statistics alone, data near 1e-300 or 1.7e308 give what the
// same data in ordinary range give, scaled, or a note that names what is missing;
// robust measures of scale named in an inset are computed for it; the Weibull block of
// an inset gives D where its fit has it, and says once where it has none.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/csv_rows.h"
#include "support/runner_process.h"
#include "support/scratch_files.h"
#include "support/svg_reader.h"

namespace {

using kes_test::slurp;

class RunnerValueRange : public ::testing::Test {
 protected:
  int run(const std::string& program, const std::string& graphics = "template") {
    dir_.write("prog.kes", program);
    kes_test::runner_process p;
    p.start(dir_.path().string(),
            {"--work", ".", "--log", "log", "--listing", "lst", "--graphics", graphics, "prog.kes"},
            [] { ::alarm(120); });
    const int status = p.wait();
    log_ = slurp(dir_ / "log");
    return status;
  }
  // The first observation of OUTPUT data set o, by variable name (strtod: subnormal
  // numbers too); missing values are NaN.
  std::map<std::string, double> output_row() const {
    const std::vector<std::map<std::string, double>> rows = kes_test::csv_rows(slurp(dir_ / "o.csv"));
    return rows.empty() ? std::map<std::string, double>{} : rows.front();
  }
  int count(const std::string& text) const { return kes_test::occurrences(log_, text); }
  // The texts of the SVG graph 'name', in document order.
  std::vector<std::string> graph_texts(const std::string& name) const {
    std::vector<std::string> texts;
    for (const auto& e : kes_test::svg_elements(slurp(dir_ / name)))
      if (e.name == "text") texts.push_back(e.text);
    return texts;
  }

  // The weight-scale table under VARDEF= vardef.
  void every_weight_scale(const char* vardef);

  kes_test::scratch_dir dir_{"valuerange"};
  std::string log_;
};

bool near_rel(double a, double b, double tol) { return std::fabs(a - b) <= tol * std::fabs(b); }

constexpr const char* kNote = "that lie beyond the range of numbers";

// Eight values with distinct weight-free statistics (mean 5.15625, CSS 56.4921875 at
// weight 1); every weight equal to c.
std::string weighted_data(const char* c) {
  std::string text = "x,w\n";
  for (const char* x : {"1.5", "2.25", "3", "4.75", "5", "7.5", "8.25", "9"}) text += std::string(x) + "," + c + "\n";
  return text;
}

// A common factor c of the weights: MEAN, T, PROBT, SKEWNESS and KURTOSIS as at c = 1;
// SUMWGT, CSS and VAR c times theirs, STD and CV (100 STD/MEAN) sqrt(c) times; no
// statistic set to 0 or missing.
TEST_F(RunnerValueRange, CommonScaleOfTheWeights) {
  const char* program =
      "proc kestravine data=d noprint; var x; weight w;\n"
      " output out=o n=n sumwgt=sumwgt mean=mean std=std var=var css=css t=t probt=probt cv=cv\n"
      "   skewness=skewness kurtosis=kurtosis;\nrun;\n";
  dir_.write("d.csv", weighted_data("1"));
  ASSERT_EQ(run(program), 0) << log_;
  const std::map<std::string, double> ref = output_row();
  const struct {
    const char* text;
    double c;
  } scales[] = {{"1e-300", 1e-300}, {"1e-155", 1e-155}, {"1e-30", 1e-30}, {"0.37", 0.37},
                {"1e28", 1e28},     {"1e100", 1e100},   {"1e300", 1e300}};
  for (const auto& s : scales) {
    dir_.write("d.csv", weighted_data(s.text));
    ASSERT_EQ(run(program), 0) << s.text << log_;
    EXPECT_EQ(log_.find("set to"), std::string::npos) << s.text << log_;
    const std::map<std::string, double> got = output_row();
    for (const char* same : {"n", "mean", "t", "probt", "skewness", "kurtosis"})
      EXPECT_TRUE(near_rel(got.at(same), ref.at(same), 1e-12)) << s.text << " " << same << " " << got.at(same);
    for (const char* times_c : {"sumwgt", "css", "var"})
      EXPECT_TRUE(near_rel(got.at(times_c), s.c * ref.at(times_c), 1e-12)) << s.text << " " << times_c;
    for (const char* times_root : {"std", "cv"})
      EXPECT_TRUE(near_rel(got.at(times_root), std::sqrt(s.c) * ref.at(times_root), 1e-12)) << s.text << " " << times_root;
  }
}

// A statistic and the power of the data's scale it carries.
struct scaled_stat {
  const char* name;
  int power;
};
const scaled_stat kStats[] = {
    {"n", 0},       {"mean", 1},     {"std", 1},      {"var", 2},       {"css", 2},        {"uss", 2},
    {"sum", 1},     {"cv", 0},       {"skewness", 0}, {"kurtosis", 0},  {"stdmean", 1},    {"t", 0},
    {"probt", 0},   {"msign", 0},    {"signrank", 0}, {"probm", 0},     {"probs", 0},      {"normal", 0},
    {"probn", 0},   {"gini", 1},     {"mad", 1},      {"qn", 1},        {"sn", 1},         {"std_gini", 1},
    {"std_mad", 1}, {"std_qn", 1},   {"std_sn", 1},   {"std_qrange", 1}, {"qrange", 1},    {"range", 1},
    {"median", 1},  {"q1", 1},       {"q3", 1},       {"min", 1},       {"max", 1},
};

std::string stats_program() {
  std::string p = "proc kestravine data=e noprint normal; var x;\n output out=o";
  for (const scaled_stat& s : kStats) p += std::string(" ") + s.name + "=" + s.name;
  return p + ";\nrun;\n";
}

// The same data in ordinary range and times a factor near either end of the doubles:
// each statistic is the ordinary one times the factor to its power, or, where that
// lies beyond the doubles, missing and named in the one note of the variable.
TEST_F(RunnerValueRange, DataNearTheEndsOfTheDoubles) {
  const struct {
    const char* what;
    std::vector<double> values;
    double factor;
  } sets[] = {
      {"1e-300 scale", {1.5, 2.25, 3, 4.75, 5, 7.5, 8.25, 9.5}, 1e-300},
      {"3e-305 scale, negative", {-4, -2.5, -1, -0.75, 0.5, 3, 6.25, 7}, 3e-305},
      {"+-1.7e308", {-1.7, -1, -0.5, 0.25, 1, 1.5, 1.7, 1.2}, 1e308},
      {"near the largest double", {1.1, 1.2, 1.3, 1.55, 1.7, 1.75}, 1e308},
  };
  for (const auto& set : sets) {
    std::map<std::string, double> ref, got;
    for (double f : {1.0, set.factor}) {
      std::ostringstream text;
      text.precision(17);
      text << "x\n";
      for (double v : set.values) text << v * f << "\n";
      dir_.write("e.csv", text.str());
      ASSERT_LT(run(stats_program()), 2) << set.what << log_;
      (f == 1.0 ? ref : got) = output_row();
      if (f == 1.0) {
        ASSERT_EQ(log_.find(kNote), std::string::npos) << log_;
      }
    }
    ASSERT_LE(count(kNote), 1) << set.what << log_;
    const size_t at = log_.find(kNote);
    const std::string note = at == std::string::npos ? "" : log_.substr(at, log_.find('\n', at) - at);
    for (const scaled_stat& s : kStats) {
      // Whether the scaled value is a double is judged on logarithms: the test's own
      // product would underflow or overflow.
      const double r = ref.at(s.name);
      const double lw = std::log(std::fabs(r)) + s.power * std::log(set.factor);
      const bool beyond = r != 0.0 && (lw > std::log(DBL_MAX) || lw < std::log(DBL_MIN));
      const double want = beyond ? NAN : r * std::pow(set.factor, s.power);
      const double have = got.at(s.name);
      std::string upper = s.name;
      for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
      const bool named = note.find(" " + upper + ",") != std::string::npos ||
                         note.find(" " + upper + ".") != std::string::npos ||
                         note.find(" " + upper + " and") != std::string::npos;
      if (beyond) {
        EXPECT_TRUE(std::isnan(have)) << set.what << " " << s.name << " " << have;
        EXPECT_TRUE(named) << set.what << " " << s.name << " " << note;
      } else {
        EXPECT_TRUE(near_rel(have, want, 1e-12)) << set.what << " " << s.name << " " << have << " vs " << want;
        EXPECT_FALSE(named) << set.what << " " << s.name << " " << note;
      }
    }
  }
}

// The sign test, the signed rank test and MAD read signs, the order of |x - mu0| and
// a median of distances: every value counts, however far below the largest, and the
// data times 2^k give the same M and S and MAD times 2^k. The expected values are
// counted here from the values themselves (an odd count, so the medians are values).
struct order_stats {
  double m, s, mad;
};

order_stats expected_order_stats(std::vector<double> x, double mu0) {
  std::sort(x.begin(), x.end());
  const double med = x[x.size() / 2];
  std::vector<double> dist, away;
  for (double v : x) {
    dist.push_back(std::fabs(v - med));
    if (v != mu0) away.push_back(v);
  }
  std::sort(dist.begin(), dist.end());
  std::sort(away.begin(), away.end(), [mu0](double a, double b) { return std::fabs(a - mu0) < std::fabs(b - mu0); });
  double above = 0, splus = 0;
  for (std::size_t i = 0; i < away.size(); ++i)
    if (away[i] > mu0) {
      ++above;
      splus += static_cast<double>(i + 1);  // the generated magnitudes have no ties
    }
  const double n = static_cast<double>(away.size());
  return {above - n / 2, splus - n * (n + 1) / 4, dist[dist.size() / 2]};
}

TEST_F(RunnerValueRange, SignsRanksAndMadCountEveryValueAtAnyScale) {
  struct data_set {
    std::string what;
    std::vector<double> x;
    double mu0;
  };
  // By hand: five of nine values positive (M 0.5); the positives take ranks 1-4 and 6
  // of |x| (S 16 - 22.5); MAD the fifth distance from the median 2.06e-245.
  std::vector<data_set> sets = {
      {"hand", {3.0547154005315957e-234, -7.0956708990362655e+139, 2.5974589836177824e-221, -1.1680302946416451e-87,
                -4.0671971148499553e-12, -1.8566399892729358e-50, 2.5252320722641761e-190, 5.3644374015876651e-80,
                2.0601361589153298e-245},
       0},
  };
  std::uint64_t r = 88172645463325252ull;
  auto next = [&r] {
    r ^= r << 13, r ^= r >> 7, r ^= r << 17;
    return static_cast<double>(r >> 11) * 0x1p-53;
  };
  for (int g = 0; g < 24; ++g) {
    data_set d{"generated " + std::to_string(g), {}, g % 3 == 0 ? 1e-200 : 0.0};
    const int n = 5 + 2 * (g % 6);
    const double span = g % 2 ? 600 : 300;  // decades from the largest down
    for (int i = 0; i < n; ++i) {
      const double mag = std::pow(10.0, 300 - span * next());
      d.x.push_back(next() < 0.5 ? -mag : mag);
    }
    sets.push_back(d);
  }
  for (const data_set& d : sets) {
    const order_stats want = expected_order_stats(d.x, d.mu0);
    if (d.what == "hand") {
      EXPECT_EQ(want.m, 0.5);
      EXPECT_EQ(want.s, -6.5);
      EXPECT_EQ(want.mad, 1.1680302946416451e-87);
    }
    for (int k : {0, -71, 40}) {
      std::ostringstream text;
      text.precision(17);
      text << "x\n";
      bool exact = true;  // no value leaves the normal doubles at this scale
      for (double v : d.x) {
        const double scaled = std::ldexp(v, k);
        exact = exact && std::isnormal(scaled);
        text << scaled << "\n";
      }
      if (!exact) continue;
      dir_.write("e.csv", text.str());
      std::ostringstream prog;
      prog.precision(17);
      prog << "proc kestravine data=e noprint mu0=" << std::ldexp(d.mu0, k)
           << "; var x;\n output out=o msign=m signrank=s mad=mad;\nrun;\n";
      ASSERT_LT(run(prog.str()), 2) << d.what << log_;
      const std::map<std::string, double> got = output_row();
      EXPECT_EQ(got.at("m"), want.m) << d.what << " k=" << k;
      EXPECT_EQ(got.at("s"), want.s) << d.what << " k=" << k;
      EXPECT_EQ(got.at("mad"), std::ldexp(want.mad, k)) << d.what << " k=" << k;
    }
  }
}

// 40 values of a skewed variable: a histogram with a Weibull curve and an inset.
std::string weibull_data() {
  std::string text = "x\n";
  for (int i = 1; i <= 40; ++i) text += std::to_string(0.15 + 0.09 * i + 0.002 * i * i * (i % 3)) + "\n";
  return text;
}

// The values an inset shows after each of the labels, in the graph's text order.
std::map<std::string, std::string> inset_values(const std::vector<std::string>& texts,
                                                const std::vector<std::string>& labels) {
  std::map<std::string, std::string> out;
  for (size_t i = 0; i + 1 < texts.size(); ++i)
    for (const std::string& l : labels)
      if (texts[i] == l) out[l] = texts[i + 1];
  return out;
}

// Robust measures of scale named in an inset, with no OUTPUT statement or ROBUSTSCALE
// (and with an OUTPUT statement asking GINI= only), show the values ROBUSTSCALE gives.
TEST_F(RunnerValueRange, InsetRobustScaleIsComputedForTheInset) {
  dir_.write("wb.csv", weibull_data());
  const std::vector<std::string> labels = {"Gini's Mean Difference", "MAD", "Qn", "Sn", "Std Dev from MAD"};
  const std::string inset = "histogram x; inset gini mad qn sn std_mad;\nrun;\n";
  ASSERT_EQ(run("proc kestravine data=wb noprint robustscale; var x;\n" + inset), 0) << log_;
  const auto want = inset_values(graph_texts("Histogram1.svg"), labels);
  ASSERT_EQ(want.size(), labels.size());
  for (const auto& [label, value] : want) EXPECT_NE(value, ".") << label;
  for (const char* extra : {"", "output out=o gini=g;\n"}) {
    ASSERT_EQ(run(std::string("proc kestravine data=wb noprint; var x;\n") + extra + inset), 0) << log_;
    EXPECT_EQ(inset_values(graph_texts("Histogram1.svg"), labels), want) << extra;
  }
}

// KSD and KSDPVAL of a Weibull block give no rows, with one note for each variable (as
// the inset's other notes); the block's other rows, and the normal block's D, stay.
TEST_F(RunnerValueRange, WeibullBlockHasNoKolmogorovSmirnovRows) {
  std::string text = "x,y\n";
  std::istringstream in(weibull_data());
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) text += line + "," + line + "0\n";
  dir_.write("wb.csv", text);
  ASSERT_EQ(run("proc kestravine data=wb noprint; var x y;\n"
                " histogram x y / weibull(theta=0) normal;\n"
                " inset weibull(ksd ksdpval ad adpval) normal(ksd);\nrun;\n"),
            0)
      << log_;
  EXPECT_EQ(count("The WEIBULL block of an inset has no KSD or KSDPVAL"), 2) << log_;
  for (const char* graph : {"Histogram1.svg", "Histogram2.svg"}) {
    const std::vector<std::string> texts = graph_texts(graph);
    const auto v = inset_values(texts, {"Weibull", "A-Sq", "D", "Pr > D"});
    EXPECT_EQ(v.count("A-Sq"), 1u) << graph;
    // The D row follows the normal block's header, not the Weibull one.
    EXPECT_EQ(v.count("D"), 1u) << graph;
    EXPECT_NE(v.count("Weibull") ? v.at("Weibull") : "", "D") << graph;
    EXPECT_EQ(v.count("Pr > D"), 0u) << graph;
  }
}

// A Weibull fit whose goodness-of-fit table shows D (threshold estimated, shape within
// the tables) gives its KSD and KSDPVAL rows, the same D as the table, with no note;
// with the threshold given the table has no D, and the note stays.
TEST_F(RunnerValueRange, WeibullBlockShowsDWhereTheFitHasIt) {
  // Weibull quantiles: threshold 2, scale 3, shape 3.2, at (i - 0.5) / 30.
  std::string text = "x\n";
  for (int i = 1; i <= 30; ++i)
    text += std::to_string(2.0 + 3.0 * std::pow(-std::log(1.0 - (i - 0.5) / 30.0), 1.0 / 3.2)) + "\n";
  dir_.write("wb.csv", text);
  for (const auto& [graphics, file] : {std::pair{"template", "Histogram1.svg"}, std::pair{"device", "KESTRA.svg"}}) {
    ASSERT_EQ(run("proc kestravine data=wb; var x;\n histogram x / weibull(theta=est);\n"
                  " inset weibull(ksd ksdpval);\nrun;\n",
                  graphics),
              0)
        << log_;
    EXPECT_EQ(count("no KSD or KSDPVAL"), 0) << graphics << log_;
    const auto v = inset_values(graph_texts(file), {"D", "Pr > D"});
    ASSERT_EQ(v.count("D"), 1u) << graphics;
    EXPECT_NE(slurp(dir_ / "lst").find("Kolmogorov-Smirnov  D     " + v.at("D")), std::string::npos) << graphics;
    EXPECT_EQ(v.count("Pr > D") ? v.at("Pr > D") : "", ">0.5000") << graphics;
    ASSERT_EQ(run("proc kestravine data=wb noprint; var x;\n histogram x / weibull(theta=1);\n"
                  " inset weibull(ksd ksdpval);\nrun;\n",
                  graphics),
              0)
        << log_;
    EXPECT_EQ(count("NOTE: The WEIBULL block of an inset has no KSD or KSDPVAL for this fit: its goodness-of-fit "
                    "tests have no Kolmogorov-Smirnov statistic; they are left out."),
              1)
        << graphics << log_;
  }
}

// ---- Weights at every scale ---------------------------------------------------------

// A weighted data set: values with their weights (as they stand at weight scale 1).
struct weighted_set {
  std::string what;
  std::vector<std::string> x;
  std::vector<double> w;
};

// Columns xcol and wcol of an example data set (no quoted cells).
weighted_set example_set(const std::string& file, int xcol, int wcol) {
  std::istringstream in(slurp(std::filesystem::path(KES_SOURCE_DIR) / "examples" / file));
  weighted_set s{file, {}, {}};
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    const std::vector<std::string> cells = kes_test::csv_fields(line);
    s.x.push_back(cells.at(xcol));
    s.w.push_back(std::strtod(cells.at(wcol).c_str(), nullptr));
  }
  return s;
}

weighted_set plain_set(const std::string& what, const std::vector<double>& x, const std::vector<double>& w) {
  weighted_set s{what, {}, w};
  for (double v : x) {
    std::ostringstream t;
    t.precision(17);
    t << v;
    s.x.push_back(t.str());
  }
  return s;
}

// Every statistic of the OUTPUT data set that a weighted step gives, with the powers of
// the values' scale (pv) and of the weights' scale (ph/2) it carries under VARDEF=DF.
struct weighted_stat {
  const char* name;
  int pv, ph;
};
const weighted_stat kWeightedStats[] = {
    {"n", 0, 0},      {"sumwgt", 0, 2}, {"mean", 1, 0},     {"std", 1, 1},      {"var", 2, 2},    {"css", 2, 2},
    {"uss", 2, 2},    {"sum", 1, 2},    {"cv", 0, 1},       {"skewness", 0, 0}, {"kurtosis", 0, 0},
    {"stdmean", 1, 0}, {"t", 0, 0},     {"probt", 0, 0},    {"min", 1, 0},      {"max", 1, 0},    {"range", 1, 0},
    {"p1", 1, 0},     {"p5", 1, 0},     {"p10", 1, 0},      {"q1", 1, 0},       {"median", 1, 0}, {"q3", 1, 0},
    {"p90", 1, 0},    {"p95", 1, 0},    {"p99", 1, 0},      {"qrange", 1, 0},   {"mad", 1, 0},    {"std_qrange", 1, 0},
    {"mode", 1, 0},
};

std::string weighted_program(const char* vardef = "DF") {
  std::string p = std::string("proc kestravine data=ws noprint vardef=") + vardef + "; var x; weight w;\n output out=o";
  for (const weighted_stat& s : kWeightedStats) p += std::string(" ") + s.name + "=" + s.name;
  return p + ";\nrun;\n";
}

// The set with every value times 2^vexp and every weight times c.
std::string weighted_csv(const weighted_set& s, int vexp, double c) {
  std::ostringstream t;
  t.precision(17);
  t << "x,w\n";
  for (size_t i = 0; i < s.x.size(); ++i) t << std::ldexp(std::strtod(s.x[i].c_str(), nullptr), vexp) << "," << s.w[i] * c << "\n";
  return t.str();
}

// The weight-scale table: the same data with every weight times c (2^-1074 only where
// the weights are whole numbers, which it multiplies exactly; 1e308 where the weights
// stay doubles), and for two of them with every value times 2^-1000 (weights 1e300) or
// 2^1000 (weights 1e-300). Each statistic is the weight-1 run's times the two scales to
// its powers or, where that lies beyond the doubles, missing and named in the one note
// of the variable; nothing is dropped or set to 0. Under each divisor: VARDEF=N scales
// as DF; under VARDEF=WDF the divisor SUMWGT - 1 subtracts a weight of 1, not a unit
// of the weights, so VAR is the row's CSS / (SUMWGT - 1) (STD and CV from it).
TEST_F(RunnerValueRange, EveryWeightScaleGivesTheStatisticsOfTheWeightOneRun) {
  for (const char* vardef : {"DF", "N", "WDF"}) every_weight_scale(vardef);
}

void RunnerValueRange::every_weight_scale(const char* vardef) {
  const bool wdf = std::string(vardef) == "WDF";
  std::vector<double> ones(10, 1.0), twenty(20, 1.0);
  std::vector<double> x10, x20;
  for (int i = 1; i <= 10; ++i) x10.push_back(i);
  for (int i = 0; i < 20; ++i) x20.push_back(3.0 + 0.37 * i + (i % 4 == 0 ? 0.11 * i * i : 0.0));
  const weighted_set sets[] = {
      plain_set("twenty values", x20, twenty),
      plain_set("ties and an outlier", {2, 2, 2, 3, 3, 5, 5, 5, 5, 40}, {1, 2, 1, 3, 1, 1, 2, 2, 1, 1}),
      plain_set("1..10", x10, ones),
      plain_set("one value", {7.25}, {3}),
      plain_set("close values", {1, 1.1, 1.2}, {1, 1, 1}),
      example_set("lp_scores.csv", 0, 2),
      example_set("fitdata.csv", 0, 3),
  };
  // Percentiles at scales whose sums round (3.93e10, 1e22) are the unit tests' own.
  const struct {
    const char* what;
    double c;
    int vexp;
  } scales[] = {
      {"2^-1074", std::ldexp(1.0, -1074), 0}, {"1e-300", 1e-300, 0}, {"1e-151", 1e-151, 0},
      {"1e300", 1e300, 0},                    {"4e307", 4e307, 0},   {"1e308", 1e308, 0},
      {"2^1000", std::ldexp(1.0, 1000), 0},   {"values 2^-1000, 1e300", 1e300, -1000},
      {"values 2^1000, 1e-300", 1e-300, 1000},
  };
  for (const weighted_set& set : sets) {
    // Values near the ends of the doubles for the first two sets (the data sets' own
    // test above takes them further).
    const bool with_values = &set - sets < 2;
    dir_.write("ws.csv", weighted_csv(set, 0, 1.0));
    ASSERT_EQ(run(weighted_program(vardef)), 0) << set.what << log_;
    ASSERT_EQ(log_.find(kNote), std::string::npos) << set.what << log_;
    const std::map<std::string, double> ref = output_row();
    const bool whole = std::all_of(set.w.begin(), set.w.end(), [](double w) { return w == std::floor(w); });
    for (const auto& sc : scales) {
      if ((sc.vexp != 0 && !with_values) || (sc.c < DBL_MIN && !whole) ||
          !std::all_of(set.w.begin(), set.w.end(), [&](double w) { return std::isfinite(w * sc.c); }))
        continue;
      const std::string what = set.what + " at " + sc.what + " under " + vardef;
      dir_.write("ws.csv", weighted_csv(set, sc.vexp, sc.c));
      ASSERT_LT(run(weighted_program(vardef)), 2) << what << log_;
      // Only squares of values near 2^1000 overflow in the data pass.
      EXPECT_EQ(count("overflow"), sc.vexp > 0 ? 1 : 0) << what << log_;
      EXPECT_EQ(count("set to"), 0) << what << log_;
      ASSERT_LE(count(kNote), 1) << what << log_;
      const size_t at = log_.find(kNote);
      const std::string note = at == std::string::npos ? "" : log_.substr(at, log_.find('\n', at) - at);
      const std::map<std::string, double> got = output_row();
      if (wdf && !std::isnan(got.at("var")) && !std::isnan(got.at("css")) && !std::isnan(got.at("sumwgt"))) {
        const double var = got.at("css") / (got.at("sumwgt") - 1);
        EXPECT_LE(std::fabs(got.at("var") - var), 1e-12 * var) << what;
        EXPECT_LE(std::fabs(got.at("std") - std::sqrt(var)), 1e-12 * std::sqrt(var)) << what;
      }
      for (const weighted_stat& s : kWeightedStats) {
        // Under WDF the spread is checked against the row's own CSS and SUMWGT above.
        if (wdf && (s.name == std::string("var") || s.name == std::string("std") || s.name == std::string("cv")))
          continue;
        const double r = ref.at(s.name), have = got.at(s.name);
        // On logarithms: the test's own product may leave the doubles.
        const double lw = std::log(std::fabs(r)) + s.pv * sc.vexp * std::log(2.0) + s.ph / 2.0 * std::log(sc.c);
        const bool beyond = !std::isnan(r) && r != 0.0 && (lw > std::log(DBL_MAX) || lw < std::log(DBL_TRUE_MIN));
        std::string upper = s.name;
        for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        const bool named = note.find(" " + upper + ",") != std::string::npos ||
                           note.find(" " + upper + ".") != std::string::npos ||
                           note.find(" " + upper + " and") != std::string::npos;
        EXPECT_EQ(named, beyond) << what << " " << s.name << " " << note;
        if (beyond || std::isnan(r)) {
          EXPECT_TRUE(std::isnan(have)) << what << " " << s.name << " " << have;
          continue;
        }
        const double want = std::ldexp(r * std::pow(sc.c, s.ph / 2.0), s.pv * sc.vexp);
        // Results among the subnormal numbers are as exact as their spacing.
        EXPECT_LE(std::fabs(have - want), 1e-12 * std::fabs(want) + 4 * DBL_TRUE_MIN)
            << what << " " << s.name << " " << have << " for " << want;
      }
    }
  }
}

// Weights of mixed scale in one variable: the statistics are those of the weights as
// numbers, the smallest adding what they add to a double. References: mpmath at 60
// digits (x = 1..10 with the weights below, VARDEF=DF, weighted skewness and kurtosis
// from sum c^1.5 z^3 and sum c^2 z^4).
TEST_F(RunnerValueRange, WeightsOfMixedScaleCountAsNumbers) {
  const struct {
    const char* what;
    const char* w[3];  // weights of x = 1..10 in turn (x mod 3 picks; two-way when the third is null)
    double mean, std, skewness, kurtosis, t, median;
  } cases[] = {
      {"1 and 1e200", {"1e200", "1", nullptr}, 6, 2.1081851067789196e+100, 0, 1.6714285714285714, 6.3639610306789277, 6},
      {"1e-160 and 1", {"1", "1e-160", nullptr}, 6, 2.1081851067789196, 0, 1.6714285714285714, 6.3639610306789277, 6},
      {"1e-300, 1 and 1e300", {"1e-300", "1", "1e300"}, 5, 1.414213562373095e+150, 0, 4.5, 6.1237243569579452, 5},
  };
  for (const auto& c : cases) {
    std::string text = "x,w\n";
    for (int i = 1; i <= 10; ++i) text += std::to_string(i) + "," + (c.w[2] ? c.w[i % 3] : c.w[i % 2]) + "\n";
    dir_.write("ws.csv", text);
    ASSERT_EQ(run("proc kestravine data=ws noprint; var x; weight w;\n output out=o mean=mean std=std "
                  "skewness=skewness kurtosis=kurtosis t=t median=median;\nrun;\n"),
              0)
        << c.what << log_;
    EXPECT_EQ(count(kNote), 0) << c.what << log_;
    EXPECT_EQ(count("overflow"), 0) << c.what << log_;
    const std::map<std::string, double> got = output_row();
    const std::pair<const char*, double> want[] = {{"mean", c.mean},         {"std", c.std}, {"skewness", c.skewness},
                                                   {"kurtosis", c.kurtosis}, {"t", c.t},     {"median", c.median}};
    for (const auto& [name, v] : want)
      EXPECT_LE(std::fabs(got.at(name) - v), 1e-12 * (1 + std::fabs(v))) << c.what << " " << name << " " << got.at(name);
  }
}

// The warning that weighted sums overflow comes with a WEIGHT variable whose sums did
// overflow in the data pass, never without one (the sums are then plain), nor for
// weights whose sums the pass keeps in its own unit. Values 1e300 x (1..9, 30): skewness
// 2.6076301245201... and kurtosis 7.5039628393090... at every weight (as at 1e0 x).
TEST_F(RunnerValueRange, OverflowWarningOnlyWhereAWeightedSumOverflowed) {
  std::string big = "x,w\n", heavy = "x,w\n";
  for (int v : {1, 2, 3, 4, 5, 6, 7, 8, 9, 30}) big += std::to_string(v) + "e300,1\n";
  for (int v = 1; v <= 10; ++v) heavy += std::to_string(v) + ",1e308\n";
  const struct {
    const char* what;
    const std::string* data;
    const char* weight;
    int warnings;
  } cases[] = {
      {"values near 1e300 without WEIGHT", &big, "", 0},
      {"values near 1e300 with weights 1", &big, "weight w;", 1},
      {"weights of 1e308", &heavy, "weight w;", 0},
  };
  for (const auto& c : cases) {
    dir_.write("ws.csv", *c.data);
    ASSERT_EQ(run(std::string("proc kestravine data=ws noprint; var x; ") + c.weight +
                  "\n output out=o skewness=skewness kurtosis=kurtosis;\nrun;\n"),
              0)
        << c.what << log_;
    EXPECT_EQ(count("overflow"), c.warnings) << c.what << log_;
    const std::map<std::string, double> got = output_row();
    if (c.data == &big) {
      EXPECT_NEAR(got.at("skewness"), 2.6076301245201, 1e-12) << c.what;
      EXPECT_NEAR(got.at("kurtosis"), 7.5039628393090, 1e-12) << c.what;
    }
  }
}

// Without WEIGHT, FREQ f counts f observations: the spread, shape and t of x = 1, 2, 3,
// 7 at FREQ 8 are those of eight copies of each (the sums keep no unit of their own).
TEST_F(RunnerValueRange, FrequencyWithoutWeightCountsCopies) {
  const char* program =
      "proc kestravine data=fq noprint; var x; %s\n output out=o std=std skewness=skewness kurtosis=kurtosis t=t;\nrun;\n";
  std::map<std::string, double> rows[2];
  for (int copies : {0, 1}) {
    std::string text = copies ? "x\n" : "x,f\n";
    for (int v : {1, 2, 3, 7})
      for (int k = 0; k < (copies ? 8 : 1); ++k) text += std::to_string(v) + (copies ? "\n" : ",8\n");
    dir_.write("fq.csv", text);
    char p[256];
    std::snprintf(p, sizeof p, program, copies ? "" : "freq f;");
    ASSERT_EQ(run(p), 0) << log_;
    rows[copies] = output_row();
  }
  for (const char* s : {"std", "skewness", "kurtosis", "t"})
    EXPECT_TRUE(near_rel(rows[0].at(s), rows[1].at(s), 1e-12)) << s << " " << rows[0].at(s) << " " << rows[1].at(s);
}

// Basic confidence limits beyond the doubles (x = 1e120, -1e120, 3e119 at ALPHA=1e-80:
// the variance limits pass 1e308) are missing and named, and the step ends with 4.
TEST_F(RunnerValueRange, BasicLimitsBeyondTheDoublesAreNamed) {
  dir_.write("e.csv", "x\n1e120\n-1e120\n3e119\n");
  ASSERT_EQ(run("proc kestravine data=e noprint cibasic(alpha=1e-80); var x;\nrun;\n"), 0) << log_;
  EXPECT_EQ(count("are missing: basic confidence limits."), 1) << log_;
  EXPECT_EQ(count("ended with return code 4."), 1) << log_;
}

}  // namespace

// The line-printer plots of weighted values: drawn where the bars of weights can be
// measured, and where they cannot (weights summing below the rounding of 1, or past
// the largest double) the log says the plots are not drawn, never a silent gap.
TEST_F(RunnerValueRange, LinePrinterPlotsOfWeightsDrawnOrNoted) {
  const struct {
    const char* weight;
    int notes;
  } cases[] = {{"1", 0}, {"1e-300", 1}, {"1e308", 1}};
  for (const auto& c : cases) {
    dir_.write("lw.csv", weighted_data(c.weight));
    ASSERT_EQ(run("proc kestravine data=lw plot; var x; weight w;\nrun;\n"), 0) << c.weight << log_;
    EXPECT_EQ(count("line-printer plots of variable x are not drawn"), c.notes) << c.weight << log_;
  }
}
