// Weighted runs whose comparisons of cumulative weights are decided in doubles, where
// their error bound allows, and in exact sums elsewhere, run by the built runner:
// equal weights give the unweighted run's row bit for bit, and the percentiles of
// weights whose sums round (0.2 beside 5000 on one value, ties at W p), of survey-like
// weights far from a tie and of weights of one scale equal those found here from the
// weights as 128-bit integers, also where P50 lies on a tie inside a block of values
// the walk would pass at once. Data: R's faithful waiting (272 values, many ties) as
// it is, moved to 1.7e9 and scaled to millions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "metamorphic/meta_run.h"
#include "support/csv_rows.h"
#include "support/ref_tables.h"
#include "support/scratch_files.h"

namespace {

using i128 = __int128;

// R's faithful$waiting (272 values), as tests/fit/ref keeps it.
std::vector<double> faithful_waiting() {
  std::vector<double> v;
  for (const auto& row : kes_test::ref_rows("fit/ref/bwsj/faithful_waiting.txt")) v.push_back(std::stod(row[0]));
  return v;
}

// The percents asked for, twice over (halves of a percent only).
const std::vector<double> kPcts = {0, 0.5, 1, 2.5, 5, 10, 12.5, 20, 25, 30, 40, 50, 60, 70, 75, 80, 87.5, 90, 95, 97.5, 99, 99.5, 100};

// Weight w, a multiple of 2^-64 below 2^36, in units of 2^-64, exactly.
i128 units(double w) {
  const double u = std::ldexp(w, 64);
  EXPECT_TRUE(u == std::floor(u) && u < 0x1p100) << w;
  return static_cast<i128>(u);
}

// The weighted percentile pct of x under weights w, from exact sums: the first value
// whose cumulative weight reaches W pct / 100; exactly on it, the midpoint with the
// next value that carries weight.
double reference(const std::vector<double>& x, const std::vector<double>& w, double pct) {
  std::map<double, i128> by_value;
  i128 total = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    by_value[x[i]] += units(w[i]);
    total += units(w[i]);
  }
  const std::vector<std::pair<double, i128>> v(by_value.begin(), by_value.end());
  const i128 twice = static_cast<i128>(2 * pct);
  i128 cum = 0;
  for (std::size_t i = 0; i < v.size(); ++i) {
    cum += v[i].second;
    const i128 d = 200 * cum - twice * total;
    if (d < 0 && i + 1 < v.size()) continue;
    if (d > 0 || i + 1 == v.size()) return v[i].first;
    for (std::size_t j = i + 1; j < v.size(); ++j)
      if (v[j].second > 0) return (v[i].first + v[j].first) / 2;
    return v[i].first;
  }
  return NAN;
}

std::string csv(const std::vector<double>& x, const std::vector<double>& w) { return kes_test::weighted_csv(x, w); }

std::string pctlpts() {
  std::string s;
  for (double p : kPcts) s += " " + std::to_string(p);
  return s;
}

std::string pctlnames() {
  std::string s;
  for (std::size_t i = 0; i < kPcts.size(); ++i) s += " q" + std::to_string(i);
  return s;
}

// A step: its data set, with or without WEIGHT, writing out=o_NAME.
std::string step(const std::string& name, bool weighted, const std::string& stats) {
  return kes_meta::output_step(name, weighted, stats + " pctlpts=" + pctlpts() + " pctlpre=p pctlname=" + pctlnames());
}

struct weights_case {
  std::string name;
  std::vector<double> x, w;
};

// Four-decimal weights uniform on 0.5 to 2, as a survey's, from a fixed sequence.
std::vector<double> survey_weights(std::size_t n) {
  std::vector<double> w;
  unsigned s = 12345;
  for (std::size_t i = 0; i < n; ++i) {
    s = s * 1103515245u + 12345u;
    w.push_back((5000 + (s >> 8) % 15001) / 1e4);
  }
  return w;
}

