// kescini(ctx, k) -> int: CDFPLOT request k (from 1) for the current variable: the
// family named on the statement fitted per cell, the data axis over every cell and the
// cumulative axis in percent or proportion. 0, 1 when no cell can be used, 1016, or the
// device renderer's result.
#include <cfloat>
#include <cmath>
#include <cstring>

#include "fit/kes_estframe.h"
#include "fit/kes_famfn.h"
#include "fitreport/kes_famsets.h"
#include "host/host_services.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "numeric/zqscale.h"
#include "plotreq/hist_bins.h"
#include "plotreq/plot_requests.h"
#include "plotreq/prob_common.h"
#include "records/kes_cell.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_layout.h"
#include "records/kes_plotslot.h"
#include "records/stmt_slots.h"

namespace {

constexpr int kNoCell = 1;

bool proportion(const kes_stmt* s) {
  return kes_pgiven(s, KES_PLOT_SLOT_VSCALE) && std::memcmp(kes_pslot(s, KES_PLOT_SLOT_VSCALE)->v.name, "PROP", 4) == 0;
}

}  // namespace

// kescdf(ctx, cell, slot, fitted) -> int: checks and fits one cell: 0 usable; else
// non-zero after its note.
int kescdf(kes_ctx* ctx, kes_cell* cell, kes_plotslot* slot, bool* fitted) {
  *fitted = false;
  kes_preq* r = ctx->curreq;
  const int code = r->dist;
  slot->line = code >= 0 ? 1 : 0;
  if (code >= 0) r->line_wanted = 1;
  const kes_varsum& vs = cell->varsums[ctx->curvar];
  cell->hist_empty = std::isnan(vs.std) || vs.std == 0;
  if (vs.n < 2) {
    kes_prob_note(ctx, cell, KES_SET_PLOT,
                  {KES_MSG_CDF_FEWER_THAN_TWO_VALUES, KES_MSG_CDF_FEWER_THAN_TWO_VALUES_CELL,
                   KES_MSG_CDF_FEWER_THAN_TWO_VALUES_CELL2});
    return 1;
  }
  if (cell->hist_empty) {
    kes_prob_note(ctx, cell, KES_SET_PLOT,
                  {KES_MSG_CDF_STD_ZERO, KES_MSG_CDF_STD_ZERO_CELL, KES_MSG_CDF_STD_ZERO_CELL2});
    return 1;
  }
  if (code < 0) return 0;
  const kes_famfn* fn = kes_famdisp(code);
  const int rc = fn != nullptr && fn->est != nullptr ? fn->est(ctx, r, cell, code, 0, 0, 0, 0, nullptr) : 1;
  // A family that cannot be fitted leaves the cell its empirical step line; the note
  // says that its curve is not drawn.
  if (rc != 0) kesnoest(ctx, cell, code);
  *fitted = rc == 0;
  return 0;
}

int kescini(kes_ctx* ctx, int k) {
  kes_preq* r = ctx->curreq;
  const kes_stmt* st = r->stmt;
  if (!kes_prob_begin(ctx, KES_MSG_CDF_FEWER_THAN_TWO_VALUES, false, -1, false)) return 0;
  kes_classvars* cv = r->classvars;
  const int code = r->dist;
  double lo = DBL_MAX, hi = -DBL_MAX;
  bool any = false, overflowed = false;
  kes_prob_curves curves = code >= 0 ? kes_prob_curve_block(ctx) : kes_prob_curves{};
  const int rc = kes_each_cell(ctx->classvars, [&](kes_cell* cell) {
    const kes_varsum& vs = cell->varsums[ctx->curvar];
    if (!std::isnan(vs.min)) lo = std::fmin(lo, vs.min);
    if (!std::isnan(vs.max)) hi = std::fmax(hi, vs.max);
    kes_plotslot* s = kes_prob_slot(ctx, cell);
    s->curves = nullptr;
    s->ncurves = 0;
    s->nfitted = 0;
    std::memset(s->nfitted_dist, 0, sizeof s->nfitted_dist);
    if (code >= 0)
      if (const int a = kes_prob_curve(ctx, cell, code, &curves); a != 0) return a;
    s->n = static_cast<int>(vs.n);
    bool fitted = false;
    if (kescdf(ctx, cell, s, &fitted) != 0) {
      // The corrected sum of squares overflowed: the values are not all equal.
      overflowed = overflowed || vs.overflow >= 2;
      return 0;
    }
    any = true;
    if (fitted) {
      s->nfitted = s->nfitted_dist[code] = 1;
      r->ncurves_dist[code] = 1;
      s->curves->fitted = 1;
    }
    return 0;
  });
  if (rc != 0) return rc;
  if (!any) {
    if (cv->count > 0)
      kes_var_note(ctx, KES_SET_PLOT, overflowed ? KES_MSG_CDF_NO_CELL_SUMS_OVERFLOW : KES_MSG_CDF_NO_CELL_TWO_VALUES);
    return kNoCell;
  }

  kes_plotslot* key = kes_prob_slot(ctx, cv->keycell);
  zqscale_axis ax{};
  int ticks = zqscale(lo, hi, 5, ZQSCALE_NNICE, ZQSCALE_NICE, &ax, 'S', 'X') + 1;
  double start = ax.start, end = ax.end, step = ax.increment;
  // Data at the largest double have no nice scale beyond them: the axis runs over the
  // data themselves, from end to end (with the middle when the span passes the doubles).
  if (!(std::isfinite(start) && std::isfinite(end) && std::isfinite(step) && step > 0)) {
    start = lo;
    end = hi;
    step = std::isfinite(hi - lo) ? hi - lo : hi / 2 - lo / 2;
    ticks = std::isfinite(hi - lo) ? 2 : 3;
  }
  const bool prop = proportion(st);
  double vmin = 0, vmax = prop ? 1 : 100, vstep = prop ? 0.2 : 20;
  int vticks = 6;
  if (ctx->devgraph && r->layout != nullptr)
    kes_order_axis(ctx, &r->layout->haxis, "HAXIS=", lo, hi, &start, &end, &step, &ticks);
  kes_axis list{};
  r->vaxis_used = kes_order_axis(ctx, kes_vertical_order(ctx, r, &list), "VAXIS=", vmin, vmax, &vmin, &vmax, &vstep,
                                 &vticks);
  key->first = key->hlow = start;
  key->last = key->hhigh = end;
  key->width = step;
  key->hticks = ticks;
  key->hword = ax.index;
  key->vmin = vmin;
  key->vmax = vmax;
  key->vstep = vstep;
  key->vticks = vticks;
  key->scale = prop ? 1 : 100;
  r->vscale = prop ? 2 : 0;

  void* group = kes_plot_group(ctx, st, k, "CDFPlot", KES_MSG_CDF_PLOT_GROUP);
  const int result = kes_prob_render(ctx, k);
  kes_plot_group_close(group);
  return result;
}
