// zkesnrm: Shapiro-Wilk W and the EDF tests of a normal distribution for one
// variable, with p-values.
//
// The data are distinct values with frequencies; tied observations are handled a
// whole value at a time. The EDF p-values come from critical-value tables of the
// statistics after Stephens-type modifications, interpolated linearly, with a '<' or
// '>' qualifier outside the table.
#include "stats/zkesnrm.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "numeric/zferf.h"
#include "numeric/zmissing.h"
#include "numeric/zprblnm.h"
#include "numeric/zprbnrm.h"
#include "stats/engine_threads.h"
#include "stats/kes_stats.h"
#include "util/kes_ordered_map.h"

namespace {

constexpr int SW_MAXN = 2000;

// Critical values by case: upper-tail probabilities, then the rows of D, W-Sq, A-Sq.
struct edf_row {
  int k;
  double p[8];
  double c[8];
};
struct edf_case {
  edf_row d, wsq, asq;
};

constexpr edf_case EDF_TABLE[4] = {
    {{8, {0.25, 0.15, 0.10, 0.05, 0.025, 0.01, 0.005, 0.001},
      {1.019, 1.138, 1.224, 1.358, 1.48, 1.628, 1.731, 1.95}},
     {8, {0.25, 0.15, 0.10, 0.05, 0.025, 0.01, 0.005, 0.001},
      {0.209, 0.284, 0.347, 0.461, 0.581, 0.743, 0.869, 1.167}},
     {8, {0.25, 0.15, 0.10, 0.05, 0.025, 0.01, 0.005, 0.001},
      {1.248, 1.61, 1.933, 2.492, 3.07, 3.88, 4.5, 6}}},
    {{0, {}, {}},
     {8, {0.25, 0.15, 0.10, 0.05, 0.025, 0.01, 0.005, 0.0025},
      {0.094, 0.117, 0.134, 0.165, 0.197, 0.238, 0.27, 0.302}},
     {8, {0.25, 0.15, 0.10, 0.05, 0.025, 0.01, 0.005, 0.0025},
      {0.644, 0.782, 0.894, 1.087, 1.285, 1.551, 1.756, 1.964}}},
    {{0, {}, {}},
     {8, {0.25, 0.15, 0.10, 0.05, 0.025, 0.01, 0.005, 0.0025},
      {0.19, 0.263, 0.327, 0.442, 0.562, 0.725, 0.851, 0.978}},
     {8, {0.25, 0.15, 0.10, 0.05, 0.025, 0.01, 0.005, 0.0025},
      {1.072, 1.43, 1.743, 2.308, 2.898, 3.702, 4.324, 4.954}}},
    {{5, {0.15, 0.10, 0.05, 0.025, 0.01}, {0.775, 0.819, 0.895, 0.955, 1.035}},
     {7, {0.25, 0.15, 0.10, 0.05, 0.025, 0.01, 0.005},
      {0.074, 0.091, 0.104, 0.126, 0.148, 0.178, 0.201}},
     {7, {0.25, 0.15, 0.10, 0.05, 0.025, 0.01, 0.005},
      {0.47, 0.561, 0.631, 0.752, 0.873, 1.035, 1.159}}},
};

// The distinct values and their frequencies, in ascending order.
struct source {
  int m;
  const double* values;
  const int* freqs;
  int i;

