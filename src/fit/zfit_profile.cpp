// The profile search of a threshold. The likelihood of a law with a threshold below the
// data can have several local maxima over the threshold, rise without bound as the
// threshold nears the smallest value (shapes below 1 there), and tend to a limit law
// as the threshold moves far below the data. An optimiser started from a few points,
// or a root of the score equation, can land on any of these or on rounding noise. So
// the profile log-likelihood (the other parameters at their maximum for each
// threshold) is read on a grid of distances below the smallest value in units of the
// range (the same numbers at every placement and unit of the data), each local maximum
// of the grid is refined to the change of sign of the profile's slope (the envelope of
// the likelihood's derivative in the threshold), and the largest interior one is the fit.
#include "fit/zfit_profile.h"

#include <cmath>

#include "fit/zfit_fams.h"
#include "host/host_services.h"
#include "kes_msg_names.h"
#include "util/kes_eps.h"

namespace {
// Grid: distances of 10^(k / kPerDecade) ranges, k from kNear to kFar.
constexpr int kPerDecade = 8;
constexpr int kNear = -8 * kPerDecade;
constexpr int kFar = 6 * kPerDecade;
constexpr int kGrid = kFar - kNear + 1;
// Bisection steps on the log of the distance: the bracket (a grid step, a factor of
// 10^(1/8)) shrinks below a relative 1e-16 well before this.
constexpr int kBisections = 64;
constexpr double kPi = 3.14159265358979323846;

double distance(double range, int k) { return range * std::pow(10.0, static_cast<double>(k) / kPerDecade); }

// Refines the grid's local maximum between the distances far (slope > 0: log L rises
// toward the data) and near (slope < 0) by bisection of the slope's sign on log d.
zfit_profile_at refine(const zfit_work* w, const zfit_profile_family& fam, double far, double near, double* d) {
  double lf = std::log(far), ln = std::log(near);
  zfit_profile_at best{};
  for (int k = 0; k < kBisections; ++k) {
    const double lm = lf + (ln - lf) / 2.0;
    if (lm == lf || lm == ln) break;
    const double dm = std::exp(lm);
    const zfit_profile_at p = fam.at(w, dm, fam.ctx);
    if (!p.ok) return p;
    best = p;
    *d = dm;
    // The threshold is min - d: a positive slope in the threshold means log L rises
    // as d shrinks.
    if (p.slope > 0.0) lf = lm;
    else ln = lm;
  }
  return best;
}
}  // namespace

