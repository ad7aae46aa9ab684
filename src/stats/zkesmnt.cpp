// zkesmnt: moments under the VARDEF= divisor; zvardiv: the divisor itself.
//
// CSS, skewness and kurtosis come from passes over the distinct values about their
// mean as the values give it, not from power sums, which lose all accuracy when the
// mean is large against the spread.
#include "stats/zkesmnt.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "host/host_services.h"
#include "host/step_codes.h"
#include "numeric/zmissing.h"
#include "numeric/wide_sum.h"
#include "records/kes_valview.h"
#include "records/kes_varsum.h"
#include "records/kes_wunit.h"
#include "stats/kes_statconst.h"
#include "stats/kes_stats.h"
#include "util/kes_exp2.h"

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

// The spread of the distinct values about their weighted mean, as the values give it:
// the mean is a value p of the list plus the weighted mean of the deviations from p
// (exact where the values lie within a factor of two of p, as values at an offset do),
// p taken twice as the value nearest the mean found so far, so that the mean
// deviation is no more than the values' spacing about the mean. Every deviation from
// that mean is then known to a unit of rounding of itself, and so is every power of it.
struct values_spread {
  double p = 0.0;      // the pivot value
  double dbar = 0.0;   // the weighted mean deviation from p
  double scale = 0.0;  // a power of two within a factor 2 of the largest |x - p - dbar|
  kes_wide_sum c;      // the corrected sum of squares over scale^2
  double sum_abs = 0.0;  // the weighted sum of |x| over the sum of weights
  // The deviation of x from the mean.
  double dev(double x) const { return (x - p) - dbar; }
};

// The weight of value i of a weighted view as m 2^e in the view's unit, m of the order
// of 1: read exact (kes_view_weight_parts) where it is not a normal number there.
void weight_of(const kes_valview& fv, int i, double* m, int* e) {
  double w = fv.w[i];
  int d = 0;
  if (!(w >= DBL_MIN)) {
    kes_view_weight_parts(fv, i, &w, &d);
    d -= fv.wexp;
  }
  *e = kes_power_unit_at(w, d);
  *m = kes::ldexp(w, d - *e);
}

double weight_at(const kes_valview& fv, int i) { return fv.w != nullptr ? fv.w[i] : fv.f[i]; }

// The value of the view nearest to y (the first of two as near).
double nearest(const kes_valview& fv, double y) {
  const double* hi = std::lower_bound(fv.x, fv.x + fv.m, y);
  if (hi == fv.x + fv.m) return fv.x[fv.m - 1];
  if (hi == fv.x || *hi - y < y - hi[-1]) return *hi;
  return hi[-1];
}

// The weighted mean deviation of the values from p; false when it is not finite.
bool mean_deviation(const kes_valview& fv, double p, double* dbar) {
  double sw = 0.0, s1 = 0.0;
  for (int i = 0; i < fv.m; ++i) {
    const double w = weight_at(fv, i);
    sw += w;
    s1 += w * (fv.x[i] - p);
  }
  *dbar = s1 / sw;
  return sw > 0.0 && std::isfinite(*dbar);
}

// Where each factor lies well inside the normal doubles, a product of them and a sum
// of such products round in plain doubles exactly as beside exponents of their own
// (kes_wide_sum): every term and partial sum is normal there, or a multiple of the
// smallest subnormal number, and scaling by a power of two commutes with rounding.
constexpr double kPlainLo = 0x1p-150, kPlainHi = 0x1p150;
bool plain_weight(double w) { return w >= kPlainLo && w <= kPlainHi; }
bool plain_ratio(double z) { return z == 0.0 || (std::fabs(z) >= 0x1p-50 && std::fabs(z) <= 0x1p50); }

// The weighted sum of the squared deviations over v.scale, each term beside an
// exponent of its own: a deviation far below the largest may carry a weight far above
// the largest deviation's, and its square must not flush.
void wide_spread(const kes_valview& fv, values_spread* v) {
  for (int i = 0; i < fv.m; ++i) {
    const double z = v->dev(fv.x[i]) / v->scale;
    double m;
    int e, ez;
    weight_of(fv, i, &m, &e);
    const double zm = kes::frexp(z, &ez);
    v->c.add(m * zm * zm, e + 2 * ez);
  }
}