  bool next(double* x, double* t) {
    if (i >= m) return false;
    *x = values[i];
    *t = freqs ? freqs[i] : 1;
    ++i;
    return true;
  }
};

// ln Phi(z) and ln(1 - Phi(z)), accurate in both tails.
void log_tails(double z, double* lf, double* lsf) {
  double lpdf;
  if (zlognrm(z, lf, lsf, &lpdf) == 0) return;
  double term;
  zprblnm(-2, &z, nullptr, &term);
  *lf = -term;
  const double mz = -z;
  zprblnm(-2, &mz, nullptr, &term);
  *lsf = -term;
}

// W from the order positions each distinct value covers, with the values and CSS in
// the unit s.
double shapiro_w(source src, int n, double css, double s) {
  double a[SW_MAXN / 2 + 1];
  if (kes_swcoef(n, a) != 0) return zmissing();
  const int h = n / 2;
  long double l = 0.0L;
  double x, t;
  long pos = 0;  // order positions covered so far (1-based position pos + 1 next)
  // The coefficients sum to zero: L is taken from deviations about a middle value,
  // exact at any offset, where the values themselves would cancel to their rounding.
  double centre = src.m > 0 ? src.values[src.m / 2] / s : 0.0;
  // Values of both signs near the largest double: their deviations would overflow.
  if (src.m > 0 && !(std::isfinite(src.values[0] / s - centre) && std::isfinite(src.values[src.m - 1] / s - centre)))
    centre = 0.0;
  while (src.next(&x, &t)) {
    long double coef = 0.0L;
    const long cnt = static_cast<long>(t);
    for (long r = 0; r < cnt && pos < n; ++r) {
      ++pos;
      if (pos <= h)
        coef -= a[pos - 1];
      else if (pos > n - h)
        coef += a[n - pos];
    }
    l += coef * static_cast<long double>(x / s - centre);
  }
  const double ld = static_cast<double>(l);
  return ld * ld / css;
}

// Per-value terms of the EDF statistics: the distribution function and its log tails.
struct edf_terms {
  double f, lf, lsf;
};

// The spread in a unit the squares fit: the data pass's CSS in the data's unit (s = 1)
// where it has one; where it left CSS missing (squares beyond the range of doubles, as
// for values near 2^900 or 2^-1000) CSS summed again in the unit of the largest
// magnitude's power of two, so that the tests are those of any other unit.
struct spread {
  double s, mean, css;  // the unit, and the mean and CSS in it
};

spread unit_spread(source src, double mean, double css) {
  if ((!is_missing(css) && std::isfinite(css)) || is_missing(mean) || src.m < 1) return {1.0, mean, css};
  const double big = std::fmax(std::fabs(src.values[0]), std::fabs(src.values[src.m - 1]));
  if (!(big > 0.0) || !std::isfinite(big)) return {1.0, mean, css};
  const double s = std::ldexp(1.0, std::ilogb(big));
  const double mu = mean / s;
  long double sum = 0.0L;
  double x, t;
  while (src.next(&x, &t)) {
    const double e = x / s - mu;
    sum += static_cast<long double>(t) * e * e;
  }
  return {s, mu, static_cast<double>(sum)};
}

void set_first(kes_nrmres* r) {
  if (r->ntests == 4) {
    r->first_stat = &r->w;
    r->first_prob = &r->pw;
  } else {
    r->first_stat = &r->d;
    r->first_prob = &r->pd;
  }
}

}  // namespace

double kes_edfinterp(double s, const double* c, const double* p, int k, char* qual) {
  *qual = ' ';
  if (k <= 0 || is_missing(s)) return zmissing();
  if (s <= c[0]) {
    *qual = '>';
    return p[0];
  }
  if (s > c[k - 1]) {
    *qual = '<';
    return p[k - 1];
  }
  int i = 1;
  while (c[i] < s) ++i;
  return p[i - 1] + (p[i] - p[i - 1]) * (s - c[i - 1]) / (c[i] - c[i - 1]);
}

