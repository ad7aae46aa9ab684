// zfit(req): the fitting engine. A fit in value-list mode gets a pool of its own for
// the time of the fit; the family's fit routine writes the parameters, the mode and
// the maximum height on the count scale, which the engine turns to the request's
// vertical scale.
#include "fit/zfit.h"

#include <cmath>

#include "fit/zfit_johnson.h"
#include "fit/zfit_fams.h"
#include "fit/zfit_stream.h"
#include "fit/zfit_unit.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "numeric/zmissing.h"
#include "records/kes_values.h"

namespace {
// Pool flags of a fit's pool.
constexpr int kFitPoolFlags = 4096;

double std_missing() { return zmissing(); }
int fit_in_unit(zfit_work* w);
}  // namespace

int zfit(zfit_req* req) {
  zfit_work w{};
  w.req = req;
  for (int i = 0; i < 4; ++i) {
    w.params[i] = req->params[i];
    w.estimate[i] = std::isnan(req->params[i]) ? 1 : 0;
  }
  if (req->pctldef < 1 || req->pctldef > 5) req->pctldef = 5;
  req->mode_x = std_missing();
  req->height = std_missing();
  if (req->mode == 1) return zfit2(&w);
  if (req->mode == 0) {
    req->want_height = 1;
    return zfit1(&w);
  }
  return 0;
}

int zfit2(zfit_work* w) {
  zfit_req* req = w->req;
  if (req->family < ZFIT_NORMAL || req->family > ZFIT_WEIBULL2) return 1;
  w->data_range = req->max - req->min;
  w->values = req->values;
  req->pool = xmpoolc(0, 1024, kFitPoolFlags);
  if (req->pool == nullptr) return KES_RC_OUT_OF_MEMORY;
  zfit_unit_frame unit{};
  int rc = zfit_unit_enter(w, &unit);
  if (rc == 0) rc = fit_in_unit(w);
  zfit_unit_leave(w, &unit, req);
  for (int i = 0; i < 4; ++i) req->params[i] = w->params[i];
  req->ml_why = w->ml_why;
  req->ml_maxiter = w->ml_maxiter;
  req->ml_rise = w->ml_rise;
  if (req->vscale != KES_VSCALE_COUNT && !std::isnan(req->height) && req->height > 0.0)
    req->height *= req->vscale == KES_VSCALE_PERCENT ? 100.0 / req->n : 1.0 / req->n;
  xmpoold(req->pool);
  req->pool = nullptr;
  return rc;
}

namespace {
int fit_in_unit(zfit_work* w) {
  int rc = 1;
  switch (w->req->family) {
    case ZFIT_NORMAL: rc = fitnormal(w); break;
    case ZFIT_EXPONENTIAL: rc = fitexponential(w); break;
    case ZFIT_LOGNORMAL: rc = fitlognormal(w); break;
    case ZFIT_WEIBULL:
    case ZFIT_WEIBULL2: rc = fitweibull(w); break;
    case ZFIT_GAMMA: rc = fitgamma(w); break;
    case ZFIT_BETA: rc = fitbeta(w); break;
    case ZFIT_SB: rc = fitsb(w); break;
    case ZFIT_SU: rc = fitsu(w); break;
    default: rc = 1; break;  // families whose fits are not built: not fitted
  }
  return rc;
}
}  // namespace

double zfit_rms_about(const kes_valview* values, double n, double mu) {
  // The squares in the unit of the largest magnitude, so that they neither overflow
  // nor underflow whatever the data's unit.
  double big = std::fabs(mu);
  if (values != nullptr && values->m > 0)
    big = std::fmax(big, std::fmax(std::fabs(values->x[0]), std::fabs(values->x[values->m - 1])));
  const int e = std::isfinite(big) && big > 0.0 ? std::ilogb(big) : 0;
  const double mu_e = std::ldexp(mu, -e);
  double ss = 0.0;
  kes_each_value(values, [&](double x, int f) {
    const double d = std::ldexp(x, -e) - mu_e;
    ss += f * d * d;
  });
  const double ms = ss / n;
  const double tiny = 1000.0 * ZEPS53;
  if (ms <= tiny * tiny * mu_e * mu_e) return 0.0;
  return std::ldexp(std::sqrt(ms), e);
}

