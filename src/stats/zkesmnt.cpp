// zkesmnt: moments under the VARDEF= divisor; zvardiv: the divisor itself.
//
// Skewness and kurtosis come from a second pass over the distinct values with the
// final mean and std, not from power sums, which lose all accuracy when the mean is
// large against the spread.
#include "stats/zkesmnt.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "host/host_services.h"
#include "host/step_codes.h"
#include "numeric/zmissing.h"
#include "records/kes_valview.h"
#include "records/kes_varsum.h"
#include "records/kes_valview.h"
#include "stats/kes_statconst.h"
#include "stats/kes_stats.h"

using kes_stat::EPS13;

bool kes_vardef_is_df(const char vardef[8]) { return std::memcmp(vardef, "DF      ", 8) == 0; }
bool kes_vardef_is_n(const char vardef[8]) { return std::memcmp(vardef, "N       ", 8) == 0; }

double zvardiv(const char vardef[8], double n, double one, double sumwgt) {
  double d;
  switch (vardef[1]) {
    case 'F':
      d = n - one;
      break;
    case ' ':
    case '\0':
      d = n;
      break;
    case 'E':
    case 'G':
      d = sumwgt;
      break;
    case 'D':
      d = sumwgt - one;
      // A divisor lost in the rounding of sumwgt is no divisor.
      if (0.0001 * (sumwgt - one) + one == one) d = 0.0;
      break;
    default: {
      char text[64];
      std::snprintf(text, sizeof text, "ERROR: impossible vardef, was %.8s.", vardef);
      xebug(text);
      xexit(KES_RC_INTERNAL, -1);
      return 0.0;
    }
  }
  return d < 0.0 ? 0.0 : d;
}

namespace {

// The moments; powers(mean, std, &s3, &s4) sums the standardized third and fourth
// powers over the distinct values in ascending order, or returns false when it cannot
// (skewness and kurtosis then stay missing); root(mean, counts, &scale, &c) gives the
// corrected sum of squares of the distinct values as scale^2 c (each observation
// weighted by its frequency alone when counts is set), or returns false when there
// are none.
template <class Powers, class Root>
int moments(const kes_varsum* rec, const char vardef[8], kes_moments* out, Powers powers, Root root) {
  const double miss = zmissing();
  double* m = out->v;
  for (int i = 0; i < KES_MOM_NCELLS; ++i) m[i] = miss;
  std::memcpy(out->vardef, vardef, 8);
  const double n = rec->n;
  m[KES_MOM_N] = n;
  m[KES_MOM_NMISS] = rec->nmiss;
  m[KES_MOM_NOBS] = rec->nobs;
  m[KES_MOM_SUMWGT] = rec->sumwgt;
  m[KES_MOM_SUM] = rec->sum;
  m[KES_MOM_USS] = rec->uss;
  m[KES_MOM_CSS] = rec->css;

  int result = KES_MNT_OK;
  const double sumwgt = rec->sumwgt;
  // Any positive sum of weights divides: a common factor of the weights, however
  // small, changes no ratio of weighted sums.
  if (is_missing(sumwgt) || !(sumwgt > 0.0)) return result;

  double mean = miss;
  if (!is_missing(rec->sum)) mean = rec->sum / sumwgt;
  // The mean lies within the values; the rounded ratio of the sums may not (ten values
  // of 0.1 sum to 0.9999999999999999), so it is held to their range.
  if (!is_missing(mean) && rec->view != nullptr && rec->view->m > 0 && rec->view->x != nullptr)
    mean = std::clamp(mean, rec->view->x[0], rec->view->x[rec->view->m - 1]);
  double d = zvardiv(vardef, n, 1.0, sumwgt);
  // The record's weighted sums are kept in units of 2^wexp (kes_wunit.h): every ratio
  // of them is free of the unit but the one subtracting a weight of one.
  if (vardef[1] == 'D' && rec->wexp != 0) {
    const double w = std::ldexp(sumwgt, rec->wexp);
    d = std::isfinite(w) ? std::ldexp(zvardiv(vardef, n, 1.0, w), -rec->wexp) : sumwgt;
  }

  // The mean's rounding test judges CSS in the units of the data: weighted sums are
  // first brought to weights that add up to N (without weights they already do), so
  // that the scale of the weights cannot decide it.
  const bool weighted = rec->weight_given != 0;
  const double dn = weighted ? zvardiv(vardef, n, 1.0, n) : d;
  // The variance's rounding test judges the values' own spread about the mean: with
  // weights each observation counts once, as without, so that neither the scale nor a
  // mix of scales of the weights decides it (weights 1e-300, 1, 1e300 on 1, 2, 3 give
  // the variance of their values).
  auto values_round = [&](double r) {
    double rs = 0.0, rc = 0.0;
    if (weighted && !root(mean, true, &rs, &rc)) return false;
    return (weighted ? rs * std::sqrt(rc / dn) : r / std::sqrt(d)) <= EPS13 * std::fabs(mean);
  };

  // CSS from the distinct values, as root gives it, wherever the pass's sum is had:
  // free of the running mean's rounding, which loses digits to a mean far from the
  // spread and depends on the order of the weights. r is its root (deviations near the
  // smallest doubles square to nothing or to a few bits, their root does not).
  double css = rec->css;
  double r = 0.0, scale = 0.0, c2 = 0.0;
  const bool from_values = !is_missing(css) && !is_missing(mean) && root(mean, false, &scale, &c2);
  if (from_values) {
    css = scale * (scale * c2);
    r = scale * std::sqrt(c2);
  }
  m[KES_MOM_CSS] = css;
  if (!is_missing(css) && !is_missing(mean) && d > 0.0 && dn > 0.0 &&
      (from_values ? r > 0.0 && values_round(r) : css > 0.0 && d * (EPS13 * mean) * (EPS13 * mean) >= css)) {
    css = r = 0.0;
    m[KES_MOM_CSS] = 0.0;
    result = KES_MNT_VAR_ZEROED;
  }

  double std = miss;
  if (d > 0.0 && !is_missing(css)) {
    const double var = css / d;
    const bool tiny = from_values && var < DBL_MIN;
    std = tiny ? r / std::sqrt(d) : std::sqrt(var);
    const double std_units = !weighted || !(dn > 0.0) ? std
                             : tiny                ? r / std::sqrt(sumwgt) * std::sqrt(n / dn)
                                                   : std::sqrt(css / sumwgt * n / dn);
    m[KES_MOM_VAR] = var;
    m[KES_MOM_STD] = std;
    if (!is_missing(mean) && mean != 0.0 && std::fabs(mean) <= EPS13 * std_units) {
      mean = 0.0;
      result = KES_MNT_MEAN_ZEROED;
    }
    if (kes_vardef_is_df(vardef)) m[KES_MOM_STDMEAN] = std / std::sqrt(sumwgt);
    if (!is_missing(mean) && mean != 0.0) m[KES_MOM_CV] = 100.0 * std / mean;
  }
  m[KES_MOM_MEAN] = mean;

  const bool df = kes_vardef_is_df(vardef);
  if (is_missing(css) || !(df || kes_vardef_is_n(vardef)) || is_missing(std) || !(std > 0.0) || is_missing(mean))
    return result;

  double s3 = 0.0, s4 = 0.0;
  if (!powers(mean, std, &s3, &s4)) return result;
  const double a = df ? n - 1.0 : n;
  const double b = df ? n - 2.0 : n;
  const double c = df ? n - 3.0 : n;
  if (b > EPS13) m[KES_MOM_SKEW] = std::fabs(s3) <= EPS13 * n ? 0.0 : n / (a * b) * s3;
  if (c > EPS13) {
    if (df)
      m[KES_MOM_KURT] = n * (n + 1.0) / ((n - 1.0) * (n - 2.0) * (n - 3.0)) * s4 -
                        3.0 * (n - 1.0) * (n - 1.0) / ((n - 2.0) * (n - 3.0));
    else
      m[KES_MOM_KURT] = s4 / n - 3.0;
  }
  return result;
}

}  // namespace

