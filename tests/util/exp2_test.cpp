// The exact exponent operations return bit for bit what the library's do, on the
// edges of their fast case (the least and largest normal numbers, results that leave
// the normal range either way, zeros of both signs, subnormals, infinities, NaN) and
// on random bit patterns with exponents past both ends.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "util/kes_exp2.h"

namespace {

bool same(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b)); }

void expect_as_library(double x, int e) {
  EXPECT_TRUE(same(kes::ldexp(x, e), std::ldexp(x, e))) << std::hexfloat << x << " " << e;
  int a = 0, b = 0;
  const double fa = kes::frexp(x, &a), fb = std::frexp(x, &b);
  EXPECT_TRUE(same(fa, fb) && (a == b || std::isnan(x) || std::isinf(x))) << std::hexfloat << x;
  if (!std::isnan(x)) {
    EXPECT_EQ(kes::ilogb(x), std::ilogb(x)) << std::hexfloat << x;
  }
}

TEST(Exp2, EdgesOfTheFastCaseAsTheLibrary) {
  const double inf = std::numeric_limits<double>::infinity();
  const double xs[] = {1.0,      -1.0,     0.1,           DBL_MIN,       -DBL_MIN,   std::nextafter(DBL_MIN, 0.0),
                       DBL_MAX,  -DBL_MAX, 0.0,           -0.0,          5e-324,     -5e-324,
                       inf,      -inf,     std::nan(""),  1.5 * DBL_MIN, 1e300,      1e-300};
  const int es[] = {0, 1, -1, 53, -53, 1022, -1022, 1023, -1023, 1024, -1074, -1075, 2046, -2046, 2100, -2100, 5000, -5000};
  for (double x : xs)
    for (int e : es) expect_as_library(x, e);
}

TEST(Exp2, RandomBitPatternsAsTheLibrary) {
  std::mt19937_64 g(20261208);
  for (int i = 0; i < 200000; ++i) {
    const std::uint64_t bits = g();
    double x;
    std::memcpy(&x, &bits, sizeof x);
    expect_as_library(x, static_cast<int>(g() % 4400) - 2200);
  }
}

}  // namespace