std::vector<weights_case> cases() {
  const std::vector<double> fw = faithful_waiting();
  std::vector<double> shifted, millions;
  for (double v : fw) {
    shifted.push_back(v + 1.7e9);
    millions.push_back(v * 1e6);
  }
  const std::size_t n = fw.size();
  std::vector<double> quarters, tenths(n, 0.1), pairs;
  for (std::size_t i = 0; i < n; ++i) {
    quarters.push_back(0.25 * static_cast<double>(1 + (i * 7) % 8));
    pairs.push_back(i % 2 == 0 ? 0.2 : 5000);
  }
  // x = 1..5, each on two rows weighted 0.2 and 5000: every P20 k lies exactly on
  // the cumulative weight of k values, whose sums round.
  weights_case small{"small_pairs", {}, {}};
  for (int k = 1; k <= 5; ++k)
    for (double w : {0.2, 5000.0}) {
      small.x.push_back(k);
      small.w.push_back(w);
    }
  // A weight 2^-60 beside 1 on one value: the value's sum of weights rounds to 1, and
  // read so it would put P25 and P50 on ties.
  const weights_case lost{"lost_in_rounding", {1, 1, 2, 3, 4}, {1, 0x1p-60, 1, 1, 1}};
  // Zero weights at both ends: P0 on the step after the first value (the midpoint
  // with the first value that carries weight), P100 the last value that carries any.
  const weights_case zero_ends{"zero_ends", {1, 2, 3, 4}, {0, 1, 1, 0}};
  // x = 1..243, W = 200: weight 1 through x = 100 (10 on two rows of 0.5, a tie of
  // the view's walk), 2^-60 on 101..170, then 1 (200 on two rows of 0.5) and two
  // weights that bring W to 200 exactly. P50 lies on the cumulative weight through
  // 100 exactly, and the cumulative weight through every later value up to 170
  // rounds onto W p too: a walk by blocks of values may not pass the tie.
  weights_case inside{"tie_inside_a_block", {}, {}};
  for (int k = 1; k <= 243; ++k) {
    const double w = k <= 100 ? 1 : k <= 170 ? 0x1p-60 : k <= 241 ? 1 : k == 242 ? 29 - 0x1p-48 : 4026 * 0x1p-60;
    for (int row = 0; row < (k == 10 || k == 200 ? 2 : 1); ++row) {
      inside.x.push_back(k);
      inside.w.push_back(k == 10 || k == 200 ? 0.5 : w);
    }
  }
  std::vector<double> survey_zero = survey_weights(n);
  for (std::size_t i = 0; i < n; ++i)
    if (fw[i] == 43 || fw[i] == 96) survey_zero[i] = 0;  // every row of the smallest and largest
  return {
      small,
      lost,
      zero_ends,
      inside,
      {"survey_zero_ends", fw, survey_zero},
      {"survey", fw, survey_weights(n)},
      {"survey_shifted", shifted, survey_weights(n)},
      {"survey_millions", millions, survey_weights(n)},
      {"quarters", fw, quarters},
      {"quarters_shifted", shifted, quarters},
      {"tenths", fw, tenths},
      {"pairs", fw, pairs},
      {"pairs_millions", millions, pairs},
  };
}

TEST(WeightedBounds, PercentilesEqualExactReferences) {
  kes_test::scratch_dir root("weighted-bounds");
  std::map<std::string, std::string> data;
  std::string program;
  std::vector<std::string> names;
  for (const weights_case& c : cases()) {
    data[c.name] = csv(c.x, c.w);
    program += step(c.name, true, "n=n qrange=qr");
    names.push_back("o_" + c.name);
  }
  const kes_meta::program_result r = kes_meta::run_steps(root.path(), data, program, names);
  ASSERT_EQ(r.status, 0) << r.log;
  for (const weights_case& c : cases()) {
    SCOPED_TRACE(c.name);
    const auto& row = r.steps.at("o_" + c.name).row;
    for (std::size_t i = 0; i < kPcts.size(); ++i)
      EXPECT_EQ(row.at("pq" + std::to_string(i)), reference(c.x, c.w, kPcts[i])) << "P" << kPcts[i];
    // Every value and midpoint here is exact, and so is their difference.
    EXPECT_EQ(row.at("qr"), reference(c.x, c.w, 75) - reference(c.x, c.w, 25)) << "QRANGE";
  }
}

