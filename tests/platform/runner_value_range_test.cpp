// Statistics at the ends of the doubles, run end to end: weights of any common scale
// leave the scale-free statistics alone, data near 1e-300 or 1.7e308 give what the
// same data in ordinary range give, scaled, or a note that names what is missing;
// robust measures of scale named in an inset are computed for it; the Weibull block of
// an inset says once that its fit has no Kolmogorov-Smirnov statistic.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "runner_process.h"
#include "support/scratch_files.h"
#include "support/svg_reader.h"

namespace {

using kes_test::slurp;

class RunnerValueRange : public ::testing::Test {
 protected:
  int run(const std::string& program) {
    dir_.write("prog.kes", program);
    kes_test::runner_process p;
    p.start(dir_.path().string(), {"--work", ".", "--log", "log", "--listing", "lst", "prog.kes"},
            [] { ::alarm(120); });
    const int status = p.wait();
    log_ = slurp(dir_ / "log");
    return status;
  }
  // The first observation of OUTPUT data set o, by variable name (strtod: subnormal
  // numbers too); missing values are NaN.
  std::map<std::string, double> output_row() const {
    std::istringstream in(slurp(dir_ / "o.csv"));
    std::string head, row, name, cell;
    std::getline(in, head);
    std::getline(in, row);
    std::istringstream hs(head), rs(row);
    std::map<std::string, double> out;
    while (std::getline(hs, name, ',') && std::getline(rs, cell, ','))
      out[name] = cell == "." ? NAN : std::strtod(cell.c_str(), nullptr);
    return out;
  }
  int count(const std::string& text) const { return kes_test::occurrences(log_, text); }
  // The texts of the SVG graph 'name', in document order.
  std::vector<std::string> graph_texts(const std::string& name) const {
    std::vector<std::string> texts;
    for (const auto& e : kes_test::svg_elements(slurp(dir_ / name)))
      if (e.name == "text") texts.push_back(e.text);
    return texts;
  }

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

}  // namespace