void zkesnrm_arrays(int m, const kes_moments* mom, const double* values, const int* freqs, int ncase, int print,
                    double mu, double sigma, kes_nrmres* res) {
  const double miss = zmissing();
  res->ncase = ncase;
  res->mu = res->sigma = miss;
  res->w = res->d = res->wsq = res->asq = miss;
  res->pw = res->pd = res->pwsq = res->pasq = miss;
  res->out_stat = res->out_prob = miss;
  for (char& q : res->qual) q = ' ';

  const double n = mom->v[KES_MOM_N];
  const double mean = mom->v[KES_MOM_MEAN];
  const source src{m, values, freqs, 0};
  const spread u = unit_spread(src, mean, mom->v[KES_MOM_CSS]);
  res->ntests = ncase == KES_NRM_BOTH_EST && n <= SW_MAXN ? 4 : 3;
  set_first(res);

  switch (ncase) {
    case KES_NRM_BOTH_GIVEN:
      break;
    case KES_NRM_MEAN_EST:
      mu = mean;
      break;
    case KES_NRM_SIGMA_EST: {
      const double sw = mom->v[KES_MOM_SUMWGT];
      if (is_missing(mu) || is_missing(mean) || is_missing(sw) || is_missing(u.css) ||
          !(n > 0.0))
        sigma = miss;
      else
        sigma = u.s * std::sqrt((sw * (u.mean - mu / u.s) * (u.mean - mu / u.s) + u.css) / n);
      break;
    }
    case KES_NRM_BOTH_EST:
      mu = mean;
      sigma = mom->v[KES_MOM_STD];
      break;
    default:
      mu = sigma = miss;
      break;
  }
  res->mu = mu;
  res->sigma = sigma;
  if (is_missing(mu) || is_missing(sigma) || !(sigma > 0.0) || !(n > 0.0)) return;
  // No spread beyond rounding: deviations within 1000 rounding units of the mean.
  // Judging CSS against mean^2 itself instead would call standard deviations of up
  // to 3e-7 |mean| no spread (timestamps near 1.7e9 with a spread of 3 lost every test).
  // A CSS taken about the moments' centre is exact to rounding of itself: any
  // positive one is a real spread.
  const double rounding = 1000.0 * ZEPS53 * u.mean;
  if (ncase == KES_NRM_BOTH_EST &&
      (is_missing(u.css) || (!mom->has_centre && u.css <= rounding * rounding * n)))
    return;

  // Shapiro-Wilk.
  if (res->ntests == 4) {
    const int ni = static_cast<int>(n);
    if (ni == 2) {
      res->w = 1.0;
      res->pw = 1.0;
    } else if (ni >= 3) {
      double w = shapiro_w(src, ni, u.css, u.s);
      if (!is_missing(w)) {
        if (w >= 1.0) {
          res->w = 1.0;
          res->pw = 1.0;
        } else {
          res->w = w;
          res->pw = kes_swprob(w, ni);
        }
      }
    }
    res->out_stat = res->w;
    res->out_prob = res->pw;
    if (ncase == KES_NRM_BOTH_EST && print == 0) return;
  }

  // EDF statistics in one ascending pass. The distribution function and its log
  // tails of each distinct value depend on the value alone: they are computed ahead
  // on several threads; the sums run in the one serial order.
  // With both parameters estimated the values are standardized about the centre the
  // moments were taken about, whose deviations are exact at any offset; the mean as
  // the sum gives it is units of rounding off there.
  const bool centred = ncase == KES_NRM_BOTH_EST && mom->has_centre;
  const double p = mom->pivot, pd = mom->pivot_dev;
  double c = 0.0;  // cumulative proportion before the value
  double d = 0.0;
  long double wsq = 1.0L / (12.0L * n);
  long double asum = 0.0L;
  const double rt2 = std::sqrt(2.0);
  kes::ordered_map<edf_terms>(
      kes_engine_threads(), m,
      [&](long i) {
        edf_terms t;
        const double z = (centred ? (values[i] - p) - pd : values[i] - mu) / sigma;
        t.f = 0.5 + 0.5 * zferf(z / rt2);
        log_tails(z, &t.lf, &t.lsf);
        return t;
      },
      [&](long i, const edf_terms& t) {
        const double w = freqs ? freqs[i] : 1;
        const double cnext = c + w / n;
        d = std::fmax(d, std::fmax(std::fabs(t.f - c), std::fabs(t.f - cnext)));
        const long cnt = static_cast<long>(w);
        for (long j = 1; j <= cnt; ++j) {
          const double e = t.f - c - (2.0 * j - 1.0) / (2.0 * n);
          wsq += static_cast<long double>(e) * e;
        }
        const double q = c + w / (2.0 * n);
        asum += static_cast<long double>(w) * ((1.0 - q) * t.lsf + q * t.lf);
        c = cnext;
        return true;
      });
  res->d = d;
  res->wsq = static_cast<double>(wsq);
  res->asq = static_cast<double>(-n - 2.0L * asum);

  // Modified statistics and their p-values.
  const double rn = std::sqrt(n);
  double dm, wm, am;
  switch (ncase) {
    case KES_NRM_BOTH_GIVEN:
      dm = res->d * (rn + 0.12 + 0.11 / rn);
      wm = (res->wsq - 0.4 / n + 0.6 / (n * n)) * (1.0 + 1.0 / n);
      am = res->asq;
      break;
    case KES_NRM_BOTH_EST:
      dm = res->d * (rn - 0.01 + 0.85 / rn);
      wm = res->wsq * (1.0 + 0.5 / n);
      am = res->asq * (1.0 + 0.75 / n + 2.25 / (n * n));
      break;
    default:
      dm = miss;
      wm = res->wsq;
      am = res->asq;
      break;
  }
  const edf_case& tab = EDF_TABLE[ncase];
  if (tab.d.k > 0) res->pd = kes_edfinterp(dm, tab.d.c, tab.d.p, tab.d.k, &res->qual[1]);
  res->pwsq = kes_edfinterp(wm, tab.wsq.c, tab.wsq.p, tab.wsq.k, &res->qual[2]);
  if (!(ncase == KES_NRM_BOTH_GIVEN && n < 5))
    res->pasq = kes_edfinterp(am, tab.asq.c, tab.asq.p, tab.asq.k, &res->qual[3]);

  res->out_stat = *res->first_stat;
  res->out_prob = *res->first_prob;
}
