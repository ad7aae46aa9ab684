// Moments of data at an offset and of weights of any mix, run end to end, against
// exact values: data k 2^-j + c (k whole) from exact sums of the k's powers in 128-bit
// integers; weighted data from mpmath. No note of rounding error appears: each spread
// and each mean here is real.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "metamorphic/dyadic_draws.h"
#include "metamorphic/meta_run.h"
#include "support/csv_write.h"
#include "support/scratch_files.h"

namespace {

using kes_test::number_text;

using kes_meta::draws;

constexpr double kExact = 1e-12;

struct expected {
  double mean, css, std, skew, kurt;  // NaN: not checked
};

// The moments (VARDEF=DF) of y_i = c + k_i 2^-j from exact central sums of the k's.
expected exact_moments(const std::vector<long long>& k, int j, double c) {
  __int128 n = static_cast<__int128>(k.size()), s1 = 0, s2 = 0, s3 = 0, s4 = 0;
  for (long long v : k) {
    const __int128 x = v;
    s1 += x;
    s2 += x * x;
    s3 += x * x * x;
    s4 += x * x * x * x;
  }
  // n C2, n^2 C3 and n^3 C4: the central sums times powers of n, exactly.
  const __int128 c2 = n * s2 - s1 * s1;
  const __int128 c3 = n * n * s3 - 3 * n * s2 * s1 + 2 * s1 * s1 * s1;
  const __int128 c4 = n * n * n * s4 - 4 * n * n * s3 * s1 + 6 * n * s2 * s1 * s1 - 3 * s1 * s1 * s1 * s1;
  const long double N = static_cast<long double>(n);
  const long double m2 = static_cast<long double>(c2) / N, m3 = static_cast<long double>(c3) / (N * N),
                    m4 = static_cast<long double>(c4) / (N * N * N);
  const long double var = m2 / (N - 1);
  expected e;
  e.mean = static_cast<double>(c + std::ldexp(static_cast<long double>(s1) / N, -j));
  e.css = static_cast<double>(std::ldexp(m2, -2 * j));
  e.std = static_cast<double>(std::ldexp(std::sqrt(var), -j));
  e.skew = static_cast<double>(N / ((N - 1) * (N - 2)) * m3 / (var * std::sqrt(var)));
  e.kurt = static_cast<double>(N * (N + 1) / ((N - 1) * (N - 2) * (N - 3)) * m4 / (var * var) -
                               3 * (N - 1) * (N - 1) / ((N - 2) * (N - 3)));
  return e;
}

struct hand_row {
  std::string what;
  std::string csv;  // x or x,w
  expected want;
};

hand_row offset_row(const std::string& what, const std::vector<long long>& k, int j, double c) {
  hand_row r{what, "x\n", exact_moments(k, j, c)};
  for (long long v : k) r.csv += number_text(c + std::ldexp(static_cast<double>(v), -j)) + "\n";
  return r;
}

hand_row weighted_row(const std::string& what, const std::vector<double>& x, const std::vector<double>& w,
                      expected want) {
  hand_row r{what, "x,w\n", want};
  for (std::size_t i = 0; i < x.size(); ++i) r.csv += number_text(x[i]) + "," + number_text(w[i]) + "\n";
  return r;
}

std::vector<hand_row> rows() {
  std::vector<hand_row> all;
  std::vector<long long> ints;
  for (int i = 0; i <= 100; ++i) ints.push_back(i);
  // Microsecond timestamps: CSS 85,850 exactly, sd 29.30017 (the design set it to 0).
  all.push_back(offset_row("1e15 + 0..100", ints, 0, 1e15));
  draws d{72};
  // Seconds since 1970 to a tenth of a millisecond: 60 values 1e9 + N(0, 1e-4).
  all.push_back(offset_row("1e9 + N(0, 1e-4)", kes_meta::dyadic_counts(d, 60, 1e-4, 23, 0), 23, 1e9));
  // 1,000 values 1e11 + N(0, 0.35): skewness and kurtosis about the values' mean.
  all.push_back(offset_row("1e11 + N(0, 0.35)", kes_meta::dyadic_counts(d, 1000, 0.35, 16, 0), 16, 1e11));
  // 30 values 1e9 + U(0, 0.35), skewed draws too.
  all.push_back(offset_row("1e9 + U(0, 0.35)", kes_meta::dyadic_counts(d, 30, 0.35, 23, 1), 23, 1e9));
  all.push_back(offset_row("1e12 + Exp(0.01)", kes_meta::dyadic_counts(d, 200, 0.01, 13, 2), 13, 1e12));
  const double u = NAN;
  // mpmath 1.3.0 at 1400 digits (mp.dps = 1400) over the doubles as read: mean
  // sum(w x)/W, CSS sum(w (x - mean)^2), std sqrt(CSS/(n-1)), skewness
  // n/((n-1)(n-2)) sum(w^1.5 z^3), kurtosis n(n+1)/((n-1)(n-2)(n-3)) sum(w^2 z^4) -
  // 3(n-1)^2/((n-2)(n-3)), z = (x - mean)/std.
  const std::vector<double> x6 = {1, 2, 3, 4, 10, 3};
  all.push_back(weighted_row("weights 1 and 1e200 (the README's)", x6, {1, 1, 1, 1, 1, 1e200},
                             {3, 55, 3.3166247903553998, 2.7547172845513858, 7.7442148760330579}));
  all.push_back(weighted_row("weights 1 and 1e250", x6, {1, 1, 1, 1, 1, 1e250},
                             {3, 55, 3.3166247903553998, 2.7547172845513858, 7.7442148760330579}));
  all.push_back(weighted_row("weights 1e-300, 1, 1e300 (the README's)", {1, 2, 3}, {1e-300, 1, 1e300},
                             {3, 1, 0.70710678118654752, -4.2426406871192851, u}));
  all.push_back(weighted_row("weights 5e-324 beside 1", {1, 2, 3, 4, 7}, {5e-324, 5e-324, 1, 5e-324, 5e-324},
                             {3, 1.0869444208507424e-322, 5.2128313344351129e-162, u, u}));
  all.push_back(weighted_row("weights of 1e-300", {1, 2, 3, 5, 8, 13, 21}, std::vector<double>(7, 1e-300),
                             {7.5714285714285714, 3.1171428571428572e-298, 7.2078000077957875e-150,
                              1.253911988122352, 0.94456871948724713}));
  // Weights 2^1993 apart: the small ones are 0 in the weights' unit, which the large
  // one sets, yet count in CSS, STD and skewness at their exact sums, whichever weight
  // comes first (the view keeps their exact weight and their powers in its unit). CSS
  // (5e-300, mpmath as above: 5.0000000000000001e-300) lies below the smallest double
  // in the weights' unit and is a double in the values'.
  const expected far = {1, 5.0000000000000001e-300, 1.5811388300841897e-150, 2.6563132345414386, u};
  all.push_back(weighted_row("weights 1e-300 beside 1e300, small first", {0, 1, 3}, {1e-300, 1e300, 1e-300}, far));
  all.push_back(weighted_row("weights 1e-300 beside 1e300, large first", {1, 0, 3}, {1e300, 1e-300, 1e-300}, far));
  // A sum far below the spread is still the sum: -1e13 + 1 + 1e13 is 1 exactly.
  all.push_back(weighted_row("-1e13, 1, 1e13", {-1e13, 1, 1e13}, {1, 1, 1}, {1.0 / 3, 2e26, 1e13, u, u}));
  return all;
}

TEST(ExactMoments, OffsetsAndMixedWeightsAgainstExactValues) {
  const std::vector<hand_row> all = rows();
  std::map<std::string, std::string> data;
  std::string program;
  std::vector<std::string> names;
  for (std::size_t i = 0; i < all.size(); ++i) {
    const std::string name = "m" + std::to_string(i);
    data["d" + std::to_string(i)] = all[i].csv;
    program += "proc kestravine data=d" + std::to_string(i) + " noprint;\n  var x;\n";
    if (all[i].csv.rfind("x,w", 0) == 0) program += "  weight w;\n";
    program += "  output out=" + name + " mean=mean css=css var=var std=std skewness=skew kurtosis=kurt;\nrun;\n";
    names.push_back(name);
  }
  kes_test::scratch_dir dir("exact_moments");
  const kes_meta::program_result r = kes_meta::run_steps(dir.path(), data, program, names);
  ASSERT_EQ(r.status, 0) << r.log;
  EXPECT_EQ(r.log.find("rounding error"), std::string::npos) << r.log;
  for (std::size_t i = 0; i < all.size(); ++i) {
    const auto& row = r.steps.at(names[i]).row;
    ASSERT_FALSE(row.empty()) << all[i].what;
    const expected& e = all[i].want;
    const std::pair<const char*, double> want[] = {
        {"mean", e.mean}, {"css", e.css}, {"std", e.std}, {"skew", e.skew}, {"kurt", e.kurt}};
    for (const auto& [name, v] : want) {
      if (std::isnan(v)) continue;
      const double got = row.at(name);
      // A subnormal CSS is known to its few bits only.
      const double tol = std::fabs(v) < 1e-300 ? 5e-2 : kExact;
      EXPECT_LE(std::fabs(got - v), tol * std::fabs(v)) << all[i].what << ": " << name << " " << number_text(got)
                                                        << ", exact " << number_text(v);
    }
    // STD is 0 exactly when CSS is, and VAR is STD squared, in whatever unit the
    // weights kept the sums.
    const double css = row.at("css"), var = row.at("var"), sd = row.at("std");
    EXPECT_EQ(css == 0.0, sd == 0.0) << all[i].what << ": CSS " << number_text(css) << ", STD " << number_text(sd);
    if (var >= 1e-300) {
      EXPECT_LE(std::fabs(var - sd * sd), 1e-12 * var) << all[i].what << ": VAR " << number_text(var);
    }
  }
}

}  // namespace
