// keskdfy and keskdf: a kernel curve's largest height for the vertical axis (with the
// curve's bound checks, AMISE and notes), and its points for a panel.
#include <cmath>

#include "fit/kes_kernel.h"
#include "fit/keskern_cell.h"
#include "fit/zkernel.h"
#include "kes_msg_names.h"
#include "numeric/zmissing.h"
#include "numeric/zvkern.h"
#include "records/kes_layout.h"
#include "records/kes_plotslot.h"
#include "records/pool_alloc.h"

namespace {

// Second moment and integral of the square of each kernel type.
constexpr double kMu2[4] = {0, 1.0, 1.0 / 6.0, 0.2};
constexpr double kRk[4] = {0, 1.1283791670955126 / 4.0, 4.0 / 6.0, 0.6};
// Normal-reference constant of the AMISE with the interquartile range as scale.
constexpr double kAmiseBias = 0.236278331;

// AMISE of bandwidth h for N values of spread S (the interquartile range, else the
// range): with h = c' S N^-1/5, (R(K)/c' + k mu2^2 c'^4) / (N^0.8 S). The plug-in c
// is scaled by the standard deviation, so c' is formed from h for every curve.
double amise(const kes_kernspec& kn, double n, double s) {
  if (!(s > 0) || is_missing(kn.h)) return zmissing();
  const double c = kn.h * std::pow(n, 0.2) / s;
  const double mu2 = kMu2[kn.type];
  const double per = kRk[kn.type] / c + kAmiseBias * mu2 * mu2 * std::pow(c, 4);
  // A spread near the largest double: divided in turn, as N^0.8 S passes the doubles.
  const double d = std::pow(n, 0.8) * s;
  return std::isfinite(d) ? per / d : per / std::pow(n, 0.8) / s;
}

}  // namespace