// The spread of the view's values, from the mean found so far; false when there are
// none or their deviations lie beyond the doubles.
bool spread_of(const kes_valview* fv, double mean, values_spread* out) {
  if (fv == nullptr || fv->m < 1 || fv->x == nullptr) return false;
  values_spread& v = *out;
  v.p = nearest(*fv, mean);
  if (!mean_deviation(*fv, v.p, &v.dbar)) return false;
  v.p = nearest(*fv, v.p + v.dbar);
  if (!mean_deviation(*fv, v.p, &v.dbar)) return false;
  // A power of two about the largest deviation: the deviations over it are exact.
  const double big = std::fmax(std::fabs(v.dev(fv->x[0])), std::fabs(v.dev(fv->x[fv->m - 1])));
  if (!std::isfinite(big)) return false;
  v.scale = big > 0.0 ? kes::ldexp(1.0, kes::ilogb(big)) : 0.0;
  // With weights each term is formed in its weight's own unit (a weight far below the
  // largest may be a subnormal number in the view's).
  double sw = 0.0, sa = 0.0, c2 = 0.0;
  // Weights and deviations of moderate size make each term and the sum in plain
  // doubles as they round beside their exponents: that sum is taken where it holds,
  // else the terms are summed again beside their exponents.
  bool plain = v.scale > 0.0;
  for (int i = 0; i < fv->m; ++i) {
    const double w = weight_at(*fv, i);
    sw += w;
    sa += w * std::fabs(fv->x[i]);
    if (!plain) continue;
    const double z = v.dev(fv->x[i]) / v.scale;
    if (fv->w != nullptr && !(plain_weight(w) && plain_ratio(z))) {
      plain = false;
      continue;
    }
    c2 += w * z * z;
  }
  if (plain) v.c.add(c2, 0);
  else if (v.scale > 0.0) wide_spread(*fv, &v);
  v.sum_abs = sa / sw;
  // Past the doubles the largest |x| bounds it.
  if (!std::isfinite(v.sum_abs)) v.sum_abs = std::fmax(std::fabs(fv->x[0]), std::fabs(fv->x[fv->m - 1]));
  return true;
}

// May the pass's running USS of rec have lost more than its rounding? Each of its
// terms, a weight times a value squared in the weights' unit, loses at most a unit of
// the smallest subnormal number times (x^2 + |x| + 1) (the weight, the weighted value
// and the product each rounding there), and each change of the unit one more. A sum
// above 2^53 times all of that is right to rounding; below, the values give it.
bool uss_may_be_short(const kes_varsum* rec, const kes_valview& fv) {
  if (is_missing(rec->uss) || fv.m < 1 || fv.x == nullptr) return false;
  const double top = std::fmax(std::fabs(fv.x[0]), std::fabs(fv.x[fv.m - 1]));
  const double bound = kes::ldexp((top * top + top + 1.0) * (rec->n + 64.0), 53 - 1075);
  return !(rec->uss >= bound);
}

// USS from the distinct values, each term beside an exponent of its own, as
// *m 2^*e (m 0 for values all 0).
void values_uss(const kes_valview& fv, double* m, int* e) {
  kes_wide_sum u;
  for (int i = 0; i < fv.m; ++i) {
    double wm = fv.w != nullptr ? 0.0 : fv.f[i];
    int we = 0, ex;
    if (fv.w != nullptr) weight_of(fv, i, &wm, &we);
    const double xm = kes::frexp(fv.x[i], &ex);
    u.add(wm * xm * xm, we + 2 * ex);
  }
  u.parts(1.0, 1.0, m, e);
}

// The weighted sums of the standardized third and fourth powers in plain doubles, as
// the sums beside exponents would give them; false where a weight's powers or a
// standardized value lie outside the range where the two agree.
bool plain_powers(const kes_valview& fv, const values_spread& v, double std, double* s3, double* s4) {
  if (!(std >= DBL_MIN) || !std::isfinite(std)) return false;
  double a = 0.0, b = 0.0;
  int k = 0;
  kes_view_powers kept(fv);
  for (int i = 0; i < fv.m; ++i) {
    const double w = fv.w[i];
    double w15, w2;
    while (k < fv.nkept && fv.kept[k] < i) ++k;
    if (k < fv.nkept && fv.kept[k] == i) {
      // Kept sums, in the value's power unit.
      int u;
      kept.at(i, &w15, &w2, &u);
      w15 = kes::ldexp(w15, u + u / 2);
      w2 = kes::ldexp(w2, 2 * u);
      if (!plain_weight(w15) || !plain_weight(w2)) return false;
    } else {
      // Those of one weight, as kes_one_weight_powers forms them in w's power unit.
      if (!plain_weight(w)) return false;
      w15 = std::sqrt(w) * w;
      w2 = w * w;
    }
    const double z = v.dev(fv.x[i]) / std;
    if (!plain_ratio(z)) return false;
    const double z2 = z * z;
    a += w15 * z2 * z;
    b += w2 * z2 * z2;
  }
  *s3 = a;
  *s4 = b;
  return true;
}

