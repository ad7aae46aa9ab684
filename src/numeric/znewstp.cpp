// The step: the largest feasible multiple of the Newton direction, then a
// step-length search with an Armijo decrease test.
#include <algorithm>
#include <cmath>

#include "numeric/zmissing.h"
#include "numeric/znew_ops.h"
#include "numeric/zvstride.h"

namespace {
constexpr double kEps = ZEPS53;
constexpr double kMinStep = 1000.0 * kEps;
constexpr double kMaxStep = 10.0;      // in multiples of the Newton direction
constexpr double kFirstTry = 2.0;      // halved before the first trial
constexpr double kArmijo = 0.05;
constexpr double kNearBlock = 1e-5;    // a blocking constraint this close is taken at once

// x := saved + a d
void place(znew_work* st, const znew_ctl* ctl, double a) {
  zvz111(st->x, st->saved, znew_dir(st, ctl), ctl->n, a);
}
}  // namespace

double znewstp(void* data, znew_work* st, znew_ctl* ctl, double* ridge, znew_objfn obj) {
  const int n = ctl->n;
  const double* d = znew_dir(st, ctl);
  if (zvenorm(n, 1, d) <= kMinStep * zvenorm(n, 1, st->x)) return 0.0;
  double amax = kMaxStep;
  double amin = kMinStep;
  int block = -1;
  if (ctl->bounds) {
    for (int i = 0; i < n; ++i) {
      if (st->aux[i] == 0.0 || !(std::fabs(d[i]) >= kEps)) continue;
      double t;
      if (d[i] > 0.0) {
        if (st->upper[i] == ZDBL_BIG) continue;
        t = (st->upper[i] - st->x[i]) / d[i];
      } else {
        if (st->lower[i] == -ZDBL_BIG) continue;
        t = (st->x[i] - st->lower[i]) / -d[i];
      }
      if (t <= amax) {
        amax = std::max(0.0, t);
        block = i;
        amin = std::min(amin, amax);
      }
    }
  } else {
    const int ncon = ctl->neq + ctl->nineq;
    for (int k = ctl->nactive; k < ncon; ++k) {
      const double* a = st->amat + static_cast<long>(k) * n;
      const double ad = zinner(a, d, n);
      if (!(ad < 0.0)) continue;
      const double t = (zinner(a, st->x, n) - st->rhs[k]) / -ad;
      if (t <= amax) {
        amax = t;
        block = k;
        amin = std::min(amin, t);
      }
    }
  }
  return getalf(data, st, ctl, ridge, obj, amax, amin, block);
}

double getalf(void* data, znew_work* st, znew_ctl* ctl, double* ridge, znew_objfn obj,
              double amax, double amin, int block) {
  const double f0 = st->f;
  const double a0 = std::min(amax, kFirstTry);
  const double slope = -kArmijo * zinner(st->grad, znew_dir(st, ctl), ctl->n);
  if (kMinStep * std::fabs(f0) > slope) return 0.0;  // no usable descent
  if (block >= 0) {
    place(st, ctl, amax);
    if (amax <= kNearBlock) {
      zconadd(st, ctl, ridge, block);
      return 0.0;
    }
    const double fa = obj(data);
    place(st, ctl, a0 / 2);
    const double fh = obj(data);
    double a = a0 / 2;
    double f = fh;
    if (fa < fh) {
      a = amax;
      f = fa;
    }
    if (f0 - f > a * slope) {
      if (a == amax) {
        // Evaluated again so that the callbacks last saw the point the step keeps.
        place(st, ctl, amax);
        f = obj(data);
        zconadd(st, ctl, ridge, block);
      }
      st->f = f;
      return a;
    }
  }
  double f = f0;
  for (double a = a0 / 2; a > amin; a /= 2) {
    place(st, ctl, a);
    f = obj(data);
    if (f0 - f >= a * slope) {
      st->f = f;
      return a;
    }
  }
  // No acceptable step: the parameters stay at the last trial point, within 2 amin
  // directions of the start, unless the objective is undefined there.
  if (std::isnan(f)) {
    place(st, ctl, 0.0);
    st->f = obj(data);
  }
  return 0.0;
}
