// The profile search's rules on profiles laid out by hand: a maximum counts only where
// the family's other parameters lie inside their bounds, and (without a largest
// distance) only where its log L stands above the limit law's and the profile's
// farther out by more than their rounding; otherwise the reason names where the
// likelihood rises.
#include <gtest/gtest.h>

#include <cmath>

#include "fit/zfit_profile.h"

namespace {

// A profile of the distance d (in ranges, the range 1): log L = h(d), its slope in
// the threshold -h'(d) (the threshold is min - d), the other parameter rest[0] = shape.
struct shaped {
  double peak_d;      // where a bump of height bump peaks (log scale, width 1 in log d)
  double bump;        // its height above the rise toward the limit
  double rise;        // log L = -rise / d^2 + bump exp(-(log d - log peak_d)^2): tends to 0
  double shape;       // rest[0]
  double noise;       // the rounding log L reports
};

zfit_profile_at at(const zfit_work*, double d, const void* ctx) {
  const shaped* s = static_cast<const shaped*>(ctx);
  const double u = std::log(d) - std::log(s->peak_d), g = s->bump * std::exp(-u * u);
  zfit_profile_at p{};
  p.logl = -s->rise / (d * d) + g;
  // dlogL/dd = 2 rise / d^3 - 2 u g / d; the slope in the threshold is its negative.
  p.slope = -(2.0 * s->rise / (d * d * d) - 2.0 * u * g / d);
  p.noise = s->noise;
  p.rest[0] = s->shape;
  p.ok = true;
  return p;
}
bool above_one(const zfit_profile_at& p, const void*) { return p.rest[0] > 1.0; }

int search(const shaped& s, double limit_logl, zfit_profile_fit* fit) {
  zfit_work w{};
  w.data_range = 1.0;
  zfit_profile_family fam{at, &s, above_one, 0.0};
  fam.limit_logl = limit_logl;
  return zfit_profile_search(&w, fam, fit);
}

TEST(ProfileRules, AMaximumCountsOnlyWithItsOtherParametersInsideTheirBounds) {
  // The same clear peak 10 ranges out, its shape inside (2) and on a bound (0.5).
  const struct {
    double shape;
    int rc;
  } rows[] = {{2.0, 0}, {0.5, 1}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.shape);
    zfit_profile_fit fit{};
    const shaped s{10.0, 1.0, 1e-6, row.shape, 0.0};
    EXPECT_EQ(search(s, -INFINITY, &fit), row.rc);
    if (row.rc == 0) {
      EXPECT_NEAR(fit.d, 10.0, 1e-6);
    } else {
      EXPECT_NE(fit.why, ZFIT_ML_MAXIMUM);
    }
  }
}

TEST(ProfileRules, AMaximumFarOutCountsOnlyAboveTheLimitLawAndTheProfileBeyondIt) {
  // log L rises toward its limit 0 at every distance; a bump at 1e5 ranges of the
  // given height above that rise, the rounding 1e-12.
  const struct {
    double bump;
    double limit;  // the limit law's log L
    int rc;
    zfit_ml_end why;
  } rows[] = {
      {1e-6, 0.0, 0, ZFIT_ML_MAXIMUM},       // a true maximum far out, above the limit
      {1e-13, 0.0, 1, ZFIT_ML_AWAY},         // below the rounding: the rise toward the limit
      {1e-6, 1e-3, 1, ZFIT_ML_AWAY},         // below the limit law
      {0.0, 0.0, 1, ZFIT_ML_AWAY},           // no bump at all
      {1e-6, -INFINITY, 0, ZFIT_ML_MAXIMUM}, // no limit law: the profile farther out rules
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.bump);
    SCOPED_TRACE(row.limit);
    zfit_profile_fit fit{};
    const shaped s{1e5, row.bump, 1e-8, 2.0, 1e-12};
    EXPECT_EQ(search(s, row.limit, &fit), row.rc);
    EXPECT_EQ(fit.why, row.why);
    if (row.rc == 0) {
      EXPECT_NEAR(fit.d, 1e5, 1.0);
    }
  }
}

}  // namespace
