// The polylines of threshold curves for data moved by c: curve heights of x + c are
// the heights of x.  Each family (lognormal, Weibull, gamma, beta, Johnson SB; shapes
// with a peak inside and with a density unbounded at an end, which starts a step inside)
// is drawn over the same range as read and moved by 1e6, 1.7e9 and 1e15, where the moved
// values are exact (threshold, ends and mode in halves, offsets whole): every height is
// the one as read, to the bit, and every place is the point as read moved, within the
// spacing of the doubles there.  Before, a margin of 1e-7 |theta| (170 at 1.7e9) left
// such a curve 0 at every point but its peak.  Also the grid: point k is x0 + k h formed
// once, so a range and step that are short decimals give the decimals themselves.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "fit/family/kes_families.h"
#include "fitreport/kes_famsets.h"
#include "kes_gram_names.h"
#include "support/fit_fixture.h"

namespace {

using kes_test::fit_fixture;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct CurveCase {
  const char* name;
  int dist;
  double params[4];
  double mode, height;  // NaN: none stored (the mode at the threshold: the density unbounded there)
  double lo, hi;        // the range drawn, as read
};

class CurveOffset : public fit_fixture {
 protected:
  // The polyline of the case's curve with everything moved by c.
  std::vector<double> polyline(const CurveCase& k, double c, int n) {
    restart();
    request({{k.dist, 0}}, 1);
    std::vector<double> v;
    for (int i = 0; i < 40; ++i) v.push_back(c + 55.0 + (i % 20));
    kes_cell* cl = cell(v);
    bins(c + 55.0, 2.5, 10);
    kes_curve& cv = curve(cl, 0);
    for (int j = 0; j < 4; ++j) cv.params[j] = k.params[j];
    cv.params[0] += c;
    cv.mode = std::isnan(k.mode) ? kNaN : k.mode + c;
    cv.height = k.height;
    cv.fitted = 1;
    std::vector<double> p(2 * static_cast<size_t>(n));
    int count = n;
    kesgden(ctx, cl, p.data(), k.lo + c, k.hi + c, &count, 0);
    p.resize(2 * static_cast<size_t>(count));
    return p;
  }
};

const CurveCase kCases[] = {
    {"lognormal", KES_DIST_LOGNORMAL, {50.5, 2.5, 0.5, 0}, kNaN, kNaN, 50.5, 80.5},
    {"lognormal, peak", KES_DIST_LOGNORMAL, {50.5, 2.5, 0.5, 0}, 60.5, 3.25, 50.5, 80.5},
    {"weibull", KES_DIST_WEIBULL, {50.5, 6.5, 1.5, 0}, kNaN, kNaN, 50.5, 80.5},
    {"weibull, unbounded at theta", KES_DIST_WEIBULL, {50.5, 6.5, 0.8, 0}, 50.5, kNaN, 50.5, 80.5},
    {"gamma", KES_DIST_GAMMA, {50.5, 6.478729, 1.52263, 0}, kNaN, kNaN, 50.5, 80.5},
    {"gamma, unbounded at theta", KES_DIST_GAMMA, {50.5, 6.478729, 0.7, 0}, 50.5, kNaN, 50.5, 80.5},
    {"beta", KES_DIST_BETA, {50.5, 30, 2, 3}, kNaN, kNaN, 50.5, 80.5},
    {"beta, unbounded at both ends", KES_DIST_BETA, {50.5, 30, 0.7, 0.8}, kNaN, kNaN, 50.5, 80.5},
    {"johnson sb", KES_DIST_SB, {50.5, 30, 1.2, 0.3}, kNaN, kNaN, 50.5, 80.5},
    {"gamma, range past the threshold", KES_DIST_GAMMA, {50.5, 6.478729, 1.52263, 0}, kNaN, kNaN, 40, 90},
};

TEST_F(CurveOffset, HeightsOfXPlusCAreTheHeightsOfX) {
  for (const CurveCase& k : kCases) {
    SCOPED_TRACE(k.name);
    const std::vector<double> read = polyline(k, 0.0, 200);
    ASSERT_GE(read.size(), 2u * 199);
    int positive = 0;
    for (size_t i = 1; i < read.size(); i += 2) positive += read[i] > 0.0;
    EXPECT_GT(positive, 150);  // a whole curve, not a spike
    for (const double c : {1e6, 1.7e9, 1e15}) {
      SCOPED_TRACE(c);
      const std::vector<double> moved = polyline(k, c, 200);
      ASSERT_EQ(moved.size(), read.size());
      const double spacing = std::nextafter(c + 100.0, HUGE_VAL) - (c + 100.0);
      for (size_t i = 0; i < read.size(); i += 2) {
        ASSERT_EQ(moved[i + 1], read[i + 1]) << "point " << i / 2 << " at " << read[i];
        ASSERT_LE(std::fabs(moved[i] - (read[i] + c)), spacing) << "point " << i / 2;
      }
      // The far end is the range's own end, moved (the beta's a step inside it).
      if (k.dist != KES_DIST_BETA) {
        EXPECT_EQ(moved[moved.size() - 2], read[read.size() - 2] + c);
      }
    }
  }
}

// A beta law whose upper end theta + sigma the doubles at the offset round (sigma 29.9):
// the range drawn ends there, as the renderers clip it, a little short of the edge or
// past it, and the curve still ends a step inside, at a height near that as read (a
// test for the end at the edge within 2^-53 sigma left it 0 there).
TEST_F(CurveOffset, ABetaCurveEndsInsideWhereItsUpperEndIsRounded) {
  const double theta = 50.5, sigma = 29.9;
  double last_read = 0.0;
  for (const double c : {0.0, 1e6, 1.7e9}) {
    SCOPED_TRACE(c);
    const CurveCase k = {"beta", KES_DIST_BETA, {theta, sigma, 2, 0.8}, kNaN, kNaN, theta, (theta + c) + sigma - c};
    const std::vector<double> p = polyline(k, c, 200);
    ASSERT_EQ(p.size(), 2u * 200);
    const double last = p.back();
    EXPECT_GT(last, 0.0);
    if (c == 0.0) last_read = last;
    EXPECT_NEAR(last, last_read, 0.05 * last_read);
  }
}

// Point k of a curve over [10, 30] in 200 steps of 0.1 is the double nearest 10 + k/10
// (a sum of steps ends at 29.999999999999794 instead of 30 - 0.1, and at 1.7e9 about 100
// units of the last digit off); the last point is 30 itself.
TEST_F(CurveOffset, GridPointsAreTheGridsDecimals) {
  for (const double c : {0.0, 1.7e9}) {
    SCOPED_TRACE(c);
    const CurveCase k = {"normal", KES_DIST_NORMAL, {20, 4, 0, 0}, kNaN, kNaN, 10, 30};
    const std::vector<double> p = polyline(k, c, 201);
    ASSERT_EQ(p.size(), 2u * 201);
    for (int i = 0; i <= 200; ++i) {
      // c + 10 + i/10 as a decimal text, read by the library's correctly rounded strtod.
      const long long tenths = 100 + i;
      const std::string dec = std::to_string(static_cast<long long>(c) + tenths / 10) + "." +
                              std::to_string(tenths % 10);
      ASSERT_EQ(p[2 * i], std::strtod(dec.c_str(), nullptr)) << "point " << i << " " << dec;
    }
  }
}

}  // namespace
