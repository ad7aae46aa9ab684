// The grid estimate: binning codes and mass, the real transform pair, the estimate
// against R's density() (ref/density_ref.tsv) and an exact kernel sum, and the
// folding of mass at bounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>

#include "fit/zkerft.h"
#include "fit/zkernel.h"
#include "kernel_cells.h"
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
};

TEST(zkerset, ReturnCodesAndMass) {
  const struct {
    int m;
    double value;  // the last of three values; grid 0 to 4
    int status;
    double mass;   // of the binned density: m * mean * step, the mean being element 0
  } cases[] = {
      {4, 1.0, 1, 0},     {12, 1.0, 1, 0}, {1, 1.0, 1, 0}, {8, 1.0, 0, 1},
      {8, -0.5, 2, 0},    {8, 4.5, 2, 0},      // a step or more outside the grid
      {8, 3.75, 0, 2.0 / 3}, {8, 4.0, 0, 2.0 / 3},  // the last cell and hi add nothing
      {8, -0.25, 0, 2.0 / 3},                  // less than a step below lo: no cell holds it
  };
  for (const auto& c : cases) {
    const double v[3] = {0.5, 2.0, c.value};
    std::vector<double> b(16);
    EXPECT_EQ(zkerset(v, nullptr, nullptr, 3, 0.0, 4.0, nullptr, b.data(), c.m), c.status) << c.m << " " << c.value;
    if (c.status == 0) {
      EXPECT_NEAR(b[0] * 8 * 0.5, c.mass, 1e-15) << c.value;
    }
  }
}

// The inverse real transform undoes the forward one exactly (their layout and scaling
// are checked through the estimates below).
TEST(zkerft, InverseUndoesForward) {
  for (int k = 3; k <= 10; ++k) {
    std::vector<double> a(1 << k), orig(1 << k);
    for (int t = 0; t < (1 << k); ++t) orig[t] = a[t] = std::sin(0.37 * t * t) + (t % 5);
    zkerft(a.data(), 1 << k, k);
    EXPECT_NEAR(a[0], std::accumulate(orig.begin(), orig.end(), 0.0) / (1 << k), 1e-14);  // the mean
    zkerfti(a.data(), 1 << k, k);
    for (int t = 0; t < (1 << k); ++t) ASSERT_NEAR(a[t], orig[t], 1e-12) << k;
  }
}

// R's density() bins linearly and convolves by FFT too: both agree to about 1e-3 of
// the peak at R's output points (R discretises the kernel on its own finer grid).
TEST(zkerfit, AgreesWithReferenceDensity) {
  const char* names[] = {"gaussian", "triangular", "epanechnikov"};
  for (const char* sample : {"normal", "skewed"}) {
    const std::vector<double> x = kernel_test::ref_numbers(std::string("sample_") + sample + ".txt");
    for (int type = 1; type <= 3; ++type) {
      double peak = 0, err = 0, h = 0;
      std::vector<std::pair<double, double>> want;
      for (const auto& r : kernel_test::ref_rows("density_ref.tsv"))
        if (r[0] == sample && r[1] == names[type - 1]) {
          h = std::stod(r[2]);
          want.emplace_back(std::stod(r[6]), std::stod(r[7]));
          peak = std::max(peak, want.back().second);
        }
      ASSERT_EQ(want.size(), 64u);
      // R's points are every fourth point of the grid, from point 130 on.
      const double step = (want.back().first - want.front().first) / 252;
      const double lo = want.front().first - 130 * step;
      const estimate e(x, type, h, lo, lo + 512 * step, 512);
      ASSERT_EQ(e.status, 0);
      for (int i = 0; i < 64; ++i) err = std::max(err, std::abs(e.density[130 + 4 * i] - want[i].second));
      EXPECT_LT(err, 1.5e-3 * peak) << sample << " " << names[type - 1];
      EXPECT_NEAR(e.mass(), 1.0, 1e-3);
    }
  }
}