// The sums of the standardized third and fourth powers, each value's deviation from
// the values' mean over std, times its count or its weights' sums of c^1.5 and c^2.
// With weights each term is formed beside an exponent of its own: a weight's powers
// and the powers of its standardized value may each lie beyond the doubles where
// their product does not.
// With weights std is taken as sd_m 2^sd_e, which may lie below the doubles in the
// weights' unit.
void standardized_powers(const kes_valview& fv, const values_spread& v, double std, double sd_m, int sd_e,
                         double* s3, double* s4) {
  if (fv.w == nullptr) {
    double a = 0.0, b = 0.0;
    for (int i = 0; i < fv.m; ++i) {
      const double z = v.dev(fv.x[i]) / std;
      const double z2 = z * z;
      a += fv.f[i] * z2 * z;
      b += fv.f[i] * z2 * z2;
    }
    *s3 = a;
    *s4 = b;
    return;
  }
  if (plain_powers(fv, v, kes::ldexp(sd_m, sd_e), s3, s4)) return;
  kes_wide_sum a, b;
  kes_view_powers powers(fv);
  int es;
  const double ms = kes::frexp(sd_m, &es);
  es += sd_e;
  for (int i = 0; i < fv.m; ++i) {
    double w15, w2;
    int u;
    powers.at(i, &w15, &w2, &u);
    // z = zm 2^(ez - es): the deviation's and std's exponents apart.
    int ez;
    const double zm = kes::frexp(v.dev(fv.x[i]), &ez) / ms;
    const int e = ez - es;
    const double zm2 = zm * zm;
    a.add(w15 * zm2 * zm, u + u / 2 + 3 * e);
    b.add(w2 * zm2 * zm2, 2 * u + 4 * e);
  }
  *s3 = a.value();
  *s4 = b.value();
}

