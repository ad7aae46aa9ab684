// The kernel estimate's grid far from 0: a kernel curve of x + c is the curve of x
// moved by c.  Each grid point is the double nearest its decimal lo + i d (an
// independent decimal sum read by strtod), never a sum of i steps; and for data whose
// moved values are exact, the heights at offsets 1e6, 1.7e9 and 1e15 are those as read
// to the bit and each point is the point as read plus c, rounded once.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "fit/zkernel.h"

namespace {

// The decimal of n x 10^-7 (n an integer of up to 38 digits), read by strtod.
double decimal_double(__int128 n) {
  const bool neg = n < 0;
  unsigned __int128 a = neg ? -static_cast<unsigned __int128>(n) : n;
  std::string s;
  for (int i = 0; a > 0 || i < 8; ++i, a /= 10) {
    if (i == 7) s.insert(s.begin(), '.');
    s.insert(s.begin(), static_cast<char>('0' + static_cast<int>(a % 10)));
  }
  if (neg) s.insert(s.begin(), '-');
  return std::strtod(s.c_str(), nullptr);
}

TEST(KernelGridOffset, PointsAreTheDoublesOfTheirDecimals) {
  const struct {
    long long first, step;  // in units of 1e-7
  } grids[] = {{-13750000, 125000}, {2500000, 931250}, {122500000, 10000}, {-4990000, 70000}};
  // Far enough out that the first point has no short decimal (1e15 - 1.375) the grid is
  // the first point plus i d, which the test below holds to the data moved.
  const double offsets[] = {0, 1e6, 1.7e9};
  const int m = 512;
  for (const auto& g : grids)
    for (const double c : offsets) {
      const __int128 c7 = static_cast<__int128>(static_cast<long long>(c)) * 10000000;
      const double lo = decimal_double(c7 + g.first), d = decimal_double(g.step);
      std::vector<double> grid(m);
      zkergrid(lo, d, grid.data(), m);
      for (int i = 0; i < m; ++i)
        ASSERT_EQ(grid[i], decimal_double(c7 + g.first + static_cast<__int128>(i) * g.step))
            << "first " << g.first << " step " << g.step << " offset " << c << " point " << i;
    }
}

// The estimate of values x (and their grid) on lo - half to hi + half as the kernel
// cell takes it, folded at the bounds given (NaN: none).
struct moved_estimate {
  std::vector<double> grid, density;
  moved_estimate(const std::vector<double>& x, int type, double h, double lower, double upper) {
    const int m = 256;
    double min = x[0], max = x[0];
    for (const double v : x) min = std::fmin(min, v), max = std::fmax(max, v);
    const double half = (max - min) / 2, lo = min - half, hi = max + half;
    grid.resize(m), density.resize(m);
    std::vector<double> binned(m);
    EXPECT_EQ(zkerset(x.data(), nullptr, nullptr, static_cast<int>(x.size()), lo, hi, grid.data(), binned.data(), m),
              0);
    EXPECT_EQ(zkerfit(type, 0, h, lo, hi, binned.data(), density.data(), m), 0);
    EXPECT_EQ(zkermod(type, h, min, max, lower, upper, grid.data(), density.data(), m), 0);
  }
};

TEST(KernelGridOffset, CurveOfMovedDataIsTheCurveMoved) {
  // Eighths from 0 to 3.5: exact at every offset below 2^50, and so are the grid's
  // ends (half the range out), while its step 7 / 256 is not a multiple of the spacing
  // of the doubles at 1e15 (1/8).
  std::vector<double> x;
  for (int i = 0; i < 41; ++i) x.push_back(((i * 37) % 28) / 8.0 + (i % 3 == 0 ? 0.125 : 0.0));
  x.push_back(0), x.push_back(3.5);
  const double none = std::nan("");
  const struct {
    int type;
    double h, lower, upper;  // bounds relative to the data as read
  } kernels[] = {{1, 0.3, none, none}, {2, 0.5, none, none}, {3, 0.4, none, none}, {1, 0.3, -0.5, none},
                 {3, 0.6, none, 4.0}};
  for (const auto& k : kernels) {
    const moved_estimate read(x, k.type, k.h, k.lower, k.upper);
    for (const double c : {1e6, 1.7e9, 1e15}) {
      // A bound's fold is placed by the grid's points and their difference: at 1e15 they
      // are rounded to eighths, finer than this grid's step, and the fold moves with them.
      if (c == 1e15 && !(std::isnan(k.lower) && std::isnan(k.upper))) continue;
      std::vector<double> xc;
      for (const double v : x) xc.push_back(v + c);
      const moved_estimate moved(xc, k.type, k.h, k.lower + c, k.upper + c);
      for (std::size_t i = 0; i < read.grid.size(); ++i) {
        ASSERT_EQ(moved.grid[i], read.grid[i] + c) << "kernel " << k.type << " offset " << c << " point " << i;
        ASSERT_EQ(moved.density[i], read.density[i]) << "kernel " << k.type << " offset " << c << " point " << i;
      }
    }
  }
}

}  // namespace
