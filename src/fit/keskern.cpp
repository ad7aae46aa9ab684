// keskern and keskdfx: the kernel curves of a cell from the KERNEL option, their
// bandwidths (a given or default c times the spread scale, or the plug-in), and the
// grid the cell's curves are evaluated on.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>

#include "fit/kes_kernel.h"
#include "fit/keskern_cell.h"
#include "fit/zkernel.h"
#include "fit/zsjpi.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "numeric/zmissing.h"
#include "records/kes_plotslot.h"
#include "records/kes_values.h"
#include "records/pool_alloc.h"
#include "records/stmt_slots.h"

namespace {

// Default c of each kernel type: the bandwidth that minimises the AMISE for normal
// data when scaled by the interquartile range.
constexpr double kDefaultC[4] = {0, 0.78520352, 1.9096135, 1.738287};
constexpr int kSjBins = 401;
constexpr int kSjTrials = 21;
constexpr double kSjTol = 0.001;
// C= codes of MISE and SJPI.
constexpr double kCMise = -1;
constexpr double kCSjpi = -2;

// The value of list slot n for curve k: a short list repeats its last value.
bool pick(const kes_stmt* s, int n, int k, double* out) {
  const int count = kes_pcount(s, n);
  if (count <= 0) return false;
  *out = kes_pnumbers(s, n)[k < count ? k : count - 1];
  return true;
}

bool plug_in_possible(const kes_cell* cell, double sd) { return !cell->hist_empty && sd > 0; }

// The power of two of the kernel unit: 0 while the wide grid, 1.5 ranges past the
// data, lies within the doubles; else that of the range.
int kern_unit(double min, double max, double range) {
  const double reach = 1.5 * range;
  if (std::isfinite(min - reach) && std::isfinite(max + reach)) return 0;
  return std::isfinite(range) && range > 0 ? std::ilogb(range) : 0;
}

}  // namespace

double kes_kern_reach(const kes_kernspec& k) { return k.type == KES_KERN_NORMAL ? 3.0 * k.h : k.h; }

bool kes_kern_plug_in(const kes_stmt* s, int k) {
  double v;
  return pick(s, KES_PLOT_SLOT_KERNEL_C, k, &v) && v == kCSjpi;
}

void keskern(kes_ctx* ctx, kes_cell* cell) {
  kes_preq* rq = ctx->curreq;
  kes_plotslot* slot = kes_plot_slot(ctx, ctx->curreq, cell);
  if (rq == nullptr || slot == nullptr) return;
  slot->ncurves = rq->ncurves;
  slot->nkernels = rq->nkernels;
  if (slot->curves == nullptr || rq->nkernels <= 0) return;
  const kes_stmt* s = rq->stmt;
  bool noted = false;
  for (int k = 0; k < rq->nkernels; ++k) {
    kes_curve* curve = kes_kern_curve(slot, k);
    curve->dist = KES_DIST_KERNEL;
    curve->family_index = k;
    curve->index = slot->ncurves - slot->nkernels + k;
    curve->fitted = 0;
    kes_kernspec& kn = curve->kernel;
    double v;
    kn.type = pick(s, KES_PLOT_SLOT_KERNEL_K, k, &v) && (v == 1 || v == 2 || v == 3) ? static_cast<int>(v)
                                                                                     : KES_KERN_NORMAL;
    const bool default_c = !pick(s, KES_PLOT_SLOT_KERNEL_C, k, &v) || v == kCMise;
    kn.c = default_c ? kDefaultC[kn.type] : v;
    if (kn.c == kCSjpi && kn.type != KES_KERN_NORMAL) {
      if (!noted) xpmlog(KES_SET_PROC, KES_MSG_C_SJPI_USES_NORMAL);
      noted = true;
      kn.type = KES_KERN_NORMAL;
    }
    kn.extent = 0;
    kn.h = kn.amise = zmissing();
    kn.lower = kn.upper = zmissing();
    const bool lower = pick(s, KES_PLOT_SLOT_KERNEL_LOWER, k, &kn.lower);
    const bool upper = pick(s, KES_PLOT_SLOT_KERNEL_UPPER, k, &kn.upper);
    if ((lower || upper) && default_c) xpmlog(KES_SET_LABEL, KES_MSG_KERNEL_BOUNDS_WITH_DEFAULT_BANDWIDTH);
  }
}