int fitnormal(zfit_work* w) {
  zfit_req* req = w->req;
  w->curve = normalplot;
  double& mu = w->params[0];
  double& sigma = w->params[1];
  if (w->estimate[0]) mu = req->mean;
  if (w->estimate[1]) sigma = w->estimate[0] ? req->std : zfit_rms_about(w->values, req->n, mu);
  if (std::isnan(req->low)) req->low = ZDBL_BIG;
  if (std::isnan(req->high)) req->high = -ZDBL_BIG;
  w->range_low = std::fmin(req->low, mu - 3.0 * sigma);
  w->range_high = std::fmax(req->high, mu + 3.0 * sigma);
  if (!(std::fabs(sigma) >= ZEPS53)) return 1;  // no spread (or no sigma at all)
  if (req->want_height) {
    w->c = req->n * req->width * ZRSQRT_2PI / sigma;
    req->mode_x = mu;
    if (mu > w->range_low && mu < w->range_high) {
      req->height = w->c;
    } else {
      const double end = mu <= w->range_low ? w->range_low : w->range_high;
      const double z = (end - mu) / sigma;
      req->height = z * z >= 1416.792837 ? 0.0 : w->c * std::exp(-z * z / 2.0);
    }
  }
  return 0;
}

int fitexponential(zfit_work* w) {
  zfit_req* req = w->req;
  w->curve = expoplot;
  double& theta = w->params[0];
  double& sigma = w->params[1];
  if (w->estimate[0] || req->min < theta) theta = req->min;
  if (w->estimate[1]) sigma = req->mean - theta;
  if (w->estimate[0] && w->estimate[1]) {
    sigma = req->n / (req->n - 1.0) * sigma;
    theta = theta - sigma / req->n;
  }
  // One value, or no spread about the threshold, leaves no law to fit.
  if (!std::isfinite(sigma) || sigma <= 0.0) return 1;
  if (req->want_height) {
    w->c = req->n * req->width / sigma;
    req->mode_x = theta;
    if (req->low <= theta && theta <= req->high) {
      req->height = w->c;
    } else if (req->low > theta) {
      const double z = (req->low - theta) / sigma;
      req->height = z < 708.3964185 ? w->c * std::exp(-z) : 0.0;
    } else {
      req->height = 0.0;
    }
  }
  w->range_low = theta;
  w->range_high = req->high;
  return 0;
}

double normalplot(double x, const zfit_work* w) {
  const double z = (x - w->params[0]) / w->params[1];
  return w->c * std::exp(-z * z / 2.0);
}

double expoplot(double x, const zfit_work* w) {
  const double z = (x - w->params[0]) / w->params[1];
  if (z == 0.0) return w->req->height;
  if (z < 0.0 || z > 10.0) return 0.0;
  return w->c * std::exp(-z);
}

double calcfrac(const zfit_work* w, double n, double p, int* lo, int* hi) {
  const int d = w->req->pctldef;
  const int last = static_cast<int>(n) - 1;
  const double eps = std::fmin(1e-12 * n, 1e-8);
  const double a = (d == 4 ? (n + 1.0) * p : n * p) + eps;
  const double j = std::trunc(a);
  const double f = a - j;
  double l = j - 1.0, h = j, g = f;
  switch (d) {
    case 2: {
      const double k = std::trunc(n * p + eps + 0.5);
      l = h = k - 1.0;
      g = 0.0;
      break;
    }
    case 3:
    case 5:
      g = std::ceil(f - eps - 1e-10) == 0.0 ? (d == 3 ? 0.0 : 0.5) : 1.0;
      break;
    default:
      break;  // 1 and 4: the fraction itself
  }
  auto clamp = [last](double v) { return v < 0.0 ? 0 : v > last ? (last < 0 ? 0 : last) : static_cast<int>(v); };
  *lo = clamp(l);
  *hi = clamp(h);
  return g;
}
