// fitlognormal: the lognormal fit of the engine, with its maximum-likelihood threshold
// on the profile of the likelihood, and its curve function.
#include <cmath>

#include "fit/zfit_fams.h"
#include "fit/zfit_ml.h"
#include "fit/zfit_profile.h"
#include "fit/zfit_unit.h"
#include "host/host_services.h"
#include "kes_msg_names.h"
#include "numeric/zmissing.h"
#include "numeric/zsupport.h"
#include "records/kes_valview.h"
#include "util/kes_eps.h"

namespace {
constexpr double kLogMaxHalf = 1416.792837;
constexpr double kLogRoot2Pi = 0.91893853320467274178;

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
  // Beside the middle value at: log(x - theta) = log(at - theta) + log1p((x - at) /
  // (at - theta)), the second term small and exact to its last digits where the data
  // lie far from theta beside their spread.
  const kes_valview* v = w->values;
  const double at = v != nullptr && v->m > 0 ? v->x[v->m / 2] : NAN, y0 = at - theta;
  if (y0 > 0.0 && std::isfinite(y0)) {
    zfit_each_mapped<double>(
        w, [&](double x) { return std::log1p((x - at) / y0); }, [&](double, double f, double l) { s += f * l; });
    w->zeta_split = 1;
    w->zeta_at = at;
    w->zeta_dz = s / w->req->n;
    w->params[1] = std::log(y0) + w->zeta_dz;
    return;
  }
  zfit_each_mapped<double>(
      w, [&](double x) { return std::log(x - theta); }, [&](double, double f, double l) { s += f * l; });
  w->params[1] = s / w->req->n;
}

void SigmaEst(zfit_work* w) {
  double ss = 0.0;
  const double theta = w->params[0], zeta = w->params[1];
  // log(x - theta) - zeta, beside ZetaEst's reference where it took one.
  const bool split = w->zeta_split;
  const double at = w->zeta_at, y0 = at - theta, dz = w->zeta_dz;
  zfit_each_mapped<double>(
      w,
      [&](double x) {
        return !(x > theta) ? 0.0 : split ? std::log1p((x - at) / y0) - dz : std::log(x - theta) - zeta;
      },
      [&](double, double f, double d) { ss += f * d * d; });
  const double ms = ss / (w->req->n - 1.0);
  const double tiny = 1000.0 * ZEPS53;
  w->params[2] = ms <= tiny * tiny * zeta * zeta ? 0.0 : std::sqrt(ms);
}

namespace {
// The lognormal profile at the threshold min - d: with y = x - min + d and
// L = log1p((x - min) / d), log y = log d + L, so that the spread of the logs keeps its
// digits however far the threshold lies below the data. One pass takes the sums of
// e = L - K about K, the L of the mean (near the mean of L, so that the sum of squares
// about the mean loses no digits). zeta and sigma at their maximum (sigma of divisor N)
// where estimated; the slope is the likelihood's derivative in the threshold,
// sum f/y (1 + (log y - zeta) / sigma^2).
zfit_profile_at lognormal_profile(const zfit_work* w, double d, const void*) {
  const zfit_req* r = w->req;
  const double n = r->n, min = r->min, ld = std::log(d);
  const double k = std::log1p((r->mean - min) / d);
  double se = 0.0, se2 = 0.0, i1 = 0.0, ie = 0.0;
  zfit_each_mapped<double>(
      w, [&](double x) { return std::log1p((x - min) / d) - k; },
      [&](double x, double f, double e) {
        const double y = (x - min) + d;
        se += f * e;
        se2 += f * e * e;
        i1 += f / y;
        ie += f * e / y;
      });
  // log y - zeta = e + t.
  const double t = w->estimate[1] ? -se / n : k + ld - w->params[1];
  const double ss = w->estimate[1] ? se2 - se * (se / n) : se2 + t * (2.0 * se + n * t);
  const double sl = n * k + se;
  zfit_profile_at p{};
  const double s2 = w->estimate[2] ? ss / n : w->params[2] * w->params[2];
  if (!(s2 > 0.0) || !std::isfinite(s2)) return p;
  p.rest[0] = w->estimate[1] ? ld + k + se / n : w->params[1];
  p.rest[1] = std::sqrt(s2);
  p.rest[2] = k + se / n;  // zeta's part beyond log d, where estimated
  p.logl = -(n * ld + sl) - n * std::log(p.rest[1]) - ss / (2.0 * s2) - n * kLogRoot2Pi;
  p.noise = 64.0 * ZEPS53 * (n * (std::fabs(ld) + std::fabs(std::log(p.rest[1])) + 2.0) + std::fabs(sl));
  p.slope = i1 + (ie + t * i1) / s2;
  p.ok = std::isfinite(p.logl) && std::isfinite(p.slope);
  return p;
}

bool lognormal_inside(const zfit_profile_at& p, const void*) { return p.rest[1] > 0.0; }

// The maximum-likelihood threshold (with zeta and sigma where estimated): 0, or 1
// after the note of why there is none.
int threshold_search(zfit_work* w) {
  zfit_profile_family fam{lognormal_profile, nullptr, lognormal_inside, 0.0};
  // Far below the data with zeta and sigma estimated the law tends to the normal.
  if (w->estimate[1] && w->estimate[2]) fam.limit_logl = zfit_normal_limit_logl(w, &fam.limit_noise);
  zfit_profile_fit fit{};
  if (zfit_profile_search(w, fam, &fit) != 0) {
    zfit_ml_refused(w, fit.why, zfit_maxiter(w->req, kMlIterations));
    return 1;
  }
  zfit_profile_rise(w, fit.rises_at_min);
  w->params[0] = w->req->min - fit.d;
  w->params[1] = fit.at.rest[0];
  w->params[2] = fit.at.rest[1];
  // zeta beside the smallest value: log(x - theta) = log d + log1p((x - min) / d).
  if (w->estimate[1] && w->req->min - w->params[0] == fit.d) {
    w->zeta_split = 1;
    w->zeta_at = w->req->min;
    w->zeta_dz = fit.at.rest[2];
  }
  return 0;
}
}  // namespace

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
  if (zbelow_support(x, theta, std::exp(w->params[1]))) return 0.0;
  const double u = (std::log(x - theta) - w->params[1]) / w->params[2];
  if (std::fabs(u) > 5.0) return 0.0;
  return w->c * std::exp(-u * u / 2.0) / (x - theta);
}
