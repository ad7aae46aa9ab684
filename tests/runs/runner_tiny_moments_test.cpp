// CSS, VAR, STD and USS of values and weights near the ends of the doubles, run end to
// end: each is the exact value to rounding wherever that is a double (a subnormal one
// too), else missing and named in the note; never 0 for values not all equal. Values
// a 2^k (a small integers, k from 0 to -1074) with integer weights, scaled by 2^1000 or
// 2^-1000, give every statistic exactly as integers do times a power of two.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/csv_rows.h"
#include "support/csv_write.h"
#include "support/runner_process.h"
#include "support/scratch_files.h"

namespace {

using kes_test::number_text;

using row = std::map<std::string, double>;

// One set: values a_i 2^k with weights w_i 2^ws (and heavy, when not 0, on the value
// 0 as it stands: a weight of 1e300 that sets the weights' unit and adds nothing).
struct value_set {
  std::vector<long> a, w;
  double heavy;
};
const value_set kSets[] = {
    {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 0.0},
    {{-1, 1, -3, 3, 5, -5}, {1, 1, 2, 2, 3, 3}, 1e300},
};

// The kinds of run: WEIGHT, FREQ, both, neither.
struct run_kind {
  const char* what;
  bool weight, freq;
  int ws;  // the weights' power of two
};

// The exact CSS and USS of set s under kind r over 2^(2k + ws): integers.
void exact_sums(const value_set& s, const run_kind& r, double* css, double* uss, long* n) {
  __int128 sw = 0, s1 = 0, s2 = 0;
  long count = 0;
  for (size_t i = 0; i < s.a.size(); ++i) {
    const long f = r.freq ? s.w[i] : 1;
    const long c = (r.weight ? s.w[i] : 1) * f;
    sw += c;
    s1 += static_cast<__int128>(c) * s.a[i];
    s2 += static_cast<__int128>(c) * s.a[i] * s.a[i];
    count += f;
  }
  if (s.heavy != 0.0) count += 1;  // the heavy row, at 0: no sum but N and the mean
  // A heavy weight takes the mean to 0 (the others are symmetric): CSS is USS.
  const bool centred = s.heavy != 0.0 || s1 == 0;
  *css = centred ? static_cast<double>(s2) : static_cast<double>(sw * s2 - s1 * s1) / static_cast<double>(sw);
  *uss = static_cast<double>(s2);
  *n = count;
}

class RunnerTinyMoments : public ::testing::Test {
 protected:
  // The OUTPUT rows by BY group, and the log.
  std::vector<row> run(const std::string& csv, const std::string& program) {
    dir_.write("d.csv", csv);
    kes_test::runner_process p;
    const int status = kes_test::run_program(p, dir_, program, {"--work", ".", "--log", "log", "--listing", "lst"});
    log_ = kes_test::slurp(dir_ / "log");
    EXPECT_EQ(status, 0) << log_;
    return kes_test::csv_rows(kes_test::slurp(dir_ / "o.csv"));
  }
  // How many notes of missing statistics name `stat`.
  int named(const std::string& stat) const {
    int count = 0;
    std::istringstream in(log_);
    std::string line;
    const std::string head = "are missing: ";
    while (std::getline(in, line)) {
      const size_t at = line.find(head);
      if (at == std::string::npos) continue;
      std::string names = " " + line.substr(at + head.size());
      for (char& ch : names)
        if (ch == ',' || ch == '.') ch = ' ';
      count += names.find(" " + stat + " ") != std::string::npos ? 1 : 0;
    }
    return count;
  }

