// Adding and dropping active constraints. Bounds mode: a held parameter gets free
// flag 0 and its place in the active list. General mode: the active rows stand first
// in the constraint matrix, and reflection k carries row k (after reflections 0 ..
// k-1) to a multiple of the k-th unit vector.
#include <utility>

#include "numeric/zhouse.h"
#include "numeric/znew_ops.h"

namespace {
// Rebuilds the reflection of the active row at position k from the row itself.
void reflect_row(znew_work* st, const znew_ctl* ctl, int k) {
  const int n = ctl->n;
  double* w = st->aux;
  const double* row = st->amat + static_cast<long>(k) * n;
  for (int i = 0; i < n; ++i) w[i] = row[i];
  for (int s = 0; s < k; ++s) zhh2(w, st->hhv, s, st->hhbeta[s], 1, n);
  zhh1(w, st->hhv, &st->hhbeta[k], k, 1, n);
}
}  // namespace

void colswap(znew_work* st, const znew_ctl* ctl, int i, int j) {
  if (i == j) return;
  const int n = ctl->n;
  double* a = st->amat + static_cast<long>(i) * n;
  double* b = st->amat + static_cast<long>(j) * n;
  for (int c = 0; c < n; ++c) std::swap(a[c], b[c]);
  std::swap(st->rhs[i], st->rhs[j]);
  std::swap(st->active[i], st->active[j]);
}

void zconadd(znew_work* st, znew_ctl* ctl, double* ridge, int k) {
  const int t = ctl->nactive;
  if (ctl->bounds) {
    if (k < 0 || k >= ctl->n || st->aux[k] == 0.0) return;
    st->aux[k] = 0.0;
    st->active[t] = k;
  } else {
    // At most n rows can be independent; the reflection store holds n.
    if (k < t || k >= ctl->neq + ctl->nineq || t >= ctl->n) return;
    colswap(st, ctl, k, t);
    reflect_row(st, ctl, t);
  }
  ctl->nactive = t + 1;
  *ridge = 0.0;
}

void zcondrp(znew_work* st, znew_ctl* ctl, double* ridge, int k) {
  const int t = ctl->nactive;
  if (ctl->bounds) {
    int pos = 0;
    while (pos < t && st->active[pos] != k) ++pos;
    if (pos == t) return;
    for (; pos + 1 < t; ++pos) st->active[pos] = st->active[pos + 1];
    st->active[t - 1] = -1;
    st->aux[k] = 1.0;
  } else {
    // Equalities stay active for good.
    if (k < ctl->neq || k >= t) return;
    colswap(st, ctl, k, t - 1);
    for (int i = k; i < t - 1; ++i) reflect_row(st, ctl, i);
  }
  ctl->nactive = t - 1;
  *ridge = 0.0;
}
