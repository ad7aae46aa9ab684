// The plug-in bandwidth: pair counts per lag from one FFT convolution of the bins
// with their reverse, density-derivative functionals as sums over the lags, pilot
// bandwidths from the normal reference, and a bracketed bisection of the equation.
#include "fit/zsjpi.h"

#include <cmath>

#include "host/host_services.h"
#include "kes_msg_names.h"
#include "numeric/zfft.h"
#include "numeric/zmissing.h"
#include "numeric/zvstride.h"
#include "records/pool_alloc.h"

namespace {

constexpr double kSqrt2Pi = 2.5066282746310007;
constexpr double kSqrtPi = 2.5066282746310007 / 1.4142135623730951;
constexpr int kFlagsTrials = 0x3004;
constexpr int kFlagsLags = 0x3006;

struct lagsums {
  int m;           // lags 0 .. m-1
  double n;        // observations
  double step;     // grid spacing
  const double* pairs;  // ordered pairs per lag
  double* terms;   // work: one term per lag
};

// Functional estimate of order r at pilot bandwidth g: the sum over lags of pairs
// times He_r(u) phi(u), u = lag / g, over n^2 g^(r+1).
double functional(const lagsums& s, int r, double g) {
  for (int k = 0; k < s.m; ++k) {
    const double u = k * s.step / g;
    double h0 = 1.0, h1 = u;
    for (int i = 1; i < r; ++i) {
      const double h2 = u * h1 - i * h0;
      h0 = h1;
      h1 = h2;
    }
    s.terms[k] = (r == 0 ? 1.0 : h1) * std::exp(-0.5 * u * u) / kSqrt2Pi;
  }
  return zinner(s.pairs, s.terms, s.m) / (s.n * s.n * std::pow(g, r + 1));
}

// Pairs per lag: the convolution of the counts with their reverse, by transform.
void pair_counts(const double* counts, int m, int p, double* work, double* pairs) {
  double* ar = work;
  double* ai = work + p;
  double* br = work + 2 * p;
  double* bi = work + 3 * p;
  for (int j = 0; j < p; ++j) {
    ar[j] = j < m ? counts[j] : 0.0;
    br[j] = j < m ? counts[m - 1 - j] : 0.0;
    ai[j] = bi[j] = 0.0;
  }
  zfft(ar, ai, p, p, p, -1);
  zfft(br, bi, p, p, p, -1);
  for (int j = 0; j < p; ++j) {
    const double re = ar[j] * br[j] - ai[j] * bi[j];
    ai[j] = ar[j] * bi[j] + ai[j] * br[j];
    ar[j] = re;
  }
  zfft(ar, ai, p, p, p, 1);
  pairs[0] = ar[m - 1] / p;
  for (int k = 1; k < m; ++k) pairs[k] = 2.0 * ar[m - 1 + k] / p;
}

}  // namespace

double zsjpi(const double* counts, int m, double a, double b, double hmax, double hmin, int trials, double tol) {
  host_pool* pool = v_global_gcb_anchor != nullptr ? v_global_gcb_anchor->taskpool : nullptr;
  int p = 1;
  while (p < 2 * m + 1) p *= 2;
  const long trial_bytes = 8L * 4 * trials;
  const long lag_bytes = 8L * 6 * p;
  auto* trial = static_cast<double*>(vmalcp_handler(pool, trial_bytes, kFlagsTrials));
  if (trial == nullptr) {
    xmemmsg(trial_bytes);
    return zmissing();
  }
  auto* work = static_cast<double*>(vmalcp_handler(pool, lag_bytes, kFlagsLags));
  if (work == nullptr) {
    xmemmsg(lag_bytes);
    vmfree_handler(pool, trial, -1, KES_FREE_FLAGS);
    return zmissing();
  }
  double* hs = trial;
  double* logs = trial + trials;
  double* alphas = trial + 2 * trials;
  double* resid = trial + 3 * trials;

  // The binned moments are taken about the grid's centre, in steps, and the spread
  // about their mean: sums of x and x^2 at the points themselves cancel when the data
  // lie far from 0 (values near 2e9 changed the bandwidth by a factor of two).
  const double step = (b - a) / (m - 1);
  const double mid = (m - 1) / 2.0;
  double n = 0, s1 = 0;
  for (int j = 0; j < m; ++j) {
    n += counts[j];
    s1 += counts[j] * (j - mid);
  }
  const double mean = s1 / n;
  double ss = 0;
  for (int j = 0; j < m; ++j) ss += counts[j] * (j - mid - mean) * (j - mid - mean);
  const double sigma = std::sqrt(ss / n) * step;

  double* pairs = work + 4 * p;
  pair_counts(counts, m, p, work, pairs);
  const lagsums sums{m, n, step, pairs, work + 5 * p};

  const double g2 = std::pow(6.0 / (n * kSqrt2Pi * 15.0 / (16.0 * kSqrtPi * std::pow(sigma, 7))), 1.0 / 7.0);
  const double g1 = std::pow(30.0 / (n * kSqrt2Pi * 105.0 / (32.0 * kSqrtPi * std::pow(sigma, 9))), 1.0 / 9.0);
  const double psi4 = functional(sums, 4, g2);
  const double psi6 = functional(sums, 6, g1);
  const double c = std::pow((6.0 / kSqrt2Pi) * psi4 / (ZSJ_RK * -psi6), 1.0 / 7.0);
  auto residual = [&](double h, double* alpha) {
    *alpha = c * std::pow(h, 5.0 / 7.0);
    return h - std::pow(ZSJ_RK / (n * functional(sums, 4, *alpha)), 0.2);
  };

  const double l0 = std::log10(hmin), l1 = std::log10(hmax);
  for (int j = 0; j < trials; ++j) {
    logs[j] = j == 0 || trials < 2 ? l0 : l0 + j * (l1 - l0) / (trials - 1);
    hs[j] = j == 0 ? hmin : std::pow(10.0, logs[j]);
    resid[j] = residual(hs[j], &alphas[j]);
  }
  int found = 0;
  for (int j = trials - 1; j >= 1 && found == 0; --j)
    if (resid[j] > 0 && resid[j - 1] < 0) found = j;

  double h = hmax;
  if (found == 0) {
    xpmlog(KES_SET_SOLVE, KES_MSG_PLUGIN_BANDWIDTH_NO_ROOT);
  } else {
    if (tol < 10 * ZEPS53) tol = 10 * ZEPS53;
    double lo = hs[found - 1], hi = hs[found];
    h = 0.5 * (lo + hi);
    for (int it = 0; it < 100 && hi - lo > tol; ++it) {
      h = 0.5 * (lo + hi);
      double alpha;
      if (residual(h, &alpha) > 0) hi = h;
      else lo = h;
    }
  }
  vmfree_handler(pool, work, -1, KES_FREE_FLAGS);
  vmfree_handler(pool, trial, -1, KES_FREE_FLAGS);
  return h;
}
