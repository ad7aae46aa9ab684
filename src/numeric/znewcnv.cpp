// ConvCheck: the convergence test of the bounds-mode maximum-likelihood fits.
#include <cmath>

#include "numeric/zchol.h"
#include "numeric/zmissing.h"
#include "numeric/znew_ops.h"
#include "numeric/zvstride.h"

namespace {
constexpr double kGradTol = 1e-12;

// Removes row and column p of an m x m packed matrix, in place.
void drop_packed(double* h, int m, int p) {
  long out = 0;
  for (int j = 0; j < m; ++j) {
    if (j == p) continue;
    for (int i = 0; i <= j; ++i) {
      if (i != p) h[out++] = h[znew_col(j) + i];
    }
  }
}

// Whether held parameter j sits at its lower bound.
bool at_lower(const zfit_optrec* o, int j) {
  if (o->upper[j] == ZDBL_BIG) return true;
  if (o->lower[j] == -ZDBL_BIG) return false;
  return o->x[j] < (o->lower[j] + o->upper[j]) / 2;
}
}  // namespace

int ConvCheck(void* data) {
  zfit_optrec* o = static_cast<zfit_optrec*>(data);
  ++o->ntests;
  o->nevals = 0;
  const int n = o->n;
  double* g = o->testwork;
  double* h = g + n;
  for (int i = 0; i < n; ++i) g[i] = o->grad[i];
  for (long i = 0; i < znew_col(n); ++i) h[i] = o->hess[i];

  int m = n;
  for (int idx = 0; idx < n; ++idx) {
    const int j = o->active[idx];
    if (j < 0 || j >= n) continue;
    const bool low = at_lower(o, j);
    // A gradient that points into the feasible side: moving off the bound pays.
    if ((low && o->grad[j] < -kGradTol) || (!low && o->grad[j] > kGradTol)) {
      o->crit = zmissing();
      return -(j + 1);
    }
    int pos = j;
    for (int e = 0; e < idx; ++e) {
      if (o->active[e] >= 0 && o->active[e] < j) --pos;
    }
    for (int i = pos; i + 1 < m; ++i) g[i] = g[i + 1];
    drop_packed(h, m, pos);
    --m;
  }

  double c = 0.0;
  if (m > 0) {
    int k = 0;
    for (; k < m; ++k) {
      const double hkk = h[znew_col(k) + k];
      const double tol = hkk == 0.0 ? kGradTol : kGradTol * std::fabs(hkk);
      zchol(k, h, tol);
      if (h[znew_col(k) + k] < tol) break;
    }
    if (k < m) {
      c = zinner(g, g, m);  // no usable curvature: the gradient's own size
    } else {
      zchol2(m, h, g);
      c = zinner(g, g, m);  // g' H^-1 g
    }
  }
  // Relative to the objective; where the objective is about 0 that would never pass,
  // so the gradient's size is tested alone.
  const double af = std::fabs(o->f);
  o->crit = af < 1e-12 ? c : c / af;
  return o->crit < o->tol ? 0 : 1;
}
