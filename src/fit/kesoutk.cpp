// kesoutk and keskcls: the OUTKERNEL= rows of the current request and variable, one
// per point of every fitted kernel curve of every cell, written here and only here,
// whatever graphics drew the curves.
#include <cmath>
#include <cstring>

#include "fit/kes_kernel.h"
#include "fit/keskern_cell.h"
#include "host/step_codes.h"
#include "kes_msg_names.h"
#include "records/class_copies.h"
#include "records/kes_cells.h"
#include "records/kes_plotslot.h"
#include "records/pool_alloc.h"
#include "stats/output_layout.h"

namespace {

// The rows of one curve, its densities per kernel unit 2^exp: 0, or 1 when the data
// set refused a row.
int write_rows(kes_ctx* ctx, host_access* acc, const kes_kern_points& pts, double factor, int exp) {
  kes_outhist_row& row = ctx->outrow;
  for (int i = 0; i < pts.count; ++i) {
    row.point = pts.x[i];
    row.height = pts.density[i] * factor;
    row.density = std::ldexp(pts.density[i], -exp);
    if (kes_put_observation(acc) != 0) return 1;
  }
  return 0;
}

}  // namespace

int keskcls(kes_ctx* ctx, kes_cell* cell, double* work, double xlo, double xhi) {
  kes_plotslot* slot = kes_plot_slot(ctx, ctx->curreq, cell);
  host_access* acc = ctx->curreq->outkernel_def;
  if (slot == nullptr || slot->curves == nullptr || slot->grid_m <= 0 || acc == nullptr) return 0;
  // The grid's ends in the values' unit (past the doubles: infinite, and so no bound).
  const double ga = std::ldexp(slot->grid_a, slot->kern_exp), gb = std::ldexp(slot->grid_b, slot->kern_exp);
  double lo = ga > xlo ? ga : xlo;
  double hi = gb < xhi ? gb : xhi;
  if (lo > gb) hi = xhi;
  kes_class_copies_from_cell(ctx, cell);
  const double factor = kes_kern_height_factor(ctx, cell);
  for (int k = 0; k < slot->nkernels; ++k) {
    const kes_curve* curve = kes_kern_curve(slot, k);
    if (!curve->fitted) continue;
    kes_kern_points pts;
    if (kes_kern_list(ctx, cell, work, lo, hi, curve, &pts) != 0) continue;
    kes_kern_name(curve->kernel.type, KES_KERN_CURVE_NAMES, ctx->outrow.curve);
    ctx->outrow.kernel_c = curve->kernel.c;
    if (write_rows(ctx, acc, pts, factor, slot->kern_exp) != 0) return 1;
  }
  return 0;
}

int kesoutk(kes_ctx* ctx) {
  kes_preq* rq = ctx->curreq;
  if (rq == nullptr || rq->outkernel_def == nullptr || rq->nkernels <= 0 || rq->classvars == nullptr) return 0;
  if (rq->varslot == nullptr || rq->varslot[ctx->curvar] < 0) return 0;
  const kes_classvars* cv = rq->classvars;
  long doubles = 0;
  kes_each_cell(cv, [&](kes_cell* cell) {
    const kes_plotslot* slot = kes_plot_slot(ctx, ctx->curreq, cell);
    if (slot != nullptr && 3L * slot->grid_m > doubles) doubles = 3L * slot->grid_m;
  });
  if (doubles == 0) return 0;
  const kes_plotslot* bins = kes_kern_binslot(ctx, cv->levels);
  double x1 = bins->hlow, x2 = bins->hhigh;
  if (!rq->endpoints) {
    x1 -= bins->width / 2;
    x2 += bins->width / 2;
  }
  host_pool* pool = v_global_gcb_anchor != nullptr ? v_global_gcb_anchor->taskpool : nullptr;
  auto* work = static_cast<double*>(vmalcp_handler(pool, 8 * doubles, KES_ALLOC_6));
  if (work == nullptr) {
    // Rows missing from the data set would pass for the whole curve: the step ends.
    xmemmsg(8 * doubles);
    return KES_RC_OUT_OF_MEMORY;
  }
  bool refused = false;
  kes_each_cell(cv, [&](kes_cell* cell) {
    if (!refused) refused = keskcls(ctx, cell, work, x1, x2) != 0;
  });
  vmfree_handler(pool, work, -1, KES_FREE_FLAGS);
  return 0;
}