int keskdfx(kes_ctx* ctx, kes_cell* cell) {
  kes_plotslot* slot = kes_plot_slot(ctx, ctx->curreq, cell);
  const kes_varsum* vs = kes_kern_varsum(ctx, cell);
  if (slot == nullptr || vs == nullptr || slot->curves == nullptr) return 0;
  const double n = vs->n, sd = vs->std, min = vs->min, max = vs->max;
  double range = max - min;

  double s0 = vs->qrange;
  if (!(s0 > 0)) {
    s0 = range;
    kes_kern_note(ctx, cell, KES_SET_LABEL, KES_MSG_KERNEL_IQR_ZERO, KES_MSG_KERNEL_ESTIMATES_FOR_CELL,
                  KES_MSG_KERNEL_ESTIMATES_FOR_CELL2);
    xpmlog(KES_SET_LABEL, KES_MSG_KERNEL_BANDWIDTH_SCALED_RANGE);
  }
  double half = range / 2;
  if (!(range > 0)) {
    s0 = range = half = 1;
    kes_kern_note(ctx, cell, KES_SET_LABEL, KES_MSG_KERNEL_RANGE_ZERO, KES_MSG_KERNEL_ESTIMATES_FOR_CELL,
                  KES_MSG_KERNEL_ESTIMATES_FOR_CELL2);
    xpmlog(KES_SET_LABEL, KES_MSG_VALUES_NO_SPREAD_KERNEL);
  }
  const double scale = s0 / std::pow(n, 0.2);
  // The grid reaches 1.5 ranges past the data: where that passes the largest double,
  // the grid and the estimate are made in the unit 2^e of the range, where they stay
  // within the doubles (at e = 0 nothing changes).
  const int e = kern_unit(min, max, range);
  const double smin = std::ldexp(min, -e), smax = std::ldexp(max, -e);
  const double srange = std::ldexp(range, -e), shalf = std::ldexp(half, -e);
  double a = smin - shalf, b = smax + shalf;
  // The plug-in's grid spans the range and half a range each side.
  const double sj_width = 2 * srange;
  const double g = 2 * range / KES_KGRID_STD;
  int m = KES_KGRID_STD, exponent = 8, margin = 64;

  // One pass over the values: the cell's bins on the wide grid (the standard grid is
  // its middle half, on the same points), and the plug-in's counts when one is asked.
  host_pool* pool = v_global_gcb_anchor != nullptr ? v_global_gcb_anchor->taskpool : nullptr;
  const double wa = smin - shalf - srange, wb = smax + shalf + srange;
  slot->kbins = static_cast<double*>(vmalcp_handler(ctx->bypool, 8L * KES_KGRID_WIDE, KES_ALLOC_6));
  double* counts = nullptr;
  bool sj_lost = false;
  for (int k = 0; k < slot->nkernels && slot->kbins != nullptr; ++k)
    if (kes_kern_curve(slot, k)->kernel.c == kCSjpi && plug_in_possible(cell, sd) && counts == nullptr) {
      counts = static_cast<double*>(vmalcp_handler(pool, 8L * kSjBins, KES_ALLOC_6));
      if (counts == nullptr) xmemmsg(8L * kSjBins);
      sj_lost = counts == nullptr;
      if (counts != nullptr) std::memset(counts, 0, 8L * kSjBins);
    }
  if (slot->kbins == nullptr) {
    // The curves are lost; the histogram and its tables go on.
    xmemmsg(8L * KES_KGRID_WIDE);
  } else {
    std::memset(slot->kbins, 0, 8L * KES_KGRID_WIDE);
    // The plug-in's bins are placed by differences from the smallest value only, so
    // that they sit on the data alike wherever the data lie: a bin edge taken from the
    // grid's rounded ends could fall either side of a value of the same data shifted.
    const double w = sj_width / (kSjBins - 1);
    kes_each_value(vs->view, [&](double value, int count) {
      const double c = count;
      double x = std::ldexp(value, -e);
      zkerbin(&x, nullptr, &c, 1, wa, wb, slot->kbins, KES_KGRID_WIDE);
      if (counts != nullptr)
        counts[std::clamp(zd2i(((x - smin) + shalf + w / 2) / w), 0, kSjBins - 1)] += c;
    });
  }

  bool no_spread_noted = false;
  for (int k = 0; k < slot->nkernels; ++k) {
    kes_curve* curve = kes_kern_curve(slot, k);
    kes_kernspec& kn = curve->kernel;
    curve->fitted = slot->kbins != nullptr;
    kn.extent = 0;
    kn.h = kn.c * scale;
    if (kn.c != kCSjpi || !curve->fitted) continue;
    if (!plug_in_possible(cell, sd)) {
      // No spread: no plug-in bandwidth, and no negative one left for insets.
      curve->fitted = 0;
      kn.h = zmissing();
      if (!no_spread_noted) {
        kes_kern_note(ctx, cell, KES_SET_LABEL, KES_MSG_KERNEL_SJPI_NO_SPREAD, KES_MSG_KERNEL_SJPI_NO_SPREAD_CELL,
                      KES_MSG_KERNEL_SJPI_NO_SPREAD_CELL2, static_cast<int>(ctx->curname.len), ctx->curname.text);
        if (kes_kern_levels_of(ctx, cell).count > 0) xpmlog(KES_SET_LABEL, KES_MSG_VALUES_NO_SPREAD_KERNEL);
      }
      no_spread_noted = true;
      continue;
    }
    if (sj_lost) {
      curve->fitted = 0;
      kn.h = zmissing();
      continue;
    }
    const double os = 3.0 * std::pow(ZSJ_RK / 35.0, 0.2) * sd / std::pow(n, 0.2);
    // The plug-in runs in the unit 2^u of its grid's width, where its powers of the
    // spread neither overflow nor underflow, and its tolerance follows the data's
    // scale: the bandwidth depends neither on the units the values are measured in
    // nor on where they lie (the unit and the grid come from differences only).
    const int u = (std::isfinite(sj_width) && sj_width > 0 ? std::ilogb(sj_width) : 0) + e;
    kn.h = std::ldexp(zsjpi(counts, kSjBins, 0.0, std::ldexp(sj_width, e - u), std::ldexp(2 * os, -u),
                            std::ldexp(2 * os / 18, -u), kSjTrials, std::ldexp(kSjTol * sd, -u)),
                      u);
    if (is_missing(kn.h)) curve->fitted = 0;
    else kn.c = kn.h * std::pow(n, 0.2) / sd;
  }
  if (counts != nullptr) vmfree_handler(pool, counts, -1, KES_FREE_FLAGS);

  bool wide = false;
  for (int k = 0; k < slot->nkernels; ++k) {
    const kes_curve* curve = kes_kern_curve(slot, k);
    if (curve->fitted && kes_kern_reach(curve->kernel) > half) wide = true;
  }
  if (wide) {
    a = smin - shalf - srange;
    b = smax + shalf + srange;
    m = KES_KGRID_WIDE;
    exponent = 9;
    margin = 192;
  }
  double lo = min, hi = max;
  for (int k = 0; k < slot->nkernels; ++k) {
    kes_curve* curve = kes_kern_curve(slot, k);
    if (!curve->fitted) continue;
    kes_kernspec& kn = curve->kernel;
    const double rho = kes_kern_reach(kn);
    if (rho > half + range) kn.extent = 1;
    double j = std::ceil(rho / g);
    if (j >= margin) j = margin - 1;
    // Cut at the largest double: the curve is not drawn past it.
    double l = std::fmax(min - j * g, -DBL_MAX), u = std::fmin(max + j * g, DBL_MAX);
    if (!is_missing(kn.lower) && kn.lower >= l) l = kn.lower;
    if (!is_missing(kn.upper) && kn.upper <= u) u = kn.upper;
    if (l < lo) lo = l;
    if (u > hi) hi = u;
  }
  slot->grid_m = m;
  slot->grid_exp = exponent;
  slot->grid_margin = margin;
  slot->grid_a = a;
  slot->grid_b = b;
  slot->grid_g = std::ldexp(g, -e);
  slot->kern_exp = e;
  // The horizontal axis is widened to this extent (klow, khigh).
  slot->kext_low = slot->klow = lo;
  slot->kext_high = slot->khigh = hi;
  return 0;
}
