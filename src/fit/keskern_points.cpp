// A kernel curve on its cell's grid and the points of it that a panel or the
// OUTKERNEL data set shows.
#include <cmath>

#include "fit/keskern_cell.h"
#include "fit/zkerft.h"
#include "fit/zkernel.h"
#include "numeric/zmissing.h"
#include "numeric/zvkern.h"
#include "records/kes_plotslot.h"

namespace {

double interpolate(double x0, double y0, double x1, double y1, double x) {
  return x1 == x0 ? y0 : y0 + (y1 - y0) * (x - x0) / (x1 - x0);
}

}  // namespace

double kes_kern_height_factor(const kes_ctx* ctx, const kes_cell* cell) {
  const kes_plotslot* slot = kes_plot_slot(ctx, ctx->curreq, cell);
  const kes_plotslot* bins = kes_kern_binslot(ctx, cell);
  const kes_varsum* vs = kes_kern_varsum(ctx, cell);
  // The densities are per kernel unit (2^kern_exp): so is the width that turns them
  // into heights.
  return slot->scale * vs->n * std::ldexp(bins->width, -slot->kern_exp);
}

int kes_kern_density(kes_ctx* ctx, kes_cell* cell, double* block, const kes_curve* curve) {
  const kes_plotslot* slot = kes_plot_slot(ctx, ctx->curreq, cell);
  const kes_varsum* vs = kes_kern_varsum(ctx, cell);
  const kes_kernspec& kn = curve->kernel;
  const int m = slot->grid_m;
  if (slot->kbins == nullptr || (m != KES_KGRID_STD && m != KES_KGRID_WIDE) || !curve->fitted || !(kn.h > 0))
    return -1;
  double* grid = block;
  double* density = block + m;
  double* transform = block + 2 * m;
  // The bins of the cell's grid, as a density, into the packed transform.
  const double step = (slot->grid_b - slot->grid_a) / m;
  zkergrid(slot->grid_a, step, grid, m);
  zvscl11(transform, slot->kbins + (KES_KGRID_WIDE - m) / 2, m, 1.0 / (vs->n * step));
  zkerft(transform, m, slot->grid_exp);
  const int e = slot->kern_exp;
  const double h = std::ldexp(kn.h, -e);
  if (zkerfit(kn.type, 0, h, slot->grid_a, slot->grid_b, transform, density, m) != 0) return -1;
  if (is_missing(kn.lower) && is_missing(kn.upper)) return 0;
  return zkermod(kn.type, h, std::ldexp(vs->min, -e), std::ldexp(vs->max, -e), kes_kern_unit(kn.lower, e),
                 kes_kern_unit(kn.upper, e), grid, density, m) != 0
             ? 1
             : 0;
}

int kes_kern_list(kes_ctx* ctx, kes_cell* cell, double* block, double lo, double hi, const kes_curve* curve,
                  kes_kern_points* out) {
  out->count = 0;
  if (kes_kern_density(ctx, cell, block, curve) < 0) return -1;
  const kes_plotslot* slot = kes_plot_slot(ctx, ctx->curreq, cell);
  const int m = slot->grid_m;
  double* x = block;
  double* d = block + m;
  const int e = slot->kern_exp;
  lo = std::ldexp(lo, -e);
  hi = std::ldexp(hi, -e);
  if (slot->grid_a > lo) lo = slot->grid_a;
  if (slot->grid_b < hi) hi = slot->grid_b;
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
  // Back to the values' unit; the points past the largest double are cut.
  if (e != 0) {
    for (int k = start; k < i; ++k) x[k] = std::ldexp(x[k], e);
    while (start < i && !std::isfinite(x[start])) ++start;
    while (i > start && !std::isfinite(x[i - 1])) --i;
  }
  out->x = x + start;
  out->density = d + start;
  out->count = i - start;
  return 0;
}
