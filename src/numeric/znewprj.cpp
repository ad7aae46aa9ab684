// Projection of the Hessian onto the free directions and the Newton direction.
//
// General mode: the reflections H_0 .. H_{t-1} of the t active rows make Q = H_0 ...
// H_{t-1} with the active rows in its first t columns' span; Z is Q's last n - t
// columns, so the projected Hessian is the trailing block of Q'HQ.
#include "numeric/zchol.h"
#include "numeric/zhouse.h"
#include "numeric/znew_ops.h"

namespace {
// y := Q'y (first to last reflection) or y := Qy (last to first), y strided by inc.
void reflect(const znew_work* st, int n, int t, double* y, int inc, bool transpose) {
  for (int s = 0; s < t; ++s) {
    const int k = transpose ? s : t - 1 - s;
    zhh2(y, st->hhv, k, st->hhbeta[k], inc, n);
  }
}
}  // namespace

void zhproj(const znew_work* st, const znew_ctl* ctl) {
  const int n = ctl->n;
  double* f = st->factor;
  if (ctl->bounds) {
    long out = 0;
    for (int j = 0; j < n; ++j) {
      if (st->aux[j] == 0.0) continue;
      for (int i = 0; i <= j; ++i) {
        if (st->aux[i] != 0.0) f[out++] = st->hess[znew_col(j) + i];
      }
    }
    return;
  }
  const int t = ctl->nactive;
  for (long i = 0; i < znew_col(n); ++i) f[i] = st->hess[i];
  zmmovsr(f, f, n);
  for (int j = 0; j < n; ++j) reflect(st, n, t, f + static_cast<long>(j) * n, 1, true);
  for (int i = 0; i < n; ++i) reflect(st, n, t, f + i, n, true);
  zmmovrs(f, f, t + 1, n, n);
}

void zgproj(const znew_work* st, const znew_ctl* ctl) {
  const int n = ctl->n;
  const int m = n - ctl->nactive;
  double* d = znew_dir(st, ctl);
  if (ctl->bounds) {
    double* r = znew_red(st, ctl);
    int ii = 0;
    for (int i = 0; i < n; ++i) {
      if (st->aux[i] != 0.0) r[ii++] = st->grad[i];
    }
    zchol2(m, st->factor, r);
    zbaksub(m, st->factor, r);
    ii = 0;
    for (int i = 0; i < n; ++i) d[i] = st->aux[i] != 0.0 ? -r[ii++] : 0.0;
    return;
  }
  const int t = ctl->nactive;
  for (int i = 0; i < n; ++i) d[i] = st->grad[i];
  reflect(st, n, t, d, 1, true);
  for (int i = 0; i < t; ++i) d[i] = 0.0;
  zchol2(m, st->factor, d + t);
  zbaksub(m, st->factor, d + t);
  reflect(st, n, t, d, 1, false);
  for (int i = 0; i < n; ++i) d[i] = -d[i];
}