double keskdfy(kes_ctx* ctx, kes_cell* cell, int k) {
  kes_plotslot* slot = kes_plot_slot(ctx, ctx->curreq, cell);
  const kes_varsum* vs = kes_kern_varsum(ctx, cell);
  if (slot == nullptr || vs == nullptr || slot->curves == nullptr || slot->grid_m <= 0) return -1;
  kes_curve* curve = &slot->curves[k];
  kes_kernspec& kn = curve->kernel;
  const kes_plotslot* bins = kes_kern_binslot(ctx, cell);
  const int e = slot->kern_exp;
  const double low = std::ldexp(bins->first - bins->width / 2, -e), high = std::ldexp(bins->last + bins->width / 2, -e);
  const double spread = vs->qrange > 0 ? vs->qrange : vs->max - vs->min;

  host_pool* pool = v_global_gcb_anchor != nullptr ? v_global_gcb_anchor->taskpool : nullptr;
  const long bytes = 8L * 3 * slot->grid_m;
  auto* work = static_cast<double*>(vmalcp_handler(pool, bytes, KES_ALLOC_6));
  if (work == nullptr) {
    // The curve is lost; the histogram and its tables go on.
    xmemmsg(bytes);
    curve->fitted = 0;
    return -1;
  }
  double lower = kn.lower, upper = kn.upper;
  kn.lower = kn.upper = zmissing();  // the unbounded estimate first
  if (kes_kern_density(ctx, cell, work, curve) != 0) {
    kn.lower = lower;
    kn.upper = upper;
    vmfree_handler(pool, work, -1, KES_FREE_FLAGS);
    return -1;
  }
  char name[16];
  kes_kern_name(kn.type, KES_KERN_WORDS, name);
  if (!is_missing(lower) && lower > vs->min) {
    kes_kern_note(ctx, cell, KES_SET_LABEL, KES_MSG_KERNEL_LOWER_ABOVE_MIN, KES_MSG_KERNEL_LOWER_ABOVE_MIN_CELL,
                  KES_MSG_KERNEL_LOWER_ABOVE_MIN_CELL2, 16, name, kn.c);
    lower = zmissing();
  }
  if (!is_missing(upper) && upper < vs->max) {
    kes_kern_note(ctx, cell, KES_SET_LABEL, KES_MSG_KERNEL_UPPER_BELOW_MAX, KES_MSG_KERNEL_UPPER_BELOW_MAX_CELL,
                  KES_MSG_KERNEL_UPPER_BELOW_MAX_CELL2, 16, name, kn.c);
    upper = zmissing();
  }
  if (kn.extent) {
    kes_kern_note(ctx, cell, KES_SET_LABEL, KES_MSG_KERNEL_BEYOND_GRID, KES_MSG_KERNEL_BEYOND_GRID_CELL,
                  KES_MSG_KERNEL_BEYOND_GRID_CELL2, 16, name, kn.c, kn.h);
    if (!is_missing(lower) || !is_missing(upper)) {
      kes_kern_note(ctx, cell, KES_SET_LABEL, KES_MSG_KERNEL_BOUNDS_WIDER_THAN_GRID,
                    KES_MSG_KERNEL_BOUNDS_WIDER_THAN_GRID_CELL, KES_MSG_KERNEL_BOUNDS_WIDER_THAN_GRID_CELL2, 16, name,
                    kn.c);
      lower = upper = zmissing();
    }
  }
  const double rho = kes_kern_reach(kn);
  if (!std::isfinite(vs->max + rho) || !std::isfinite(vs->min - rho))
    kes_kern_note(ctx, cell, KES_SET_LABEL, KES_MSG_KERNEL_PAST_LARGEST_DOUBLE, KES_MSG_KERNEL_PAST_LARGEST_DOUBLE_CELL,
                  KES_MSG_KERNEL_PAST_LARGEST_DOUBLE_CELL2, 16, name, kn.c, kn.h);
  const int m = slot->grid_m;
  const double* grid = work;
  double* density = work + m;
  if (!is_missing(lower) || !is_missing(upper)) {
    if (zkermod(kn.type, std::ldexp(kn.h, -e), std::ldexp(vs->min, -e), std::ldexp(vs->max, -e),
                kes_kern_unit(lower, e), kes_kern_unit(upper, e), grid, density, m) != 0) {
      kes_kern_note(ctx, cell, KES_SET_LABEL, KES_MSG_KERNEL_BOUNDS_TOO_CLOSE, KES_MSG_KERNEL_BOUNDS_TOO_CLOSE_CELL,
                    KES_MSG_KERNEL_BOUNDS_TOO_CLOSE_CELL2, 16, name, kn.c);
      lower = upper = zmissing();
    } else {
      kes_kern_note(ctx, cell, KES_SET_LABEL, KES_MSG_KERNEL_REFLECTED, KES_MSG_KERNEL_REFLECTED_CELL,
                    KES_MSG_KERNEL_REFLECTED_CELL2, 16, name, kn.c, kn.h);
    }
  }
  int i = 0, j = m - 1;
  while (i < m && grid[i] < low) ++i;
  while (j >= 0 && grid[j] > high) --j;
  const double top = j >= i ? zvmx(density + i, j - i + 1) : 0.0;

  kn.amise = amise(kn, vs->n, spread);
  if (is_missing(lower) && is_missing(upper)) {
    const kes_kern_estimate_notes& e = KES_KERN_ESTIMATE_NOTES[kn.type - 1];
    kes_kern_note(ctx, cell, KES_SET_LABEL, e.plain, e.cell, e.cell2, kn.c, kn.h, kn.amise);
  }
  // The plug-in's c and the c of C= stand on different scales: say what C= gives
  // the same bandwidth, so that a printed estimate can be given back.
  if (kes_kern_plug_in(ctx->curreq->stmt, curve->family_index))
    xpmlog(KES_SET_LABEL, KES_MSG_KERNEL_SJPI_C_SCALE, kn.h * std::pow(vs->n, 0.2) / spread);
  vmfree_handler(pool, work, -1, KES_FREE_FLAGS);
  kn.lower = lower;
  kn.upper = upper;
  return top * kes_kern_height_factor(ctx, cell);
}

int keskdf(kes_ctx* ctx, kes_cell* cell, double* work, double* xy, double xlo, double xhi, int* npoints,
           kes_curve* curve) {
  *npoints = 0;
  // The head of work (the cell's values and counts) is not read: the cell's
  // bins were made once, by keskdfx.
  const kes_varsum* vs = kes_kern_varsum(ctx, cell);
  kes_kern_points pts;
  if (vs == nullptr || kes_kern_list(ctx, cell, work + 2L * vs->ndistinct, xlo, xhi, curve, &pts) != 0) return -1;
  const double f = kes_kern_height_factor(ctx, cell);
  const kes_layout* layout = ctx->curreq->layout;
  const double sx = layout ? layout->xscale : 1, ox = layout ? layout->xoffset : 0;
  const double sy = layout ? layout->yscale : 1, oy = layout ? layout->yoffset : 0;
  for (int i = 0; i < pts.count && xy != nullptr; ++i) {
    xy[2 * i] = pts.x[i] * sx + ox;
    xy[2 * i + 1] = pts.density[i] * f * sy + oy;
  }
  *npoints = pts.count;
  return 0;
}
