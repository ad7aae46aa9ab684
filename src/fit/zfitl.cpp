// fitlognormal: the lognormal fit of the engine, with its maximum-likelihood threshold
// search (ThreshEst, ZetaEst, SigmaEst) and its curve function.
#include <cmath>

#include "fit/zfit_fams.h"
#include "fit/zfit_unit.h"
#include "host/host_services.h"
#include "kes_msg_names.h"
#include "numeric/zmissing.h"
#include "numeric/zsupport.h"

namespace {
// Bound on the evaluations of each stage of the threshold search: the bracket's
// step doubles or halves every time, so a sign change that has not come by then
// never will in double precision.
constexpr int kMaxSearch = 2100;
constexpr double kLogMaxHalf = 1416.792837;
// The bisection's last bracket, in units of the data's range.
constexpr double kRootWidth = 1e-9;

double height_at(const zfit_work* w, double x) {
  const double d = x - w->params[0];
  if (!(d > 0.0)) return 0.0;
  const double u = (std::log(d) - w->params[1]) / w->params[2];
  return u * u >= kLogMaxHalf ? 0.0 : w->c * std::exp(-u * u / 2.0) / d;
}

// Estimates from four sample quantiles at the normal points -3z, -z, z, 3z: 0, or 1
// after the notes of the failing check.
int percentile_fit(zfit_work* w) {
  zfit_req* r = w->req;
  const zfit_spreads s = zfit_pctl_spreads(w, true);
  if (!s.ok) return 1;
  const double z = s.z, tol = s.tol, ratio = s.ratio, m = s.m, p = s.p;
  const double* q = s.q;
  double& theta = w->params[0];
  if (!w->estimate[0] && r->min <= theta) {
    xpmlog(KES_SET_PLOT, KES_MSG_LOGNORMAL_THRESHOLD_NOT_BELOW_MIN);
    xpmlog(KES_SET_PLOT, KES_MSG_SMALLEST_VALUE_LOGNORMAL, zfit_in_data_units(w, r->min));
    return 1;
  }
  const int fault = std::fabs(ratio - 1.0) > tol ? KES_MSG_LOGNORMAL_PERCENTILES_NO_LAW
                    : m / p <= ZEPS53            ? KES_MSG_LOGNORMAL_UPPER_SPREAD_ZERO
                    : m / p - 1.0 < ZEPS53       ? KES_MSG_LOGNORMAL_SPREADS_EQUAL
                                                 : 0;
  const double delta = fault == 0 ? 2.0 * z / std::log(m / p) : 0.0;
  if (fault != 0 || delta < ZSQRT_EPS53) {
    xpmlog(KES_SET_PLOT, fault != 0 ? fault : KES_MSG_PERCENTILES_GIVE_NO_LOGNORMAL);
    return 1;
  }
  const double mp = m / p;
  w->params[2] = 1.0 / delta;
  w->params[1] = -std::log((mp - 1.0) / (p * std::sqrt(mp)));
  if (w->estimate[0]) theta = (q[1] + q[2]) / 2.0 - (p / 2.0) * (mp + 1.0) / (mp - 1.0);
  return 0;
}

// The largest height over the request's range, and the mode; 1 when the mode overflows.
int lognormal_height(zfit_work* w) {
  zfit_req* r = w->req;
  const double theta = w->params[0], sigma = w->params[2];
  w->c = ZRSQRT_2PI * r->n * r->width / sigma;
  const double a = w->params[1] - sigma * sigma;
  if (a > ZEXP_OVER) {
    xpmlog(KES_SET_LABEL, KES_MSG_LOGNORMAL_MODE_TOO_LARGE);
    return 1;
  }
  const double mode = theta + std::exp(a);
  r->mode_x = mode;
  if (r->low <= mode && mode <= r->high) {
    if (mode == theta) return 0;
    r->height = sigma * sigma >= kLogMaxHalf ? 0.0 : w->c * std::exp(-sigma * sigma / 2.0) / (mode - theta);
  } else if (mode < r->low) {
    if (r->low != theta) r->height = height_at(w, r->low);
  } else if (r->high != theta) {
    r->height = r->high > theta ? height_at(w, r->high) : 0.0;
  }
  return 0;
}
}  // namespace

void ZetaEst(zfit_work* w) {
  double s = 0.0;
  const double theta = w->params[0];
  zfit_each_mapped<double>(
      w, [&](double x) { return std::log(x - theta); }, [&](double, double f, double l) { s += f * l; });
  w->params[1] = s / w->req->n;
}

void SigmaEst(zfit_work* w) {
  double ss = 0.0;
  const double theta = w->params[0], zeta = w->params[1];
  zfit_each_mapped<double>(
      w, [&](double x) { return x > theta ? std::log(x - theta) : 0.0; },
      [&](double x, double f, double l) {
        const double d = x > theta ? l - zeta : 0.0;
        ss += f * d * d;
      });
  const double ms = ss / (w->req->n - 1.0);
  const double tiny = 1000.0 * ZEPS53;
  w->params[2] = ms <= tiny * tiny * zeta * zeta ? 0.0 : std::sqrt(ms);
}

