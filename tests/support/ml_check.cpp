// The log-likelihoods and the interior-maximum check of the maximum-likelihood tests
// (see ml_check.h). Long double, so that second differences resolve the flat
// directions of a likelihood.
#include "support/ml_check.h"

#include <algorithm>
#include <cmath>

#include "records/kes_curve.h"

namespace kes_test {

long double loglik(int dist, const std::vector<double>& x, const long double* p) {
  long double l = 0;
  const long double th = p[0], sg = p[1], a = p[2], b = p[3];
  if (!(sg > 0) || !(a > 0)) return -INFINITY;
  for (double v : x) {
    const long double y = v - th, t = y / sg;
    switch (dist) {
      case KES_DIST_SU: {
        const long double u = b + a * std::asinh(t);
        l += std::log(a / sg) - 0.5L * std::log(2 * M_PIl) - 0.5L * std::log1p(t * t) - u * u / 2;
        break;
      }
      case KES_DIST_BETA:
        if (!(t > 0 && t < 1) || !(b > 0)) return -INFINITY;
        l += (a - 1) * std::log(t) + (b - 1) * std::log1p(-t) - std::log(sg) - std::lgamma(a) - std::lgamma(b) +
             std::lgamma(a + b);
        break;
      case KES_DIST_WEIBULL:
        if (!(y > 0)) return -INFINITY;
        l += std::log(a / sg) + (a - 1) * std::log(t) - std::pow(t, a);
        break;
      default:  // gamma
        if (!(y > 0)) return -INFINITY;
        l += -std::lgamma(a) - std::log(sg) + (a - 1) * std::log(t) - t;
        break;
    }
  }
  return l;
}

bool interior_maximum(int dist, const std::vector<double>& x, const double* p, int n, std::string* why) {
  const double lo = *std::min_element(x.begin(), x.end()), hi = *std::max_element(x.begin(), x.end());
  long double h[4];
  // The scale and the first shape are positive; the SU gamma, without unit, may be 0.
  h[0] = 1e-5L * (dist == KES_DIST_SU ? p[1] : lo - p[0]);
  h[1] = 1e-5L * p[1];
  h[2] = 1e-5L * p[2];
  h[3] = 1e-5L * std::fmax(std::fabs(p[3]), 0.1);
  if (dist == KES_DIST_BETA) h[1] = 1e-5L * std::fmin(p[1], p[0] + p[1] - hi);
  auto f = [&](const int* d) {
    long double q[4];
    for (int i = 0; i < 4; ++i) q[i] = p[i] + d[i] * h[i];
    return loglik(dist, x, q);
  };
  long double g[4], H[4][4];
  for (int i = 0; i < n; ++i) {
    int up[4] = {}, dn[4] = {};
    up[i] = 1, dn[i] = -1;
    g[i] = (f(up) - f(dn)) / 2;
    for (int j = 0; j < n; ++j) {
      long double e[4];
      for (int k = 0; k < 4; ++k) {
        int d[4] = {};
        d[i] += k < 2 ? 1 : -1;
        d[j] += k % 2 == 0 ? 1 : -1;
        e[k] = f(d);
      }
      H[i][j] = -(e[0] - e[1] - e[2] + e[3]) / 4;  // of -log L, per unit steps
    }
  }
  long double L[4][4] = {}, y[4], gain = 0;
  for (int j = 0; j < n; ++j) {
    long double s = H[j][j];
    for (int k = 0; k < j; ++k) s -= L[j][k] * L[j][k];
    if (!(s > 0)) {
      *why = "Hessian not negative definite";
      return false;
    }
    L[j][j] = std::sqrt(s);
    for (int i = j + 1; i < n; ++i) {
      long double t = H[i][j];
      for (int k = 0; k < j; ++k) t -= L[i][k] * L[j][k];
      L[i][j] = t / L[j][j];
    }
  }
  for (int i = 0; i < n; ++i) {
    long double t = g[i];
    for (int k = 0; k < i; ++k) t -= L[i][k] * y[k];
    y[i] = t / L[i][i];
    gain += y[i] * y[i];
  }
  *why = "Newton gain " + std::to_string(static_cast<double>(gain));
  return gain < 1e-6;
}

}  // namespace kes_test