// Fills the moments from the record and, where rec's view fv is had, from its values.
int moments(const kes_varsum* rec, const char vardef[8], const kes_valview* fv, kes_moments* out) {
  const double miss = zmissing();
  double* m = out->v;
  for (int i = 0; i < KES_MOM_NCELLS; ++i) m[i] = miss;
  out->css_m = out->var_m = out->std_m = out->se_m = out->uss_m = 0.0;
  out->wide_e = out->std_e = out->uss_e = 0;
  out->pivot = out->pivot_dev = 0.0;
  out->has_centre = false;
  std::memcpy(out->vardef, vardef, 8);
  const double n = rec->n;
  m[KES_MOM_N] = n;
  m[KES_MOM_NMISS] = rec->nmiss;
  m[KES_MOM_NOBS] = rec->nobs;
  m[KES_MOM_SUMWGT] = rec->sumwgt;
  m[KES_MOM_SUM] = rec->sum;
  m[KES_MOM_USS] = rec->uss;
  if (fv != nullptr && uss_may_be_short(rec, *fv)) {
    values_uss(*fv, &out->uss_m, &out->uss_e);
    m[KES_MOM_USS] = kes::ldexp(out->uss_m, out->uss_e);
  }
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
  if (!is_missing(mean) && fv != nullptr && fv->m > 0 && fv->x != nullptr)
    mean = std::clamp(mean, fv->x[0], fv->x[fv->m - 1]);
  double d = zvardiv(vardef, n, 1.0, sumwgt);
  // The record's weighted sums are kept in units of 2^wexp (kes_wunit.h): every ratio
  // of them is free of the unit but the one subtracting a weight of one.
  if (vardef[1] == 'D' && rec->wexp != 0) {
    const double w = kes::ldexp(sumwgt, rec->wexp);
    d = std::isfinite(w) ? kes::ldexp(zvardiv(vardef, n, 1.0, w), -rec->wexp) : sumwgt;
  }

  // CSS from the distinct values, wherever the pass's sum is had: free of the running
  // mean's rounding, which loses digits to a mean far from the spread and depends on
  // the order of the weights. Each of its terms is at least 0 and known to a few units
  // of rounding of itself, so it lies within its own error bound of 0 only where it is
  // 0 (a single value), which is no rounding: no fixed share of the mean judges it.
  // Without the values, the design's test judges the running sum against the mean.
  double css = rec->css;
  values_spread sp;
  const bool from_values = !is_missing(css) && !is_missing(mean) && spread_of(fv, mean, &sp);
  if (from_values) {
    // The running sum's rounding grows with N and with the offset (200,000 values
    // 1e15 + 0..100 summed to a mean of 1e15 + 0.4). Values within a factor of two of
    // the pivot deviate from it exactly, so their mean is known to a unit of rounding:
    // where the sum's ratio strays from it by more than two such units, it is the mean.
    const double lo = fv->x[0], hi = fv->x[fv->m - 1];
    const bool offset = sp.p > 0 ? lo >= sp.p / 2 && hi <= 2 * sp.p : sp.p < 0 && hi <= sp.p / 2 && lo >= 2 * sp.p;
    const double centre = sp.p + sp.dbar;
    if (offset && std::fabs(mean - centre) > 2 * std::ldexp(DBL_EPSILON, std::ilogb(centre))) mean = centre;
    css = sp.c.times(sp.scale, sp.scale);
    sp.c.parts(sp.scale, sp.scale, &out->css_m, &out->wide_e);
    out->pivot = sp.p;
    out->pivot_dev = sp.dbar;
    out->has_centre = true;
  } else if (!is_missing(css) && !is_missing(mean) && d > 0.0 && css > 0.0 &&
             d * (EPS13 * mean) * (EPS13 * mean) >= css) {
    css = 0.0;
    result = KES_MNT_VAR_ZEROED;
  }
  m[KES_MOM_CSS] = css;

  double std = miss;
  if (d > 0.0 && !is_missing(css)) {
    const double var = css / d;
    // Deviations near the smallest doubles square to nothing or to a few bits: the
    // root of the sum is had in full.
    std = from_values && var < DBL_MIN ? sp.c.root_times(sp.scale) / std::sqrt(d) : std::sqrt(var);
    m[KES_MOM_VAR] = var;
    out->var_m = out->css_m / d;
    m[KES_MOM_STD] = std;
    // STD beside its own exponent, the root of VAR's halving an even exponent exactly.
    if (out->css_m != 0.0) {
      const int odd = out->wide_e & 1;
      out->std_m = std::sqrt(kes::ldexp(out->var_m, odd));
      out->std_e = (out->wide_e - odd) / 2;
    }
    // The mean is rounding noise only where it lies within the rounding error of the
    // running sum it comes from: N additions of terms up to the sum of |w x|.
    const bool noise = from_values ? std::fabs(mean) <= (n + 2.0) * (DBL_EPSILON / 2) * sp.sum_abs
                                   : std::fabs(mean) <= EPS13 * std;
    if (!is_missing(mean) && mean != 0.0 && noise) {
      mean = 0.0;
      result = KES_MNT_MEAN_ZEROED;
    }
    if (kes_vardef_is_df(vardef)) {
      m[KES_MOM_STDMEAN] = std / std::sqrt(sumwgt);
      out->se_m = out->std_m / std::sqrt(sumwgt);
    }
    if (!is_missing(mean) && mean != 0.0) m[KES_MOM_CV] = 100.0 * std / mean;
  }
  m[KES_MOM_MEAN] = mean;

  const bool df = kes_vardef_is_df(vardef);
  // Under weights far apart std may lie below the doubles in the weights' unit while
  // the shape of the values does not.
  const double sd_m = out->std_m != 0.0 ? out->std_m : std;
  const int sd_e = out->std_m != 0.0 ? out->std_e : 0;
  const bool spread = fv != nullptr && fv->w != nullptr ? sd_m > 0.0 : std > 0.0;
  if (!from_values || !(df || kes_vardef_is_n(vardef)) || is_missing(std) || !spread) return result;

  // Skewness and kurtosis about the values' mean, as CSS.
  double s3 = 0.0, s4 = 0.0;
  standardized_powers(*fv, sp, std, sd_m, sd_e, &s3, &s4);
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
  return moments(rec, vardef, fv, out);
}
