// fitsb: the engine's Johnson SB fit by percentiles, by moments or, with the threshold
// and scale known, by the closed-form likelihood; the curve function and the peaks.
#include <cmath>

#include "fit/zfit_johnson.h"
#include "fit/zfit_fams.h"
#include "host/host_services.h"
#include "kes_msg_names.h"
#include "numeric/zmissing.h"
#include "numeric/zsupport.h"

namespace {
constexpr double kTiny = 1000.0 * ZEPS53;

// Slifker-Shapiro estimates from four quantiles: 0, or 1 after the note of the check
// that failed.
int percentiles(zfit_work* w) {
  const zfit_spreads s = zfit_pctl_spreads(w, true);
  if (!s.ok) return 1;
  const double z = s.z, m = s.m, n = s.n, p = s.p;
  const double* q = s.q;
  if (s.ratio >= 1.0 - s.tol) {
    xpmlog(KES_SET_PLOT, KES_MSG_SB_RATIO_NOT_BELOW_TOLERANCE);
    return 1;
  }
  const double b = p * p / (m * n) - 1.0;  // p^2/(mn) - 1
  if (std::fabs(b) <= kTiny) {
    xpmlog(KES_SET_PLOT, KES_MSG_SB_RATIO_TOO_CLOSE_TO_ONE);
    return 1;
  }
  const double a = (1.0 + p / m) * (1.0 + p / n);
  if (a < 4.0) {
    xpmlog(KES_SET_PLOT, KES_MSG_SB_SPREAD_PRODUCT_BELOW_FOUR);
    return 1;
  }
  const double h = std::sqrt(a) / 2.0;
  const double delta = z / std::log(h + std::sqrt(h * h - 1.0));
  w->params[2] = delta;
  w->params[3] = delta * std::asinh((p / n - p / m) * std::sqrt(a - 4.0) / (2.0 * b));
  if (w->estimate[1]) {
    if ((a - 2.0) * (a - 2.0) <= 4.0) {
      xpmlog(KES_SET_PLOT, KES_MSG_SB_SCALE_NOT_FORMED);
      return 1;
    }
    w->params[1] = p * std::sqrt((a - 2.0) * (a - 2.0) - 4.0) / b;
  }
  if (w->estimate[0]) w->params[0] = (q[1] + q[2]) / 2.0 - w->params[1] / 2.0 + p * (p / n - p / m) / (2.0 * b);
  return 0;
}

double logit(double y) { return std::log(y / (1.0 - y)); }

// The slope of the standardized log-density has the sign of g.
double slope_sign(double y, double delta, double gamma) {
  return 2.0 * y - 1.0 - delta * (gamma + delta * std::log(y / (1.0 - y)));
}

// The root of g in [lo, hi] where g turns from positive to negative, to 1e-8.
double bisect(double lo, double hi, double delta, double gamma) {
  while (hi - lo > 1e-8) {
    const double mid = (lo + hi) / 2.0;
    if (slope_sign(mid, delta, gamma) > 0.0) lo = mid;
    else hi = mid;
  }
  return (lo + hi) / 2.0;
}

double log_height(double y, double delta, double gamma) {
  const double u = gamma + delta * std::log(y / (1.0 - y));
  return -u * u / 2.0 - std::log(y) - std::log(1.0 - y);
}

// The peak of the fitted density (the higher one when there are two) and its height.
void peak(zfit_work* w) {
  zfit_req* r = w->req;
  const double theta = w->params[0], sigma = w->params[1], delta = w->params[2], gamma = w->params[3];
  w->c = delta * r->n * r->width * ZRSQRT_2PI / sigma;
  const double e = 1.0 - 2.0 * delta * delta;
  double y = 0.0;
  const double lo = kTiny, hi = 1.0 - kTiny;
  const bool two = e > 0.0 && std::fabs(gamma) < std::sqrt(e) / delta -
                                                   delta * std::log((1.0 + std::sqrt(e)) / (1.0 - std::sqrt(e)));
  if (!two) {
    y = bisect(lo, hi, delta, gamma);
  } else {
    // Walk a grid for the sign changes from + to -; keep the higher peak.
    double best = -ZDBL_BIG, prev = lo, gprev = slope_sign(lo, delta, gamma);
    bool found = false;
    for (double t = lo + 0.001; t < 1.0; t += 0.001) {
      const double x = t < hi ? t : hi;
      const double g = slope_sign(x, delta, gamma);
      if (gprev > 0.0 && g <= 0.0) {
        const double root = bisect(prev, x, delta, gamma);
        const double lh = log_height(root, delta, gamma);
        if (!found || lh > best) {
          best = lh;
          y = root;
        }
        found = true;
      }
      prev = x;
      gprev = g;
    }
    if (!found) y = bisect(lo, hi, delta, gamma);
  }
  r->mode_x = theta + sigma * y;
  r->height = w->c * std::exp(log_height(y, delta, gamma));
}
}  // namespace

int fitsb(zfit_work* w) {
  zfit_req* r = w->req;
  w->curve = sbplot;
  r->mode2 = r->height2 = zmissing();  // a second peak is never kept
  const int* e = w->estimate;
  const double theta = w->params[0], sigma = w->params[1];
  // Refused by the estimate already, with its notes.
  if (!e[0] && theta >= r->min) return 1;
  if (!e[1] && !e[0] && theta + sigma <= r->max) return 1;
  if (!e[1] && sigma <= w->data_range) return 1;
  if (!zjs_estimable(w)) return 1;
  int rc = 0;
  if (r->method == 2) {
    rc = zjs_moments(w, KES_MSG_SB_MOMENT_ESTIMATES, KES_MSG_SB_MOMENT_FIT_NEEDS_MOMENTS, zjsdsb);
  } else if (r->method == 1) {
    xpmlog(KES_SET_PLOT, KES_MSG_SB_PERCENTILE_ESTIMATES);
    rc = percentiles(w);
  } else if (r->method == 0) {
    xpmlog(KES_SET_PLOT, KES_MSG_SB_ML_ESTIMATES);
    const int k = e[0] + e[1] + e[2] + e[3];
    if (k > 2) {
      xpmlog(KES_SET_PLOT, KES_MSG_SB_ML_ESTIMATES_TOO_MANY, k);
      return 1;
    }
    rc = zjs_shapes(w, logit);
  }
  if (rc != 0) return 1;
  if (!(w->params[2] > 0.0)) return 1;
  if (r->want_height) peak(w);
  w->range_low = r->low;
  w->range_high = r->high;
  return 0;
}

double kesvplt(double x, double c, const double* params) {
  const double theta = params[0];
  if (zbelow_support(x, theta, params[1]) || zabove_support(x, theta, params[1])) return 0.0;
  const double y = (x - theta) / params[1];
  const double u = params[3] + params[2] * std::log(y / (1.0 - y));
  return std::exp(std::log(c) - std::log(y) - std::log(1.0 - y) - u * u / 2.0);
}

double sbplot(double x, const zfit_work* w) { return kesvplt(x, w->c, w->params); }
