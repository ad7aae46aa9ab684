// The grid estimate: binning codes, the real transform pair, the smoothed estimate
// against R's density() (ref/density_ref.tsv) and an exact kernel sum, and the
// folding of mass at bounds.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <vector>

#include "fit/zkerft.h"
#include "fit/zkernel.h"
#include "kernel_ref_data.h"
#include "numeric/zmissing.h"

namespace {

constexpr double kPi = 3.141592653589793;

// The estimate of values x with kernel type and h on m points from lo to hi.
struct estimate {
  std::vector<double> grid, binned, density;
  int status;
  estimate(const std::vector<double>& x, int type, double h, double lo, double hi, int m)
      : grid(m), binned(m), density(m) {
    status = zkerset(x.data(), nullptr, nullptr, static_cast<int>(x.size()), lo, hi, grid.data(), binned.data(), m);
    if (status == 0) status = zkerfit(type, 0, h, lo, hi, binned.data(), density.data(), m);
  }
  double mass() const { return std::accumulate(density.begin(), density.end(), 0.0) * (grid[1] - grid[0]); }
  double at(double x) const {  // linear interpolation
    const double d = grid[1] - grid[0];
    const int i = static_cast<int>((x - grid[0]) / d);
    const double f = (x - grid[i]) / d;
    return density[i] * (1 - f) + density[i + 1] * f;
  }
};

double kernel(int type, double u) {
  if (type == 1) return std::exp(-0.5 * u * u) / std::sqrt(2 * kPi);
  if (std::abs(u) >= 1) return 0;
  return type == 2 ? 1 - std::abs(u) : 0.75 * (1 - u * u);
}

TEST(zkerset, ReturnCodes) {
  const std::vector<double> x = {0.5, 1.0, 2.0};
  const struct {
    int m;
    double value;
    int status;
  } cases[] = {
      {4, 1.0, 1}, {12, 1.0, 1}, {1, 1.0, 1}, {8, 1.0, 0}, {16, 1.0, 0},
      {8, -0.5, 2},   // a step below lo (step 0.5)
      {8, 4.5, 2},    // a step above hi
      {8, -0.25, 0},  // less than a step below: kept out of the grid, no failure
      {8, 4.25, 0},   // beyond hi by less than a step
  };
  for (const auto& c : cases) {
    std::vector<double> v = x, b(16);
    v[1] = c.value;
    EXPECT_EQ(zkerset(v.data(), nullptr, nullptr, 3, 0.0, 4.0, nullptr, b.data(), c.m), c.status)
        << c.m << " " << c.value;
  }
}

TEST(zkerset, LastCellAddsNoMass) {
  // Mass of the binned density = M * mean * step = 2 * transform[0] * ... (mean is
  // element 0 of the transform).
  const double lo = 0, hi = 8;
  for (double last : {7.5, 8.0}) {
    const std::vector<double> x = {1.0, 2.5, last};
    std::vector<double> b(8);
    ASSERT_EQ(zkerset(x.data(), nullptr, nullptr, 3, lo, hi, nullptr, b.data(), 8), 0);
    EXPECT_NEAR(b[0] * 8 * 1.0, 2.0 / 3.0, 1e-15) << last;
  }
  const std::vector<double> x = {1.0, 2.5, 6.99};
  std::vector<double> b(8);
  zkerset(x.data(), nullptr, nullptr, 3, lo, hi, nullptr, b.data(), 8);
  EXPECT_NEAR(b[0] * 8, 1.0, 1e-15);
  // Weights: the mass of each value is its weight over the total weight.
  const std::vector<double> w = {1.0, 3.0, 0.0};
  zkerset(x.data(), nullptr, w.data(), 3, lo, hi, nullptr, b.data(), 8);
  EXPECT_NEAR(b[0] * 8, 1.0, 1e-15);
}

// Against a direct transform of the packed layout, exponent -2 pi i jt / M.
TEST(zkerft, PackedTransformAndExactInverse) {
  for (int k = 3; k <= 10; ++k) {
    const int m = 1 << k, half = m / 2;
    std::vector<double> a(m), orig(m);
    for (int t = 0; t < m; ++t) orig[t] = a[t] = std::sin(0.37 * t * t) + (t % 5);
    zkerft(a.data(), m, k);
    for (int j = 0; j <= half; ++j) {
      double re = 0, im = 0;
      for (int t = 0; t < m; ++t) {
        re += orig[t] * std::cos(2 * kPi * j * t / m) / m;
        im -= orig[t] * std::sin(2 * kPi * j * t / m) / m;
      }
      ASSERT_NEAR(a[j == half ? half : j], re, 1e-13) << m << " " << j;
      if (j > 0 && j < half) {
        ASSERT_NEAR(a[half + j], im, 1e-13) << m << " " << j;
      }
    }
    zkerfti(a.data(), m, k);
    for (int t = 0; t < m; ++t) ASSERT_NEAR(a[t], orig[t], 1e-12) << m;
  }
}

TEST(fastg, ForwardIsScaledAndBitReversed) {
  const int n = 32, k = 5;
  std::vector<double> x(n), y(n), x0(n), y0(n);
  for (int t = 0; t < n; ++t) x0[t] = x[t] = t * 0.1, y0[t] = y[t] = std::cos(t);
  fastg(x.data(), y.data(), n, 1);
  scrag(x.data(), n, k);
  scrag(y.data(), n, k);
  for (int j = 0; j < n; ++j) {
    double re = 0, im = 0;
    for (int t = 0; t < n; ++t) {
      const double c = std::cos(2 * kPi * j * t / n), s = std::sin(2 * kPi * j * t / n);
      re += (x0[t] * c + y0[t] * s) / n;
      im += (y0[t] * c - x0[t] * s) / n;
    }
    ASSERT_NEAR(x[j], re, 1e-14);
    ASSERT_NEAR(y[j], im, 1e-14);
  }
}

// R's density() bins linearly and convolves by FFT too; both agree to about 1e-3 of
// the peak at R's output points.
TEST(zkerfit, AgreesWithReferenceDensity) {
  const char* kernels[] = {"gaussian", "triangular", "epanechnikov"};
  int compared = 0;
  for (const char* sample : {"normal", "skewed"}) {
    const std::vector<double> x = kernel_test::ref_numbers(std::string("sample_") + sample + ".txt");
    for (int type = 1; type <= 3; ++type) {
      double peak = 0, err = 0, h = 0;
      std::vector<std::pair<double, double>> want;
      for (const auto& r : kernel_test::ref_rows("density_ref.tsv"))
        if (r[0] == sample && r[1] == kernels[type - 1]) {
          h = std::stod(r[2]);
          want.emplace_back(std::stod(r[6]), std::stod(r[7]));
          peak = std::max(peak, want.back().second);
        }
      ASSERT_EQ(want.size(), 64u);
      const double lo = *std::min_element(x.begin(), x.end()) - 4 * h;
      const double hi = *std::max_element(x.begin(), x.end()) + 4 * h;
      const estimate e(x, type, h, lo, hi, 512);
      ASSERT_EQ(e.status, 0);
      for (const auto& [px, py] : want) err = std::max(err, std::abs(e.at(px) - py));
      EXPECT_LT(err, 2e-3 * peak) << sample << " " << kernels[type - 1];
      EXPECT_NEAR(e.mass(), 1.0, 1e-3);
      ++compared;
    }
  }
  EXPECT_EQ(compared, 6);
}

TEST(zkerfit, AgreesWithExactKernelSum) {
  const std::vector<double> x = {0.3, 1.1, 1.2, 2.9, 3.0, 3.05, 4.4, 6.0};
  for (int type = 1; type <= 3; ++type) {
    const double h = type == 1 ? 0.5 : 1.2;
    const estimate e(x, type, h, -4.0, 10.0, 1024);
    double peak = 0, err = 0;
    for (int i = 0; i < 1024; ++i) {
      double exact = 0;
      for (double v : x) exact += kernel(type, (e.grid[i] - v) / h) / (x.size() * h);
      peak = std::max(peak, exact);
      err = std::max(err, std::abs(e.density[i] - exact));
      ASSERT_GE(e.density[i], 0.0);
    }
    EXPECT_LT(err, 2e-3 * peak) << type;
  }
}

TEST(zkerfit, HugeBandwidthLeavesOnlyTheMean) {
  const std::vector<double> x = {1.0, 2.0, 2.5};
  for (int type : {2, 3}) {
    const estimate e(x, type, 1e20, 0.0, 4.0, 16);
    for (double d : e.density) EXPECT_DOUBLE_EQ(d, e.density[0]) << type;
    EXPECT_NEAR(e.mass(), 1.0, 1e-12);
  }
  EXPECT_EQ(zkerfit(1, 0, 1.0, 0, 1, std::vector<double>(12).data(), std::vector<double>(12).data(), 12), 1);
}

// Folding: the reach is 3h for the normal kernel.
struct folded {
  estimate e;
  std::vector<double> before;
  int status;
  folded(double lower, double upper, double h = 0.5)
      : e({2.0, 2.2, 3.0, 3.5, 4.0}, 1, h, -2.0, 8.0, 64), before(e.density) {
    status = zkermod(1, h, 2.0, 4.0, lower, upper, e.grid.data(), e.density.data(), 64);
  }
};

TEST(zkermod, BoundOnAGridPointDoublesItAndKeepsTheMass) {
  const double step = 10.0 / 64;
  const double lower = -2.0 + 20 * step;  // grid point 20, within reach of the data
  const folded f(lower, zmissing());
  ASSERT_EQ(f.status, 0);
  EXPECT_DOUBLE_EQ(f.e.density[20], 2 * f.before[20]);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(f.e.density[i], 0.0);
  // Unit mass, the point on the bound counted in half: trapezoid from the bound.
  double mass = 0;
  for (int i = 21; i < 64; ++i) mass += f.e.density[i] * step;
  mass += 0.5 * f.e.density[20] * step;
  EXPECT_NEAR(mass, 1.0, 2e-3);
  const double upper = -2.0 + 44 * step;  // grid point 44
  const folded g(zmissing(), upper);
  ASSERT_EQ(g.status, 0);
  EXPECT_DOUBLE_EQ(g.e.density[44], 2 * g.before[44]);
  for (int i = 45; i < 64; ++i) EXPECT_EQ(g.e.density[i], 0.0);
  mass = 0.5 * g.e.density[44] * step;
  for (int i = 0; i < 44; ++i) mass += g.e.density[i] * step;
  EXPECT_NEAR(mass, 1.0, 2e-3);
}

TEST(zkermod, BoundBetweenGridPointsKeepsTheMass) {
  const folded f(1.3, 4.71);
  ASSERT_EQ(f.status, 0);
  EXPECT_NEAR(f.e.mass(), 1.0, 2e-2);
  for (size_t i = 0; i < f.e.grid.size(); ++i)
    if (f.e.grid[i] < 1.3 || f.e.grid[i] > 4.71) {
      EXPECT_EQ(f.e.density[i], 0.0);
    }
}

TEST(zkermod, NoBoundInsideTheGridOrOverlappingTails) {
  const struct {
    double lower, upper;
    int status;
  } cases[] = {
      {-2.0, 8.0, 0},               // at or beyond the grid's ends
      {-5.0, zmissing(), 0},
      {1.9, 4.1, 1},                // with h = 1 the reflected tails cross the other bound
      {zmissing(), zmissing(), 0},
  };
  for (const auto& c : cases) {
    const folded f(c.lower, c.upper, 1.0);
    EXPECT_EQ(f.status, c.status) << c.lower << " " << c.upper;
    EXPECT_EQ(f.e.density, f.before);
  }
}

}  // namespace