int zfit_profile_search(const zfit_work* w, const zfit_profile_family& fam, zfit_profile_fit* fit) {
  const double range = w->data_range;
  fit->why = ZFIT_ML_NO_MAXIMUM;
  fit->rises_at_min = false;
  if (!(range > 0.0) || !std::isfinite(range)) return 1;
  // The grid from far below the data (index 0) to the nearest distance; with a limit,
  // the distances up to half of it, and the limit less those distances beyond.
  zfit_profile_at g[2 * kGrid];
  double dist[2 * kGrid];
  int m = 0;
  const double limit = fam.limit;
  if (limit > 0.0)
    for (int k = kNear; k <= kFar && distance(range, k) < limit / 2.0; ++k) dist[m++] = limit - distance(range, k);
  for (int k = kFar; k >= kNear; --k)
    if (!(limit > 0.0) || distance(range, k) < limit / 2.0) dist[m++] = distance(range, k);
  if (m < 3) return 1;
  for (int i = 0; i < m; ++i) g[i] = fam.at(w, dist[i], fam.ctx);
  // A grid point without a value is no maximum; the budget counts where a maximum
  // was being refined.
  bool budget = false;
  auto value = [&](int i) { return g[i].ok && std::isfinite(g[i].logl) ? g[i].logl : -INFINITY; };
  // The likelihood rises toward the smallest value where the grid's last points with a
  // value climb (nearer the data the profile may have none: the beta law's upper end
  // with no maximum of its own there).
  int last = m - 1;
  while (last >= 2 && !(value(last) > -INFINITY)) --last;
  fit->rises_at_min = last >= 2 && value(last) > value(last - 1) && value(last - 1) > value(last - 2);
  bool found = false;
  double best = -INFINITY;
  // Without a limit the profile far out tends to the limit law: the highest log L
  // farther out than each grid point (the limit law's to begin with), and its rounding.
  const bool open = !(limit > 0.0);
  double outer = open ? fam.limit_logl : -INFINITY, outer_noise = open ? fam.limit_noise : 0.0;
  for (int i = 1; i + 1 < m; ++i) {
    const double v = value(i);
    if (open && value(i - 1) > outer) {
      outer = value(i - 1);
      outer_noise = g[i - 1].noise;
    }
    if (!(v > -INFINITY) || !(v >= value(i - 1)) || !(v > value(i + 1))) continue;
    if (!(v - std::fmin(value(i - 1), value(i + 1)) > g[i].noise)) continue;
    // The slope's sign change lies on one side of the grid point or the other.
    // (The slope in the threshold is positive where log L rises toward the data.)
    int f = i - 1, n = i + 1;
    if (g[i].slope > 0.0) f = i;
    else n = i;
    if (!(g[f].slope > 0.0) || !(g[n].slope < 0.0)) continue;
    const double far = dist[f], near = dist[n];
    double d = dist[i];
    const zfit_profile_at p = refine(w, fam, far, near, &d);
    if (!p.ok) {
      budget = budget || p.budget;
      continue;
    }
    if (!fam.inside(p, fam.ctx) || !(p.logl > best)) continue;
    if (open && !(p.logl - outer > std::fmax(p.noise, outer_noise))) continue;
    best = p.logl;
    fit->d = d;
    fit->at = p;
    found = true;
  }
  if (found) {
    fit->why = ZFIT_ML_MAXIMUM;
    return 0;
  }
  // With a limit law: toward it where log L rises at the grid's far end, or stands
  // there no higher than the limit law's, as far as the doubles tell. A profile that
  // rises both ways (as the gamma and lognormal likelihoods do toward the smallest
  // value, where they grow without bound) is refused for the rise toward the limit.
  const bool toward_limit =
      open && fam.limit_logl > -INFINITY &&
      (value(0) - value(1) > std::fmax(g[0].noise, g[1].noise) ||
       !(value(0) - fam.limit_logl > std::fmax(g[0].noise, fam.limit_noise)));
  fit->why = budget                                                      ? ZFIT_ML_BUDGET
             : toward_limit                                               ? ZFIT_ML_AWAY
             : fit->rises_at_min || (limit > 0.0 && value(0) >= value(1)) ? ZFIT_ML_AT_BOUND
             : value(0) >= value(1)                                       ? ZFIT_ML_AWAY
                                                                          : ZFIT_ML_NO_MAXIMUM;
  return 1;
}

double zfit_normal_limit_logl(const zfit_work* w, double* noise) {
  const double n = w->req->n, min = w->req->min;
  double su = 0.0;
  zfit_each_mapped<double>(w, [&](double x) { return x - min; }, [&](double, double f, double u) { su += f * u; });
  const double c = su / n;
  double ss = 0.0;
  zfit_each_mapped<double>(
      w, [&](double x) { return (x - min) - c; }, [&](double, double f, double e) { ss += f * e * e; });
  const double l = -0.5 * n * (std::log(2.0 * kPi * (ss / n)) + 1.0);
  *noise = 64.0 * ZEPS53 * n * (std::fabs(std::log(ss / n)) + 3.0);
  return std::isfinite(l) ? l : -INFINITY;
}

void zfit_profile_rise(zfit_work* w, bool rises, bool at_max) {
  if (rises) w->ml_rise |= at_max ? 2 : 1;
}

bool zfit_above_normal_limit(const zfit_work* w, double logl, double noise) {
  double limit_noise = 0.0;
  const double limit = zfit_normal_limit_logl(w, &limit_noise);
  return logl - limit > std::fmax(noise, limit_noise);
}
