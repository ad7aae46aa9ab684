// zkestwm: trimmed or winsorized mean of one variable with its standard error, t
// confidence limits and the t test of H0: mean = mu0.
//
// The middle observations are summed directly, in two passes over the distinct
// values (their sum, then their squared deviations about the result), rather than by
// subtracting the trimmed ends from the moments: those ends are the outliers the
// estimate exists to resist, and taking them away from a total that they dominate
// would cancel the middle's digits. Sums, deviations and squares are carried in long
// double, whose exponent holds the square of any double: the values are used as they
// stand, so none far below the largest is flushed by a scale, and nothing but equal
// middle values gives a standard error of zero.
#include "stats/zkestwm.h"

#include <cmath>

#include "numeric/zmissing.h"
#include "numeric/zpgt2.h"
#include "numeric/zqt.h"
#include "stats/kes_statconst.h"
#include "stats/kes_stats.h"

namespace {

// 10000 times 2^-53.
constexpr double DF_TOL = 1.11e-12;

// The distinct values in ascending order with their frequencies.
struct source {
  int m;
  const double* values;
  const int* freqs;

  template <class Visit>
  void each(Visit visit) const {
    for (int i = 0; i < m; ++i) visit(values[i], freqs ? static_cast<double>(freqs[i]) : 1.0);
  }
};

// Number of observations overlapping positions (lo, hi] for a value covering
// positions (c, c + t].
inline double overlap(double c, double t, double lo, double hi) {
  const double a = std::fmax(c, lo), b = std::fmin(c + t, hi);
  return b > a ? b - a : 0.0;
}

}  // namespace

int zkestwm_arrays(int m, const kes_moments* mom, const double* values, const int* freqs, int trimmed, double amount,
                   double mu0, double alpha, kes_twmres* res) {
  double* out = res->cell;
  const double miss = zmissing();
  for (double& v : res->cell) v = miss;
  out[KES_TWM_MU0] = mu0;
  out[KES_TWM_AMOUNT] = amount;
  out[KES_TWM_ALPHA] = alpha;

  const double n = mom->v[KES_MOM_N];
  const double sumw = mom->v[KES_MOM_SUMWGT];
  double k;
  if (amount < 0.5) {
    const double np = n * amount;
    k = std::trunc(np);
    if (np - k > kes_stat::FENCE_EPS) k += 1.0;  // a fraction within the tolerance is whole
  } else {
    k = std::trunc(amount);
  }
  out[KES_TWM_K] = k;
  out[KES_TWM_PCT] = 100.0 * k / n;
  if (!(2.0 * k < n)) return 1;
  if (is_missing(sumw)) return 0;

  // First pass: the values at positions k + 1 and N - k, and the sum of the middle.
  const source src{m, values, freqs};
  double xlow = miss, xhigh = miss;
  long double mid = 0.0L;
  double c = 0.0;
  const double lo = k, hi = n - k;  // the middle is positions (lo, hi]
  src.each([&](double x, double t) {
    if (c < lo + 1.0 && lo + 1.0 <= c + t) xlow = x;
    if (c < hi && hi <= c + t) xhigh = x;
    mid += static_cast<long double>(overlap(c, t, lo, hi)) * x;
    c += t;
  });
  if (is_missing(xlow) || is_missing(xhigh)) return 0;

  // In long double throughout: k x_high alone may pass the largest double where the
  // mean does not.
  const long double kl = k;
  const double mw = static_cast<double>((kl * xlow + mid + kl * xhigh) / sumw);
  const double mean = trimmed ? static_cast<double>(mid / (sumw - 2.0 * k)) : mw;
  out[KES_TWM_MEAN] = mean;

  // Second pass: the winsorized sum of squares about the winsorized mean, in
  // deviations from xlow: a difference of two values is exact at any offset, where
  // the mean itself is rounded to units of the spread.
  long double ssw = 0.0L;
  if (xlow != xhigh) {
    const auto rel = [&](double x) { return static_cast<long double>(x) - xlow; };
    long double midrel = 0.0L;
    c = 0.0;
    src.each([&](double x, double t) {
      midrel += static_cast<long double>(overlap(c, t, lo, hi)) * rel(x);
      c += t;
    });
    const long double mrel = (midrel + kl * rel(xhigh)) / sumw;  // the mean less xlow
    c = 0.0;
    src.each([&](double x, double t) {
      const double u = overlap(c, t, lo, hi);
      const long double d = rel(x) - mrel;
      if (u > 0.0) ssw += static_cast<long double>(u) * d * d;
      c += t;
    });
    const long double dl = -mrel, dh = rel(xhigh) - mrel;
    ssw += kl * dl * dl;
    ssw += kl * dh * dh;
  }

  const double df = n - 2.0 * k - 1.0;
  out[KES_TWM_DF] = df;
  if (df <= DF_TOL) return 0;
  // ssw is zero exactly when the middle values are equal (xlow == xhigh).
  double se;
  if (trimmed) {
    se = static_cast<double>(std::sqrt(ssw / (static_cast<long double>(df) * (df + 1.0))));
  } else {
    const long double s = std::sqrt(ssw / (static_cast<long double>(n) * (n - 1.0)));
    se = static_cast<double>(s * (n - 1.0) / df);
  }
  out[KES_TWM_SE] = se;
  if (!(se > 0.0)) return 0;

  // The difference from mu0 in long double where it passes the largest double (t
  // may not).
  const double d = mean - mu0;
  const double t = std::isfinite(d) || std::isnan(d) ? d / se
                                                     : static_cast<double>((static_cast<long double>(mean) - mu0) / se);
  if (!is_missing(t)) {  // a missing mu0 leaves the test out
    out[KES_TWM_T] = t;
    const double p = zpgt2(t * t, static_cast<int>(std::fmin(std::round(df), 2147483647.0)));
    // zpgt2 signals failure by -2, which is no probability.
    out[KES_TWM_PT] = p >= 0.0 && p <= 1.0 ? p : miss;
  }

  if (alpha > 0.0 && alpha < 1.0) {
    double tq;
    if (zqt(1.0 - alpha / 2.0, df, &tq) == 0) {
      // t_q SE as a double where it is one, else in long double (the limits may
      // still be doubles).
      const double h = tq * se;
      if (std::isfinite(h)) {
        out[KES_TWM_LCL] = mean - h;
        out[KES_TWM_UCL] = mean + h;
      } else {
        const long double half = static_cast<long double>(tq) * se;
        out[KES_TWM_LCL] = static_cast<double>(mean - half);
        out[KES_TWM_UCL] = static_cast<double>(mean + half);
      }
    }
  }
  return 0;
}
