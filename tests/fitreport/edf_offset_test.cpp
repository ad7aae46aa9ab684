// The EDF tests of the fits with a threshold read the values where the fit worked
// (relative to its origin, in its unit): D, W-Sq, A-Sq and their p-values are the same
// for data y moved by an offset c as for z = y - c (exact: the same numbers near 0),
// the threshold moved with them, and for the data times 2^k. Before, each value was
// standardized from x - theta with theta rounded at the offset (1e-9 relative at
// 1.7e9), and the lognormal's zeta near 20.7 carried 5e-6 of a sigma of 3.5e-10 into
// every standardized value of 1e9 + N(0, 0.35).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "fitreport/kes_fitreport.h"
#include "kes_gram_names.h"
#include "support/fit_fixture.h"
#include "support/threshold_families.h"
#include "support/r_columns.h"

namespace {

using kes_test::fit_fixture;
constexpr double E = NAN;  // estimated

using family = kes_test::threshold_family;
using kes_test::kBeta, kes_test::kExponential, kes_test::kGamma, kes_test::kLognormal, kes_test::kWeibull;

class EdfOffset : public fit_fixture {
 protected:
  // The curve of the family fitted to x (sorted) with the threshold and scale given
  // (numbers) or estimated (E), and its tests; false where the fit is refused.
  bool fit(const family& f, const std::vector<double>& x, double theta, double sigma, kes_curve* out) {
    restart();
    request({{f.dist, 0}});
    param(f.theta, f.theta_marks, {std::isnan(theta) ? 0 : theta}, {std::isnan(theta) ? 1 : 0});
    if (f.dist == KES_DIST_BETA)
      param(f.sigma, f.sigma_marks, {std::isnan(sigma) ? 0 : sigma}, {std::isnan(sigma) ? 1 : 0});
    kes_cell* c = cell(x);
    if (estimate(c, 0) != 0) return false;
    kesgof(ctx);
    *out = curve(c, 0);
    return true;
  }
};

bool same(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

// The tests of two fits are the same numbers.
void expect_same_tests(const kes_curve& a, const kes_curve& b) {
  const kes_edfres &p = a.edf, &q = b.edf;
  EXPECT_TRUE(same(p.d, q.d)) << p.d << " " << q.d;
  EXPECT_TRUE(same(p.wsq, q.wsq)) << p.wsq << " " << q.wsq;
  EXPECT_TRUE(same(p.asq, q.asq)) << p.asq << " " << q.asq;
  EXPECT_TRUE(same(p.p_d, q.p_d) && same(p.p_wsq, q.p_wsq) && same(p.p_asq, q.p_asq))
      << p.p_d << " " << q.p_d << " " << p.p_wsq << " " << q.p_wsq << " " << p.p_asq << " " << q.p_asq;
  EXPECT_EQ(p.rel_d, q.rel_d);
  EXPECT_EQ(p.rel_wsq, q.rel_wsq);
  EXPECT_EQ(p.rel_asq, q.rel_asq);
}

// The positive columns of R's data sets (tests/support/r_columns.h), sorted.
std::vector<std::pair<std::string, std::vector<double>>> positive_columns() {
  std::vector<std::pair<std::string, std::vector<double>>> out;
  for (const auto& col : kes_meta::r_columns()) {
    std::vector<double> x = col.x;
    std::sort(x.begin(), x.end());
    if (x.size() >= 10 && x.front() > 0 && x.back() > x.front()) out.push_back({col.name, x});
  }
  return out;
}

// A case: the family, the threshold given at this many ranges below the smallest value
// (E: estimated), the beta scale given in ranges (E: estimated; unused otherwise).
struct test_case {
  const family* f;
  double theta_below, sigma_ranges;
};
const test_case kCases[] = {
    {&kLognormal, E, E}, {&kLognormal, 0.25, E}, {&kWeibull, E, E}, {&kWeibull, 0.25, E}, {&kGamma, E, E},
    {&kGamma, 0.25, E},  {&kBeta, E, E},         {&kBeta, E, 1.5},  {&kBeta, 0.25, 1.5},
    {&kExponential, E, E}, {&kExponential, 0.25, E}, {&kExponential, 0.0, E},
};

// A given end at `ranges` ranges from v, rounded to the grid of the data y as they are.
double given_at(const std::vector<double>& y, double v, double ranges) {
  return std::isnan(ranges) ? E : v + ranges * (y.back() - y.front());
}

TEST_F(EdfOffset, TestsOfDataAtAnOffsetAreThoseOfTheDataNearZero) {
  int compared = 0;
  for (const auto& [name, x] : positive_columns()) {
    for (const test_case& t : kCases) {
      for (double c : {1e6, 1.7e9}) {
        SCOPED_TRACE(name + " " + t.f->name + " theta " + std::to_string(t.theta_below) + " sigma " +
                     std::to_string(t.sigma_ranges) + " + " + std::to_string(c));
        std::vector<double> y, z;
        for (double v : x) y.push_back(v + c);
        for (double v : y) z.push_back(v - c);  // exact
        // The given ends as the user at the offset writes them; less c exactly.
        const double ty = given_at(y, y.front(), -t.theta_below);
        const double sy = std::isnan(t.sigma_ranges) ? E : t.sigma_ranges * (y.back() - y.front());
        const double tz = ty - c;
        kes_curve at_y{}, at_z{};
        const bool fy = fit(*t.f, y, ty, sy, &at_y);
        const bool fz = fit(*t.f, z, tz, sy, &at_z);
        ASSERT_EQ(fy, fz) << log();
        if (!fz) continue;
        ++compared;
        expect_same_tests(at_y, at_z);
      }
    }
  }
  EXPECT_GT(compared, 200);
}

TEST_F(EdfOffset, TestsOfDataScaledByAPowerOfTwoAreTheSame) {
  int compared = 0;
  for (const auto& [name, x] : positive_columns()) {
    for (const test_case& t : kCases) {
      const double t0 = given_at(x, x.front(), -t.theta_below);
      const double s0 = std::isnan(t.sigma_ranges) ? E : t.sigma_ranges * (x.back() - x.front());
      kes_curve one{};
      const bool f0 = fit(*t.f, x, t0, s0, &one);
      for (int k : {-20, 30}) {
        SCOPED_TRACE(name + " " + t.f->name + " theta " + std::to_string(t.theta_below) + " x 2^" + std::to_string(k));
        std::vector<double> s;
        for (double v : x) s.push_back(std::ldexp(v, k));
        kes_curve at_k{};
        ASSERT_EQ(fit(*t.f, s, std::ldexp(t0, k), std::ldexp(s0, k), &at_k), f0) << log();
        if (!f0) continue;
        ++compared;
        expect_same_tests(at_k, one);
      }
    }
  }
  EXPECT_GT(compared, 100);
}

// 500 values 1e9 + N(0, 0.35), normal deviates by Box-Muller from a fixed stream.
std::vector<double> near_1e9() {
  std::mt19937_64 g(20261208);
  std::vector<double> x;
  while (x.size() < 500) {
    const double u = (g() >> 11) * 0x1p-53, v = (g() >> 11) * 0x1p-53;
    if (u == 0.0) continue;
    x.push_back(1e9 + 0.35 * std::sqrt(-2.0 * std::log(u)) * std::cos(2.0 * M_PI * v));
  }
  std::sort(x.begin(), x.end());
  return x;
}

// D, W-Sq and A-Sq of the lognormal with threshold 0 fitted by maximum likelihood (zeta
// the mean of log x, sigma on n - 1), in long double with log x formed as log x0 +
// log1p of the exact difference from x0: an independent reference to about 1e-15.
struct edf_ref {
  double d, wsq, asq;
};
edf_ref reference_edf(const std::vector<double>& x) {
  const long double x0 = x[x.size() / 2], n = x.size();
  std::vector<long double> l;
  long double s = 0;
  for (double v : x) {
    l.push_back(std::log1p((static_cast<long double>(v) - x0) / x0));
    s += l.back();
  }
  const long double dz = s / n;
  long double ss = 0;
  for (long double v : l) ss += (v - dz) * (v - dz);
  const long double sigma = std::sqrt(ss / (n - 1));
  long double d = 0, w = 1 / (12 * n), a = 0;
  for (size_t i = 0; i < l.size(); ++i) {
    const long double u = (l[i] - dz) / sigma / std::sqrt(2.0L);
    const long double z = 0.5L * std::erfc(-u), z1 = 0.5L * std::erfc(u);
    d = std::max({d, (i + 1) / n - z, z - i / n});
    w += (z - (2 * i + 1) / (2 * n)) * (z - (2 * i + 1) / (2 * n));
    a += (2 * i + 1) * std::log(z) + (2 * n - 1 - 2 * i) * std::log(z1);
  }
  return {static_cast<double>(d), static_cast<double>(w), static_cast<double>(-n - a / n)};
}

TEST_F(EdfOffset, LognormalNearABillionTestsAlikeAtEveryScale) {
  // Before: D 0.0447717, 0.0447726 and 0.0447775 at scales 1, 2^-20 and 2^20.
  const std::vector<double> x = near_1e9();
  kes_curve one{};
  ASSERT_TRUE(fit(kLognormal, x, 0, E, &one)) << log();
  const edf_ref want = reference_edf(x);
  EXPECT_NEAR(one.edf.d, want.d, 1e-13);
  EXPECT_NEAR(one.edf.wsq, want.wsq, 1e-13);
  EXPECT_NEAR(one.edf.asq, want.asq, 1e-12);
  for (int k : {-20, 20, -600, 600}) {
    SCOPED_TRACE(k);
    std::vector<double> s;
    for (double v : x) s.push_back(std::ldexp(v, k));
    kes_curve at_k{};
    ASSERT_TRUE(fit(kLognormal, s, 0, E, &at_k)) << log();
    expect_same_tests(at_k, one);
    // The reported zeta stays the full value: log x moved by k log 2.
    EXPECT_NEAR(at_k.params[1], one.params[1] + k * std::log(2.0), 1e-12 * (1 + std::abs(k)));
  }
}

}  // namespace
