// A kernel curve on its cell's grid and the points of it that a panel or the
// OUTKERNEL data set shows.
#include "driver/kes_valnode.h"
#include "fit/keskern_cell.h"
#include "fit/zkernel.h"
#include "numeric/zmissing.h"

namespace {

// The work arrays of the cell's grid inside a work block.
kes_kdegrid grid_of(const kes_plotslot* slot, const kes_varsum* vs, double* work) {
  double* g = work + 2L * vs->ndistinct;
  return kes_kdegrid{slot->grid_m, slot->grid_a, slot->grid_b, g, g + 2L * slot->grid_m, g + slot->grid_m};
}

double interpolate(double x0, double y0, double x1, double y1, double x) {
  return x1 == x0 ? y0 : y0 + (y1 - y0) * (x - x0) / (x1 - x0);
}

}  // namespace

void kes_kern_copy_values(const kes_varsum* vs, double* work) {
  const int n = vs->ndistinct;
  int i = 0;
  for (const kes_valnode* v = vs->values; v != nullptr && i < n; v = v->next, ++i) {
    work[i] = v->key.value;
    work[n + i] = v->count;
  }
}

long kes_kern_work_doubles(const kes_plotslot* slot, const kes_varsum* vs) {
  return 2L * vs->ndistinct + 3L * slot->grid_m;
}

double kes_kern_height_factor(const kes_ctx* ctx, const kes_cell* cell) {
  const kes_plotslot* slot = kes_kern_slot(ctx, cell);
  const kes_plotslot* bins = kes_kern_binslot(ctx, cell);
  const kes_varsum* vs = kes_kern_varsum(ctx, cell);
  return slot->scale * vs->n * bins->width;
}

int kes_kern_density(kes_ctx* ctx, kes_cell* cell, double* work, const kes_curve* curve) {
  const kes_plotslot* slot = kes_kern_slot(ctx, cell);
  const kes_varsum* vs = kes_kern_varsum(ctx, cell);
  const kes_kernspec& kn = curve->kernel;
  const kes_kdegrid g = grid_of(slot, vs, work);
  const int n = vs->ndistinct;
  if (zkerset(work, nullptr, work + n, n, g.lo, g.hi, g.grid, g.binned, g.m) != 0 ||
      zkerfit(kn.type, 0, kn.h, g.lo, g.hi, g.binned, g.density, g.m) != 0)
    return -1;
  if (is_missing(kn.lower) && is_missing(kn.upper)) return 0;
  return zkermod(kn.type, kn.h, vs->min, vs->max, kn.lower, kn.upper, g.grid, g.density, g.m) != 0 ? 1 : 0;
}

int kes_kern_list(kes_ctx* ctx, kes_cell* cell, double* work, double lo, double hi, const kes_curve* curve,
                  kes_kern_points* out) {
  out->count = 0;
  if (kes_kern_density(ctx, cell, work, curve) < 0) return -1;
  const kes_kdegrid g = grid_of(kes_kern_slot(ctx, cell), kes_kern_varsum(ctx, cell), work);
  const int m = g.m;
  double* x = g.grid;
  double* d = g.density;
  if (g.lo > lo) lo = g.lo;
  if (g.hi < hi) hi = g.hi;
  int i0 = 0;
  while (i0 < m && x[i0] < lo) ++i0;
  int start = i0;
  if (i0 > 0 && i0 < m && x[i0] > lo) {
    // The panel starts between two grid points: a first point at its left end.
    d[i0 - 1] = interpolate(x[i0 - 1], d[i0 - 1], x[i0], d[i0], lo);
    x[i0 - 1] = lo;
    start = i0 - 1;
  }
  int i = i0;
  while (i < m && x[i] <= hi && i - i0 < 512) ++i;
  if (i > start && i < m && x[i - 1] < hi) {
    // And a last point at its right end.
    d[i] = interpolate(x[i - 1], d[i - 1], x[i], d[i], hi);
    x[i] = hi;
    ++i;
  }
  if (i == i0) return 0;  // nothing of the curve lies in the range
  out->x = x + start;
  out->density = d + start;
  out->count = i - start;
  return 0;
}