TEST(zkerfit, AgreesWithExactKernelSum) {
  const std::vector<double> x = {0.3, 1.1, 1.2, 2.9, 3.0, 3.05, 4.4, 6.0};
  auto kernel = [](int type, double u) {
    if (type == 1) return std::exp(-0.5 * u * u) / std::sqrt(2 * kPi);
    return std::abs(u) >= 1 ? 0.0 : type == 2 ? 1 - std::abs(u) : 0.75 * (1 - u * u);
  };
  for (int type = 1; type <= 3; ++type) {
    const double h = type == 1 ? 0.5 : 1.2;
    const estimate e(x, type, h, -4.0, 10.0, 1024);
    double peak = 0, err = 0;
    for (int i = 0; i < 1024; ++i) {
      double exact = 0;
      for (double v : x) exact += kernel(type, (e.grid[i] - v) / h) / (x.size() * h);
      peak = std::max(peak, exact);
      err = std::max(err, std::abs(e.density[i] - exact));
    }
    EXPECT_LT(err, 2e-3 * peak) << type;
  }
  // A bandwidth too wide for the sines leaves the zero-frequency term: a flat estimate.
  for (int type : {2, 3}) {
    const estimate e(x, type, 1e20, -4.0, 10.0, 16);
    for (double d : e.density) EXPECT_DOUBLE_EQ(d, e.density[0]) << type;
  }
}

// Folding of the normal kernel's estimate (reach 3h) of values 2 to 4, grid -2 to 8.
struct folded {
  estimate e;
  std::vector<double> before;
  int status;
  folded(double lower, double upper, double h = 0.5)
      : e({2.0, 2.2, 3.0, 3.5, 4.0}, 1, h, -2.0, 8.0, 64), before(e.density) {
    status = zkermod(1, h, 2.0, 4.0, lower, upper, e.grid.data(), e.density.data(), 64);
  }
  // Trapezoid mass from grid point i to j.
  double mass(int i, int j) const {
    double m = 0;
    for (int k = i; k < j; ++k) m += 0.5 * (e.density[k] + e.density[k + 1]) * (e.grid[1] - e.grid[0]);
    return m;
  }
};

TEST(zkermod, BoundOnAGridPointDoublesItAndKeepsTheMass) {
  const double step = 10.0 / 64;
  const folded f(-2.0 + 20 * step, zmissing());  // grid point 20, within reach of the data
  ASSERT_EQ(f.status, 0);
  EXPECT_DOUBLE_EQ(f.e.density[20], 2 * f.before[20]);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(f.e.density[i], 0.0);
  EXPECT_NEAR(f.mass(20, 63), 1.0, 2e-3);
  const folded g(zmissing(), -2.0 + 44 * step);
  ASSERT_EQ(g.status, 0);
  EXPECT_DOUBLE_EQ(g.e.density[44], 2 * g.before[44]);
  for (int i = 45; i < 64; ++i) EXPECT_EQ(g.e.density[i], 0.0);
  EXPECT_NEAR(g.mass(0, 44), 1.0, 2e-3);
  // Between grid points the mirror image is interpolated: the mass stays near 1.
  const folded both(1.3, 4.71);
  ASSERT_EQ(both.status, 0);
  EXPECT_NEAR(both.e.mass(), 1.0, 2e-2);
}

TEST(zkermod, NoBoundInsideTheGridOrOverlappingTails) {
  const struct {
    double lower, upper;
    int status;
  } cases[] = {{-2.0, 8.0, 0}, {-5.0, zmissing(), 0}, {zmissing(), zmissing(), 0},
               {1.9, 4.1, 1}};  // with h = 1 the reflected tails cross the other bound
  for (const auto& c : cases) {
    const folded f(c.lower, c.upper, 1.0);
    EXPECT_EQ(f.status, c.status) << c.lower << " " << c.upper;
    EXPECT_EQ(f.e.density, f.before);
  }
}

}  // namespace