  kes_test::scratch_dir dir_{"tinymoments"};
  std::string log_;
};

// got is want to rounding: a relative 1e-14, or one unit of the smallest subnormal.
bool to_rounding(double got, double want) {
  return std::fabs(got - want) <= 1e-14 * std::fabs(want) + std::ldexp(1.0, -1074);
}

// The root of m 2^e, rounded once.
double root_times(double m, int e) {
  const int odd = e & 1;
  return std::ldexp(std::sqrt(std::ldexp(m, odd)), (e - odd) / 2);
}

TEST_F(RunnerTinyMoments, SpreadAndUssAreExactOrMissingAndNamedAtEveryScale) {
  const run_kind kinds[] = {{"neither", false, false, 0},    {"FREQ", false, true, 0},
                            {"WEIGHT", true, false, 0},      {"WEIGHT 2^1000", true, false, 1000},
                            {"WEIGHT 2^-1000", true, false, -1000}, {"WEIGHT and FREQ", true, true, 0},
                            {"WEIGHT 2^-1000 and FREQ", true, true, -1000}};
  std::vector<int> ks;
  for (int k = 0; k > -1075; k -= 7) ks.push_back(k);
  ks.push_back(-1074);
  for (const run_kind& r : kinds) {
    // One BY group per set and k: g = set * 10000 - k.
    std::string csv = "g,x,w,f\n";
    for (int s = 0; s < 2; ++s)
      for (int k : ks) {
        const value_set& v = kSets[s];
        const std::string g = std::to_string(s * 10000 - k) + ",";
        for (size_t i = 0; i < v.a.size(); ++i)
          csv += g + number_text(std::ldexp(static_cast<double>(v.a[i]), k)) + "," +
                 number_text(std::ldexp(static_cast<double>(v.w[i]), r.ws)) + "," + std::to_string(v.w[i]) + "\n";
        if (v.heavy != 0.0) csv += g + "0," + number_text(v.heavy) + ",1\n";
      }
    std::string program = "proc kestravine data=d noprint; by g; var x;";
    if (r.weight) program += " weight w;";
    if (r.freq) program += " freq f;";
    program += "\n output out=o css=css var=var std=std uss=uss stdmean=se skewness=sk kurtosis=ku;\nrun;\n";
    const std::vector<row> rows = run(csv, program);
    ASSERT_EQ(rows.size(), 2 * ks.size()) << r.what;
    std::map<std::string, int> missing;
    // Skewness and kurtosis are free of the scale: those of each set at k = 0.
    std::map<int, row> at_one;
    for (const row& o : rows)
      if (static_cast<int>(o.at("g")) % 10000 == 0) at_one[static_cast<int>(o.at("g")) / 10000] = o;
    for (const row& o : rows) {
      const int g = static_cast<int>(o.at("g"));
      const int s = g / 10000, k = -(g % 10000);
      double css, uss, sumw;
      long n;
      exact_sums(kSets[s], r, &css, &uss, &n);
      for (const char* shape : {"sk", "ku"}) {
        const double one = at_one.at(s).at(shape);
        EXPECT_FALSE(std::isnan(one)) << r.what << " " << shape;
        EXPECT_LE(std::fabs(o.at(shape) - one), 1e-12 * std::fmax(1.0, std::fabs(one)))
            << r.what << " set " << s << " k " << k << " " << shape << " " << number_text(o.at(shape)) << " for "
            << number_text(one);
      }
      sumw = kSets[s].heavy;
      for (size_t i = 0; i < kSets[s].w.size(); ++i)
        sumw += std::ldexp(static_cast<double>(kSets[s].w[i] * (r.freq ? kSets[s].w[i] : 1)), r.weight ? r.ws : 0);
      if (!r.weight) sumw = static_cast<double>(n);
      // CSS and USS carry the weights' unit; VAR too under DF, STD half of it.
      const int e = 2 * k + (r.weight ? r.ws : 0);
      const double want_var_m = css / static_cast<double>(n - 1);
      int we;
      const double wm = std::frexp(sumw, &we);  // STDMEAN = sqrt(VAR / SUMWGT)
      const std::pair<const char*, double> want[] = {
          {"css", std::ldexp(css, e)},
          {"uss", std::ldexp(uss, e)},
          {"var", std::ldexp(want_var_m, e)},
          {"std", root_times(want_var_m, e)},
          {"se", root_times(want_var_m / wm, e - we)},
      };
      for (const auto& [stat, v] : want) {
        const double got = o.at(stat);
        const std::string what = std::string(r.what) + " set " + std::to_string(s) + " k " + std::to_string(k) + " " +
                                 stat + " " + number_text(got) + " for " + number_text(v);
        EXPECT_NE(got, 0.0) << what;
        if (std::isnan(got)) {
          ++missing[stat];
          // Missing only where the exact value rounds to 0 (or to the smallest double).
          EXPECT_LE(v, std::ldexp(1.0, -1074)) << what;
        } else {
          EXPECT_TRUE(to_rounding(got, v)) << what;
        }
      }
    }
    // Each missing statistic is named, once a group.
    for (const char* stat : {"css", "uss", "var", "std", "se"}) {
      std::string upper = stat[0] == 's' && stat[1] == 'e' ? "STDMEAN" : stat;
      for (char& ch : upper) ch = static_cast<char>(std::toupper(ch));
      EXPECT_EQ(named(upper), missing[stat]) << r.what << " " << upper;
    }
    // Every kind of run meets both ends: given at 2^-500, missing at 2^-1074.
    EXPECT_GT(missing["css"], 0) << r.what;
    EXPECT_LT(missing["css"], static_cast<int>(rows.size())) << r.what;
  }
}

// Deviations far below the largest, under weights far above its weight: +-2^-600 at
// weights 1e300 and 1 at weight 5e-324. The mean is 5e-324 / (2e300 + 5e-324), below
// the smallest double, so CSS = USS = 2e300 2^-1200 to 1e-260 relative (hand values):
// neither the squares of the small deviations nor the pass's terms in the weights'
// unit may flush to 0 (they gave CSS 5e-324, VAR missing and USS 0).
TEST_F(RunnerTinyMoments, SmallDeviationsUnderHeavyWeightsAreKept) {
  const double a = std::ldexp(1.0, -600);
  const std::vector<row> rows =
      run("x,w\n" + number_text(-a) + ",1e300\n" + number_text(a) + ",1e300\n1,5e-324\n",
          "proc kestravine data=d noprint; var x; weight w;\n output out=o css=css var=var std=std uss=uss;\nrun;\n");
  ASSERT_EQ(rows.size(), 1u);
  const double css = std::ldexp(2 * 1e300, -1200);
  const row& o = rows[0];
  EXPECT_TRUE(to_rounding(o.at("css"), css)) << o.at("css");
  EXPECT_TRUE(to_rounding(o.at("uss"), css)) << o.at("uss");
  EXPECT_TRUE(to_rounding(o.at("var"), css / 2)) << o.at("var");
  EXPECT_TRUE(to_rounding(o.at("std"), std::sqrt(css / 2))) << o.at("std");
  EXPECT_EQ(log_.find("are missing"), std::string::npos) << log_;
}

}  // namespace
