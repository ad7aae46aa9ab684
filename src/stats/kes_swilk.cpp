// Shapiro-Wilk coefficients and the p-value of W.
//
// Up to 11 observations the coefficients are the exact ones; from 12 on they come
// from the normal scores with Royston's polynomial corrections of the two outermost
// coefficients, which keeps the sum of squares of all coefficients at 1. The p-value
// uses Royston's normalizing transformations of W.
#include <cmath>

#include "host/kes_math_constants.h"
#include "numeric/zferf.h"
#include "numeric/zmissing.h"
#include "numeric/zprobit.h"
#include "stats/zkesnrm.h"

namespace {


// Upper-half coefficients for n = 3 .. 11, one row after another; the row for n starts
// at h^2 - 2 (n even) or h^2 + h - 2 (n odd), h = floor(n/2).
constexpr double SCORE0[34] = {
    0.707106781187, 0,                                                        // 3
    0.687264285908, 0.166336410069,                                           // 4
    0.664639260403, 0.241360008142, 0,                                        // 5
    0.642971230118, 0.280712145257, 0.088253548063,                           // 6
    0.623105807215, 0.303021868279, 0.141127248819, 0,                        // 7
    0.605060857268, 0.316302635797, 0.175109936497, 0.05648461498,            // 8
    0.588664248985, 0.32428797492,  0.198153353416, 0.095115507773, 0,        // 9
    0.57371470669,  0.328969951619, 0.214349124845, 0.122790686053, 0.040088731027,  // 10
    0.560025328255, 0.331498601625, 0.22601153453,  0.143290278269, 0.069763824771,
    0,  // 11
};

double poly(const double* c, int nc, double x) {
  double r = c[nc - 1];
  for (int i = nc - 2; i >= 0; --i) r = r * x + c[i];
  return r;
}

}  // namespace

int kes_swcoef(int n, double* a) {
  if (n < 3 || n > 2000) return 1;
  const int h = n / 2;
  if (n < 12) {
    const int start = n % 2 == 0 ? h * h - 2 : h * h + h - 2;
    const int len = (n + 1) / 2;
    for (int i = 0; i < len; ++i) a[i] = SCORE0[start + i];
    return 0;
  }
  // Normal scores of the upper half, largest first.
  double s = 0.0;
  for (int i = 1; i <= h; ++i) {
    const double mi = -zprobit((i - 0.375) / (n + 0.25));
    a[i - 1] = mi;
    s += 2.0 * mi * mi;
  }
  const double m1 = a[0], m2 = a[1];
  const double u = 1.0 / std::sqrt(static_cast<double>(n));
  const double rs = std::sqrt(s);
  const double c1[6] = {0.0, 0.221157, -0.147981, -2.07119, 4.434685, -2.706056};
  const double c2[6] = {0.0, 0.042981, -0.293762, -1.752461, 5.682633, -3.582633};
  const double an = m1 / rs + poly(c1, 6, u);
  const double an1 = m2 / rs + poly(c2, 6, u);
  const double phi = (s - 2.0 * m1 * m1 - 2.0 * m2 * m2) / (1.0 - 2.0 * an * an - 2.0 * an1 * an1);
  const double rphi = std::sqrt(phi);
  a[0] = an;
  a[1] = an1;
  for (int i = 2; i < h; ++i) a[i] = a[i] / rphi;
  if (n % 2 == 1) a[h] = 0.0;
  return 0;
}

double kes_swprob(double w, int n) {
  if (n < 3 || n > 2000 || is_missing(w)) return zmissing();
  if (w >= 1.0) return 1.0;
  if (n == 3) {
    const double p = (6.0 / KES_PI) * (std::asin(std::sqrt(w)) - std::asin(std::sqrt(0.75)));
    return p < 0.0 ? 0.0 : p;
  }
  double y, mu, sigma;
  const double dn = n;
  if (n <= 11) {
    const double gamma = -2.273 + 0.459 * dn;
    const double t = gamma - std::log(1.0 - w);
    // W so small that the transformation has no value left: far in the lower tail.
    if (!(t > 0.0)) return 0.0;
    y = -std::log(t);
    mu = 0.544 - 0.39978 * dn + 0.025054 * dn * dn - 0.0006714 * dn * dn * dn;
    sigma = std::exp(1.3822 - 0.77857 * dn + 0.062767 * dn * dn - 0.0020322 * dn * dn * dn);
  } else {
    const double v = std::log(dn);
    y = std::log(1.0 - w);
    mu = -1.5861 - 0.31082 * v - 0.083751 * v * v + 0.0038915 * v * v * v;
    sigma = std::exp(-0.4803 - 0.082676 * v + 0.0030302 * v * v);
  }
  const double z = (y - mu) / sigma;
  const double p = 0.5 - 0.5 * zferf(z / std::sqrt(2.0));
  return p < 0.0 ? 0.0 : p;
}
