// zkesloc: tests of H0: location = mu0; hfcn: the exact null distribution of the
// signed rank statistic.
//
// The signed rank statistic ranks |x - mu0| outward from mu0 in O(m), merging the walk
// down from the last value below mu0 with the walk up from the first value above it,
// so that ties across the two sides share a midrank; no sort is needed.
#include "stats/zkesloc.h"

#include <cmath>

#include "numeric/zibeta.h"
#include "numeric/zmissing.h"
#include "numeric/zpgt2.h"
#include "records/kes_valview.h"
#include "stats/kes_statconst.h"
#include "stats/kes_stats.h"
#include "stats/zkesmnt.h"

using kes_stat::EPS13;
using kes_stat::TINY;

namespace {

// Largest sum the enumeration counts up to: the reflected K never exceeds the mean
// doubled rank sum n(n + 1)/2, 210 for n = 20.
constexpr int MAXK = KES_SIGNRANK_EXACT_MAX * (KES_SIGNRANK_EXACT_MAX + 1) / 2;

int df_of(double n) { return n - 1.0 > 2147483647.0 ? 2147483647 : static_cast<int>(n - 1.0); }

// A two-sided t p-value; a failing probability routine leaves it missing.
double p_of_t2(double t2, int df) {
  const double p = zpgt2(t2, df);
  return (p < 0.0 || p > 1.0 || is_missing(p)) ? zmissing() : p;
}

}  // namespace

double hfcn(int n, int k, int ties, const int* ranks2, const int* cum, double* work1, double* work2) {
  double* oldc = work1;
  double* newc = work2;
  for (int s = 0; s <= k; ++s) oldc[s] = 0.0;
  oldc[0] = 1.0;
  const int stepw = ties ? 1 : 2;
  for (int i = 0; i < n; ++i) {
    const int r = ranks2[i];
    const int top = cum[i] < k ? cum[i] : k;
    for (int s = 0; s <= top; s += stepw) newc[s] = oldc[s] + (s >= r ? oldc[s - r] : 0.0);
    // Sums above the running total were unreachable before and stay zero.
    for (int s = top + 1; s <= k; ++s) newc[s] = oldc[s];
    double* t = oldc;
    oldc = newc;
    newc = t;
  }
  double total = 0.0;
  for (int s = 0; s <= k; s += stepw) total += oldc[s];
  return total;
}

void zkesloc_arrays(const kes_moments* mom, const kes_valview* fv, double mu0, int weighted, int ranks,
                    kes_locres* out) {
  const double miss = zmissing();
  for (double& v : out->v) v = miss;
  out->v[KES_LOC_MU0] = mu0;

  const double n_obs = mom->v[KES_MOM_N];
  const double css = mom->v[KES_MOM_CSS];
  const double sumw = mom->v[KES_MOM_SUMWGT];
  const double mean = mom->v[KES_MOM_MEAN];
  // Any positive sum of weights: the standard error is a ratio of sums in the same
  // unit of weight, the data pass's own (kes_wunit.h), in which (n - 1) SUMWGT stays
  // far inside the doubles.
  if (kes_vardef_is_df(mom->vardef) && !is_missing(css) && !is_missing(sumw) && sumw > 0.0 && n_obs > 1.0 &&
      !is_missing(mean)) {
    // The moments' std where it is had: a CSS in the subnormal range (weights of 5e-324
    // beside 1) keeps only a few bits, its root in the moments all of them.
    const double std = mom->v[KES_MOM_STD];
    const double se = is_missing(std) ? std::sqrt(css / ((n_obs - 1.0) * sumw)) : std / std::sqrt(sumw);
    if (se > 0.0) {
      const double t = (mean - mu0) / se;
      out->v[KES_LOC_T] = t;
      out->v[KES_LOC_PT] = p_of_t2(t * t, df_of(n_obs));
    }
  }
  if (weighted || !ranks || fv == nullptr) return;
  zkesloc_ranks(fv, mu0, out);
}