int zkesmnt_arrays(const kes_varsum* rec, const char vardef[8], const kes_valview* fv, kes_moments* out) {
  return moments(rec, vardef, out, [fv](double mean, double std, double* s3, double* s4) {
    if (fv == nullptr) return false;
    double a = 0.0, b = 0.0;
    kes_view_powers powers(*fv);
    for (int i = 0; i < fv->m; ++i) {
      const double z = (fv->x[i] - mean) / std;
      const double z2 = z * z;
      if (fv->w != nullptr) {
        double w15, w2;
        powers.at(i, &w15, &w2);
        a += w15 * z2 * z;
        b += w2 * z2 * z2;
      } else {
        a += fv->f[i] * z2 * z;
        b += fv->f[i] * z2 * z2;
      }
    }
    *s3 = a;
    *s4 = b;
    return true;
  }, [fv](double mean, bool counts, double* scale, double* c) {
    // About the mean less the values' mean deviation (the mean's own rounding), on
    // deviations scaled by the largest.
    if (fv == nullptr || fv->m < 1) return false;
    const double s = std::fmax(std::fabs(fv->x[0] - mean), std::fabs(fv->x[fv->m - 1] - mean));
    if (!std::isfinite(s)) return false;
    *scale = s;
    *c = 0.0;
    if (!(s > 0.0)) return true;
    double sw = 0.0, s1 = 0.0, s2 = 0.0;
    for (int i = 0; i < fv->m; ++i) {
      const double z = (fv->x[i] - mean) / s;
      const double w = fv->w != nullptr && !counts ? fv->w[i] : fv->f[i];
      sw += w;
      s1 += w * z;
      s2 += w * z * z;
    }
    if (sw > 0.0) *c = std::fmax(s2 - s1 / sw * s1, 0.0);
    return true;
  });
}