// x = 1..5 on pairs of rows weighted 0.2 and 5000: the percentiles by hand.
TEST(WeightedBounds, TiesOfRoundedSumsByHand) {
  const weights_case c = cases()[0];
  const double want[] = {1.5, 2.5, 3.5, 4.5};
  for (int k = 1; k <= 4; ++k) EXPECT_EQ(reference(c.x, c.w, 20.0 * k), want[k - 1]);
  kes_test::scratch_dir root("weighted-pairs");
  const std::string program = "proc kestravine data=pw_in noprint;\n  var x;\n  weight w;\n"
                              "  output out=pw pctlpts=20 40 60 80 pctlpre=p;\nrun;\n";
  const kes_meta::program_result r = kes_meta::run_steps(root.path(), {{"pw_in", csv(c.x, c.w)}}, program, {"pw"});
  ASSERT_EQ(r.status, 0) << r.log;
  const auto& row = r.steps.at("pw").row;
  EXPECT_EQ(row.at("p20"), 1.5);
  EXPECT_EQ(row.at("p40"), 2.5);
  EXPECT_EQ(row.at("p60"), 3.5);
  EXPECT_EQ(row.at("p80"), 4.5);
}

// Weights all 1 give the unweighted row bit for bit: moments, location test and every
// percentile (the weighted definition is definition 5 on equal weights).
TEST(WeightedBounds, EqualWeightsGiveTheUnweightedRow) {
  const std::vector<double> fw = faithful_waiting();
  std::vector<std::pair<std::string, std::vector<double>>> sets = {{"fw", fw}, {"fw_shifted", {}}, {"fw_millions", {}}};
  for (double v : fw) {
    sets[1].second.push_back(v + 1.7e9);
    sets[2].second.push_back(v * 1e6);
  }
  const std::string stats =
      "n=n mean=mean std=std var=var skewness=skew kurtosis=kurt css=css uss=uss sum=sum cv=cv stdmean=se t=t "
      "median=med q1=q1 q3=q3 p1=p1 p5=p5 p10=p10 p90=p90 p95=p95 p99=p99 qrange=qr min=mn max=mx";
  kes_test::scratch_dir root("weighted-equal");
  std::map<std::string, std::string> data;
  std::string program;
  std::vector<std::string> names;
  for (const auto& [name, x] : sets) {
    data[name + "_u"] = csv(x, std::vector<double>(x.size(), 1.0));
    data[name + "_w"] = data[name + "_u"];
    program += step(name + "_u", false, stats) + step(name + "_w", true, stats);
    names.push_back("o_" + name + "_u");
    names.push_back("o_" + name + "_w");
  }
  const kes_meta::program_result r = kes_meta::run_steps(root.path(), data, program, names);
  ASSERT_EQ(r.status, 0) << r.log;
  for (const auto& [name, x] : sets) {
    SCOPED_TRACE(name);
    const auto& u = r.steps.at("o_" + name + "_u").row;
    const auto& w = r.steps.at("o_" + name + "_w").row;
    ASSERT_FALSE(u.empty());
    for (const auto& [col, value] : u) {
      const auto it = w.find(col);
      ASSERT_NE(it, w.end()) << col;
      EXPECT_EQ(std::memcmp(&value, &it->second, sizeof value), 0) << col << ": " << value << " weighted " << it->second;
    }
  }
}

}  // namespace
