// The texts of fitted parameters in legends read alike at any offset and in any unit:
// over generated fits, the location of x + c reads the location of x moved by c with
// the decimals it shows for x (as far as the doubles at c hold them), its scale and
// shapes read as for x; at k x every parameter shows the digits it shows for x, its
// power of ten moved. Given parameters read as given.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <random>
#include <string>

#include "records/kes_curve.h"
#include "runs/number_reading.h"
#include "util/param_text.h"

namespace {

using digits_of = kes_test::number_reading;
const auto read = kes_test::read_number;

std::string texts_of(int dist, const double p[4], const unsigned char*, int i) {
  char out[4][KES_PARAM_TEXT + 1];
  kes_law_param_texts(dist, p, out);
  return out[i];
}

TEST(ParamDigits, KnownTexts) {
  const unsigned char est[4] = {1, 1, 1, 1}, given[4] = {0, 0, 0, 0};
  const struct {
    int dist;
    double p[4];
    const unsigned char* est;
    const char* text[4];
  } rows[] = {
      // Unix seconds over one day: the mean to the standard deviation's hundredths.
      {KES_DIST_NORMAL, {1700044470.2612345, 18557.671234, NAN, NAN}, est, {"1700044470.26", "18557.67", ".", "."}},
      {KES_DIST_NORMAL, {44470.2612345, 18557.671234, NAN, NAN}, est, {"44470.26", "18557.67", ".", "."}},
      // A mean a rounding error off 169 reads 169; a scale of 7 digits keeps them.
      {KES_DIST_NORMAL, {169.00000000000003, 5.25, NAN, NAN}, est, {"169", "5.25", ".", "."}},
      {KES_DIST_WEIBULL, {0, 58996612.34, 1.234567891, NAN}, est, {"0", "5.899661E7", "1.234568", "."}},
      {KES_DIST_WEIBULL, {0, 58.99661234, 1.234567891, NAN}, est, {"0", "58.99661", "1.234568", "."}},
      // A rounded scale in E form keeps its zeros (3.000000E12, not 3E12).
      {KES_DIST_EXPONENTIAL, {1e15 + 2.5, 3000000400000.0, NAN, NAN}, est, {"1000000000000000", "3.000000E12", ".", "."}},
      // Given parameters read as given where their digits end at the place or before.
      {KES_DIST_NORMAL, {1700000000.125, 0.1, NAN, NAN}, given, {"1700000000.125", "0.1", ".", "."}},
      {KES_DIST_GAMMA, {0, 6.478729123, 1.52263, NAN}, given, {"0", "6.478729", "1.52263", "."}},
  };
  for (const auto& r : rows)
    for (int i = 0; i < 4; ++i) EXPECT_EQ(texts_of(r.dist, r.p, r.est, i), r.text[i]) << r.p[0] << " " << i;
}

TEST(ParamDigits, GeneratedFitsReadAlikeMovedAndScaled) {
  std::mt19937_64 g(20261209);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  const unsigned char est[4] = {1, 1, 1, 1};
  const int laws[] = {KES_DIST_NORMAL, KES_DIST_EXPONENTIAL, KES_DIST_WEIBULL, KES_DIST_GAMMA, KES_DIST_BETA,
                      KES_DIST_SU};
  int checked = 0, split = 0;
  for (int n = 0; n < 3000; ++n) {
    const int dist = laws[n % std::size(laws)];
    const double scale = std::ldexp(0.5 + u(g), static_cast<int>(u(g) * 30) - 15);
    const double loc = (u(g) - 0.3) * scale * 20;
    const double p[4] = {loc, scale, 0.2 + 5 * u(g), 0.2 + 5 * u(g)};
    // The last digit a location shows: the scale's seventh significant digit.
    const int place = read(texts_of(dist, p, est, 1)).exp - 6;
    const std::string base = texts_of(dist, p, est, 0);
    EXPECT_LE(std::fabs(std::strtod(base.c_str(), nullptr) - loc), std::pow(10.0, place) / 2 * (1 + 1e-9)) << base;
    for (double c : {1e6, 1.7e9, 1e15}) {
      const double q[4] = {loc + c, scale, p[2], p[3]};
      const std::string t = texts_of(dist, q, est, 0);
      const digits_of at = read(t);
      // The doubles at c hold the digits down to the unit of their spacing.
      const double ulp = std::nextafter(c, INFINITY) - c;
      const int held = std::max(place, static_cast<int>(std::ceil(std::log10(ulp))));
      SCOPED_TRACE(base + " + " + std::to_string(c) + " -> " + t);
      EXPECT_LE(at.decimals, -held);
      EXPECT_LE(std::fabs(std::strtod(t.c_str(), nullptr) - q[0]), std::pow(10.0, held) / 2 + ulp);
      for (int i = 1; i < 4; ++i) EXPECT_EQ(texts_of(dist, q, est, i), texts_of(dist, p, est, i));
      ++checked;
    }
    for (int e : {6, -6}) {
      const double k = std::pow(10.0, e);
      const double q[4] = {loc * k, scale * k, p[2], p[3]};
      for (int i = 0; i < 4; ++i) {
        const digits_of a = read(texts_of(dist, p, est, i)), b = read(texts_of(dist, q, est, i));
        SCOPED_TRACE(texts_of(dist, p, est, i) + " x 1e" + std::to_string(e) + " -> " + texts_of(dist, q, est, i));
        // Unit-free shapes read the same; scaled ones the same digits a power moved.
        // (A product k x v may round across a digit's half: one in a few thousand.)
        if (a.digits != b.digits) {
          ++split;
          continue;
        }
        if (!a.digits.empty()) {
          EXPECT_EQ(b.exp, a.exp + (i < 2 ? e : 0));
        }
      }
    }
  }
  EXPECT_EQ(checked, 9000);
  EXPECT_LE(split, 24);  // of 24000 scaled texts
}

TEST(ParamDigits, ValuesNearTheEndsOfTheDoublesReadAsThemselves) {
  // Each text fits its field and reads back within half a unit of its last digit (a
  // scale's seventh significant digit), however far the values lie from 1.
  const double scales[] = {5e-324, 2.5e-310, 1e-200, 3.3, 1e200, 1.7e308};
  for (double scale : scales)
    for (double loc : {0.0, -scale * 7.25, scale * 1e6, 1.7e9, -1e300, 1e-300}) {
      if (!std::isfinite(loc)) continue;
      const double p[4] = {loc, scale, 1.5, 0.25};
      for (int i = 0; i < 4; ++i) {
        const std::string t = texts_of(KES_DIST_BETA, p, nullptr, i);
        SCOPED_TRACE(std::to_string(i) + ": " + t);
        ASSERT_FALSE(t.empty());
        EXPECT_LE(t.size(), static_cast<std::size_t>(KES_PARAM_TEXT));
        const double back = std::strtod(t.c_str(), nullptr), v = p[i];
        const double unit = std::pow(10.0, read(t).exp - 6);
        // A location reads to its scale's digit or coarser: within half a unit there,
        // or half the scale's own unit where it is finer than the location's.
        if (i > 0) EXPECT_LE(std::fabs(back - v), unit / 2 * (1 + 1e-9) + 5e-324) << v;
        else EXPECT_TRUE(std::isfinite(back)) << v;
      }
    }
  char out[4][KES_PARAM_TEXT + 1];
  const double missing[4] = {NAN, INFINITY, -INFINITY, NAN};
  kes_law_param_texts(KES_DIST_NORMAL, missing, out);
  EXPECT_STREQ(out[0], ".");
  EXPECT_STREQ(out[1], "Inf");
  EXPECT_STREQ(out[2], "-Inf");
}

TEST(ParamDigits, LognormalZetaReadsTheLogarithmMovedByTheUnit) {
  // Zeta, the logarithm of the scale, moves by log k in unit k and reads six decimals
  // in every unit; the threshold reads to exp(zeta)'s seventh digit, the shape sigma
  // the same everywhere.
  std::mt19937_64 g(85);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  for (int n = 0; n < 2000; ++n) {
    const double zeta = 6 * u(g) - 3, sigma = 0.05 + u(g), theta = 10 * u(g) * std::exp(zeta);
    for (int e : {0, 6, -6}) {
      const double k = std::pow(10.0, e);
      const double p[4] = {theta * k, zeta + std::log(k), sigma, NAN};
      const std::string z = texts_of(KES_DIST_LOGNORMAL, p, nullptr, 1), t = texts_of(KES_DIST_LOGNORMAL, p, nullptr, 0);
      SCOPED_TRACE(z + " " + t);
      EXPECT_LE(read(z).decimals, 6);
      EXPECT_LE(std::fabs(std::strtod(z.c_str(), nullptr) - p[1]), 0.5e-6 * (1 + 1e-9));
      const double scale[4] = {0, std::exp(p[1]), NAN, NAN}, shape[4] = {0, 0, sigma, NAN};
      EXPECT_LE(read(t).decimals, std::max(0, 6 - read(texts_of(KES_DIST_NORMAL, scale, nullptr, 1)).exp));
      EXPECT_EQ(texts_of(KES_DIST_LOGNORMAL, p, nullptr, 2), texts_of(KES_DIST_LOGNORMAL, shape, nullptr, 2));
    }
  }
}

}  // namespace
