// The fitted laws' means and standard deviations keep their digits at any offset:
// every derived quantity of a fit keeps its digits at any offset.  A lognormal law
// with a threshold of 0 fitted to R's LakeHuron moved to 1.7e9 has sigma 7.75e-10,
// where exp(2 sigma^2) - exp(sigma^2) rounds to 0 (the table read Std Dev 0); a Weibull
// law with a threshold far below the data has a shape near 1e9, where
// Gamma(1 + 2/c) - Gamma(1 + 1/c)^2 does.  Reference values from mpmath at 50 digits,
// for the doubles given (the LakeHuron parameters are those the fit reports).
#include "fitreport/kes_fitmoments.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
// Within n units of the last digit of the reference.
void expect_near_ulps(double got, double want, int n) {
  EXPECT_LE(std::fabs(got - want), n * std::fabs(want) * 0x1p-52) << got << " for " << want;
}
}  // namespace

TEST(FitMoments, LognormalAtAnyOffset) {
  struct Row {
    double theta, zeta, sigma, mean, std;
  };
  const Row rows[] = {
      // LakeHuron as read and moved by 1.7e9, threshold 0.
      {0, 6.361306960895254, 0.002277210384664882, 579.0040971145095767631367, 1.3185158520649788677},
      {0, 21.25389442859916, 7.754694544075266e-10, 1700000579.004082726084486, 1.3182985214927753087},
      // The lognormal of the examples' scores: e^(zeta + sigma^2/2) formed as one
      // exponential was 1.8 units of the last digit off.
      {0, 4.287223960764303, 0.16553383087234846, 73.76797433678857524, 12.295225313478812043},
      // A shape of 1: e^(zeta + 1/2) sqrt(e - 1), zeta 0.
      {2, 0, 1, 2 + 1.6487212707001281468, 2.1611974158950877738},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.zeta);
    const kes_fit_moments m = kes_lognormal_moments(r.theta, r.zeta, r.sigma);
    expect_near_ulps(m.mean, r.mean, 1);
    expect_near_ulps(m.std, r.std, 2);
  }
  // The bounds of the plain forms still give the missing value.
  EXPECT_TRUE(std::isnan(kes_lognormal_moments(0, 710, 0.1).std));
  EXPECT_TRUE(std::isnan(kes_lognormal_moments(0, 1, 19).std));
  EXPECT_TRUE(std::isnan(kes_lognormal_moments(0, 709, 2).mean));
}

// Gamma(1 + 2t) / Gamma(1 + t)^2 - 1 over its series and beyond it.
TEST(FitMoments, GammaRatioLessOne) {
  struct Row {
    double t, want;
  };
  const Row rows[] = {
      {0.0, 0.0},
      {1e-12, 1.6449340668458222565e-24},
      {6.25e-10, 6.4255236927564663217e-19},
      {1e-06, 1.6449316627395609936e-12},
      {0.001, 1.6425350839214270155e-6},
      {0.01, 0.0001621397055905962049},
      {0.1, 0.014474548779262858744},
      {0.2, 0.052465246244804193789},
      {0.25, 0.078705202376758713336},
      {0.3, 0.10933180137624413231},
      {0.5, 0.27323954473516268615},
      {1.0, 1.0},
      {2.0, 5.0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.t);
    if (r.want == 0.0) EXPECT_EQ(kes_gamma_ratio_m1(r.t), 0.0);
    else expect_near_ulps(kes_gamma_ratio_m1(r.t), r.want, 16);
  }
  EXPECT_TRUE(std::isnan(kes_gamma_ratio_m1(-0.5)));
  EXPECT_TRUE(std::isnan(kes_gamma_ratio_m1(std::nan(""))));
}

// sigma sqrt(Gamma(1 + 2/c) - Gamma(1 + 1/c)^2) with sigma 1, theta 0: the mean is
// Gamma(1 + 1/c).  Shapes of 1.6e9 are those of data at 1.7e9 with a threshold of 0.
TEST(FitMoments, WeibullAtAnyShape) {
  struct Row {
    double c, std, mean;
  };
  const Row rows[] = {
      {1e9, 1.2825498284843163237e-9, 0.99999999942278433609},
      {1.6e9, 8.0159364319587296084e-10, 0.99999999963924020982},
      {1e6, 1.2825481526175600866e-6, 0.99999942278532415355},
      {1e3, 0.0012808757478713503512, 0.99942377248459546611},
      {10.0, 0.11445721940300799194, 0.95135076986687318363},
      {8.0, 0.13972531744559441433, 0.94174269984970148809},
      {4.0, 0.25428620694102415835, 0.90640247705547707798},
      {3.5, 0.28473277202018318542, 0.89974717650283902599},
      {2.0, 0.46325137517610424292, 0.88622692545275801365},
      {1.0, 1.0, 1.0},
      {0.5, 4.4721359549995793928, 2.0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.c);
    const kes_fit_moments m = kes_weibull_moments(0.0, 1.0, r.c);
    expect_near_ulps(m.std, r.std, 16);
    expect_near_ulps(m.mean, r.mean, 8);
    // Moved and scaled: theta moves the mean only, sigma scales both.
    const kes_fit_moments w = kes_weibull_moments(1.7e9, 4.0, r.c);
    EXPECT_EQ(w.std, 4.0 * m.std);
    EXPECT_EQ(w.mean, 1.7e9 + 4.0 * m.mean);
  }
}