double ThreshEst(zfit_work* w) {
  if (w->estimate[1]) ZetaEst(w);
  if (w->estimate[2]) SigmaEst(w);
  const double theta = w->params[0], zeta = w->params[1], sigma = w->params[2];
  if (!(std::fabs(sigma) > ZEPS53)) return zmissing();
  double s1 = 0.0, s2 = 0.0;
  zfit_each_mapped<double>(
      w, [&](double x) { return x - theta > 0.0 ? std::log(x - theta) : 0.0; },
      [&](double x, double f, double l) {
        const double d = x - theta;
        if (!(d > 0.0)) return;
        s1 += f / d;
        s2 += f * ((l - zeta) / sigma) / d;
      });
  return s1 + s2 / sigma;
}

// The maximum-likelihood threshold: a bracket of the score's change of sign below the
// minimum, then bisection to 1e-9 of the data's range. 0, or 1 (after note 1462 when the search reaches
// the minimum).
static int threshold_search(zfit_work* w) {
  double& theta = w->params[0];
  const double min = w->req->min;
  double t = 1.0;
  while (min - t == min) t *= 10.0;
  theta = min - t;
  double g = ThreshEst(w);
  if (std::isnan(g)) return 1;
  // The search may not reach the minimum, where the score has no limit; with
  // zeta and sigma both given it would otherwise halve on for ever.
  auto at_min = [&] {
    if (std::fabs(min - theta) > ZEPS53) return false;
    xpmlog(KES_SET_PLOT, KES_MSG_SEARCH_LOGNORMAL_THRESHOLD_REACHED);
    return true;
  };
  double lo, hi;
  int k = 0;
  if (g > 0.0) {
    do {
      t /= 2.0;
      lo = theta;
      theta = min - t;
      if (at_min() || ++k > kMaxSearch) return 1;
      g = ThreshEst(w);
      if (std::isnan(g)) return 1;
    } while (g > 0.0);
    hi = theta;
  } else {
    do {
      t *= 2.0;
      hi = theta;
      theta = min - t;
      if (at_min() || ++k > kMaxSearch || !std::isfinite(theta)) return 1;
      g = ThreshEst(w);
      if (std::isnan(g)) return 1;
    } while (g <= 0.0);
    lo = theta;
  }
  for (k = 0; hi - lo > kRootWidth * w->data_range; ++k) {
    if (k > kMaxSearch) return 1;
    theta = lo + (hi - lo) / 2.0;
    if (theta == lo || theta == hi) break;  // no double between the ends
    g = ThreshEst(w);
    if (std::isnan(g)) return 1;
    if (g > 0.0) lo = theta;
    else hi = theta;
  }
  return 0;
}

int fitlognormal(zfit_work* w) {
  zfit_req* r = w->req;
  w->curve = lognormplot;
  double& theta = w->params[0];
  const double min = r->min;
  if (r->method == 2) {
    xpmlog(KES_SET_PLOT, KES_MSG_LOGNORMAL_MOMENT_ESTIMATES);
    xpmlog(KES_SET_PLOT, KES_MSG_LOGNORMAL_FAMILY_NO_MOMENT);
    return 1;
  }
  if (r->method == 1) {
    xpmlog(KES_SET_PLOT, KES_MSG_LOGNORMAL_PERCENTILE_ESTIMATES);
    if (percentile_fit(w) != 0) return 1;
  } else if (!w->estimate[0]) {
    if (min <= theta) {
      xpmlog(KES_SET_PLOT, KES_MSG_LOGNORMAL_THRESHOLD_NOT_BELOW_MIN);
      xpmlog(KES_SET_PLOT, KES_MSG_SMALLEST_VALUE_LOGNORMAL, zfit_in_data_units(w, min));
      return 1;
    }
    if (w->estimate[1]) ZetaEst(w);
    if (w->estimate[2]) SigmaEst(w);
  } else {
    if (threshold_search(w) != 0) return 1;
  }
  // No spread, or one value: no law (the curve's height would be NaN or infinite).
  const double sigma = w->params[2];
  if (!(sigma > ZEPS53) || r->n < 2.0) return 1;
  w->range_low = r->low;
  w->range_high = r->high;
  if (r->want_height) return lognormal_height(w);
  return 0;
}

double lognormplot(double x, const zfit_work* w) {
  const double theta = w->params[0];
  if (zbelow_support(x, theta)) return 0.0;
  const double u = (std::log(x - theta) - w->params[1]) / w->params[2];
  if (std::fabs(u) > 5.0) return 0.0;
  return w->c * std::exp(-u * u / 2.0) / (x - theta);
}