void zkesloc_ranks(const kes_valview* fv, double mu0, kes_locres* out) {
  if (fv->m <= 0) return;

  // Split the values at mu0.
  const int m = fv->m;
  const double* x = fv->x;
  const int* f = fv->f;
  double nb = 0.0;
  int lo = -1;  // last value below mu0
  int up = m;   // first value above mu0
  for (int i = 0; i < m; ++i) {
    if (x[i] < mu0) {
      nb += f[i];
      lo = i;
    } else if (x[i] > mu0) {
      up = i;
      break;
    }
  }
  if (lo < 0 && up >= m) {
    out->v[KES_LOC_NDIFF] = 0.0;
    out->v[KES_LOC_NABOVE] = 0.0;
    return;
  }

  int ranks2[KES_SIGNRANK_EXACT_MAX + 1];
  int cum[KES_SIGNRANK_EXACT_MAX + 1];
  int nr = 0;
  bool ties = false;
  double n = 0.0, splus = 0.0, tiesum = 0.0;
  while (lo >= 0 || up < m) {
    double t = 0.0, above = 0.0;
    if (up < m && lo >= 0) {
      const double du = x[up] - mu0;
      const double dl = mu0 - x[lo];
      if (du < dl * (1.0 - EPS13)) {
        t = above = f[up];
        ++up;
      } else if (du > dl * (1.0 + EPS13)) {
        t = f[lo];
        --lo;
      } else {
        above = f[up];
        t = above + f[lo];
        ++up;
        --lo;
      }
    } else if (up < m) {
      t = above = f[up];
      ++up;
    } else {
      t = f[lo];
      --lo;
    }
    const double midrank = n + (t + 1.0) / 2.0;
    splus += above * midrank;
    n += t;
    if (n <= KES_SIGNRANK_EXACT_MAX) {
      const int r2 = static_cast<int>(2.0 * midrank);
      for (int i = 0; i < static_cast<int>(t); ++i) {
        ranks2[nr] = r2;
        cum[nr] = (nr ? cum[nr - 1] : 0) + r2;
        ++nr;
      }
      if (t >= 2.0) ties = true;
    }
    if (t > 1.0) tiesum += (t + 1.0) * t * (t - 1.0);
  }

  const double nabove = n - nb;
  out->v[KES_LOC_NDIFF] = n;
  out->v[KES_LOC_NABOVE] = nabove;
  const double s = splus - n * (n + 1.0) / 4.0;
  out->v[KES_LOC_M] = nabove - n / 2.0;
  out->v[KES_LOC_S] = s;

  const double kk = std::fmax(nb, nabove);
  double pm, dens;
  if (zibeta(0.5, kk, n - kk + 1.0, &pm, &dens) == 0) out->v[KES_LOC_PM] = std::fmin(2.0 * pm, 1.0);

  if (n <= KES_SIGNRANK_EXACT_MAX) {
    const int ni = static_cast<int>(n);
    int k = static_cast<int>(std::lround(2.0 * splus));
    const int total = ni * (ni + 1) / 2;
    if (k == total) {
      out->v[KES_LOC_PS] = 1.0;
    } else {
      if (k > total) k = 2 * total - k;
      double w1[MAXK + 1], w2[MAXK + 1];
      out->v[KES_LOC_PS] = 2.0 * hfcn(ni, k, ties, ranks2, cum, w1, w2) / std::ldexp(1.0, ni);
    }
  } else {
    const double v = (n * (n + 1.0) * (2.0 * n + 1.0) - tiesum / 2.0) / 24.0;
    const double d = (n * v - s * s) / (n - 1.0);
    if (d > TINY) {
      const double t = std::fabs(s) / std::sqrt(d);
      out->v[KES_LOC_PS] = p_of_t2(t * t, df_of(n));
    } else {
      out->v[KES_LOC_PS] = 0.0;
    }
  }
}
