// keszini(ctx, k) -> int: PPPLOT request k (from 1) for the current variable: the
// fitted distribution function against the empirical one, both axes 0 to 1, one graph.
// 0 (also after note KES_MSG_PP_CELL_FEWER_THAN_TWO_VALUES), 1 when no cell was fitted, 1008 when the only cell has
// no spread, 1016, or the device renderer's result.
#include <cmath>
#include <iterator>

#include "fit/kes_estframe.h"
#include "fit/kes_famfn.h"
#include "fitreport/kes_famsets.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "plotreq/hist_bins.h"
#include "plotreq/kes_probfns.h"
#include "plotreq/plot_requests.h"
#include "plotreq/prob_common.h"
#include "records/kes_cell.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_layout.h"
#include "records/kes_plotslot.h"
#include "records/stmt_slots.h"

namespace {
// kesline slots of each family: intercept, slope, alternative slope.
struct line_slots {
  int intercept, slope, alt;
};
constexpr line_slots kLines[] = {
    {KES_PLOT_SLOT_NORMAL_MU, KES_PLOT_SLOT_NORMAL_SIGMA, KES_NO_SLOT},
    {KES_PLOT_SLOT_LOGNORMAL_THETA, KES_PLOT_SLOT_LOGNORMAL_ZETA, KES_PLOT_SLOT_LOGNORMAL_SLOPE},
    {KES_PLOT_SLOT_EXPONENTIAL_THETA, KES_PLOT_SLOT_EXPONENTIAL_SIGMA, KES_NO_SLOT},
    {KES_PLOT_SLOT_WEIBULL_THETA, KES_PLOT_SLOT_WEIBULL_SIGMA, KES_NO_SLOT},
    {KES_PLOT_SLOT_GAMMA_THETA, KES_PLOT_SLOT_GAMMA_SIGMA, KES_NO_SLOT},
    {KES_PLOT_SLOT_BETA_THETA, KES_PLOT_SLOT_BETA_SIGMA, KES_NO_SLOT},
    {KES_PLOT_SLOT_SB_THETA, KES_PLOT_SLOT_SB_SIGMA, KES_NO_SLOT},
    {KES_PLOT_SLOT_SU_THETA, KES_PLOT_SLOT_SU_SIGMA, KES_NO_SLOT}};
static_assert(std::size(kLines) == KES_DIST_SU + 1, "one entry per fitted family");

// Both axes: 0 to 1 by 0.2, or an ORDER= list that covers [0, 1].
bool unit_axis(const kes_ctx* ctx, const kes_axis* axis, const char* name, double* lo, double* hi, double* step,
               int* ticks) {
  *lo = 0;
  *hi = 1;
  *step = 0.2;
  *ticks = 6;
  return kes_order_axis(ctx, axis, name, 0, 1, lo, hi, step, ticks);
}

}  // namespace

// kespp(ctx, cell, slot) -> int: fits the request's family in one cell and sets its
// line (the diagonal unless NOLINE). 0 fitted; 1 after note KES_MSG_PP_CELL_FEWER_THAN_TWO_VALUES when the cell has
// fewer than two values; else the estimate's status after its note.
int kespp(kes_ctx* ctx, kes_cell* cell, kes_plotslot* slot) {
  kes_preq* r = ctx->curreq;
  const int code = r->dist;
  const kes_varsum& vs = cell->varsums[ctx->curvar];
  if (vs.n < 2) {
    kes_var_note(ctx, KES_SET_PLOT, KES_MSG_PP_CELL_FEWER_THAN_TWO_VALUES);
    return 1;
  }
  const kes_famfn* fn = kes_famdisp(code);
  const int rc = fn != nullptr && fn->est != nullptr ? fn->est(ctx, r, cell, code, 0, 0, 0, 0, nullptr) : 1;
  kesline(ctx, slot, kLines[code].intercept, kLines[code].slope, kLines[code].alt);
  if (rc != 0) {
    kesnoest(ctx, cell, code);
    return rc;
  }
  slot->nfitted_dist[code] = 1;
  r->ncurves_dist[code] = 1;
  slot->nfitted = 1;
  kes_fit_curve(slot)->fitted = 1;
  return 0;
}

int keszini(kes_ctx* ctx, int k) {
  kes_preq* r = ctx->curreq;
  if (!kes_prob_begin(ctx, KES_MSG_PP_CELL_FEWER_THAN_TWO_VALUES, false, KES_DIST_NORMAL, false)) return 0;
  kes_classvars* cv = r->classvars;
  kes_prob_curves curves = kes_prob_curve_block(ctx);
  bool fitted = false;
  // A fit that failed with two values or more has its note, which says that the P-P
  // plot is not drawn: for the one cell of a plot without CLASS variables it says all.
  bool fit_noted = false;
  const int rc = kes_each_cell(ctx->classvars, [&](kes_cell* cell) -> int {
    const kes_varsum& vs = cell->varsums[ctx->curvar];
    cell->hist_empty = std::isnan(vs.std) || vs.std == 0;
    if (cell->hist_empty) {
      if (cv->count == 0) {
        kes_prob_note(ctx, cell, KES_SET_PLOT, {KES_MSG_PP_STD_ZERO, 0, 0});
        return KES_RC_BAD_OPTION;
      }
      kes_prob_note(ctx, cell, KES_SET_PLOT, {0, KES_MSG_PP_STD_ZERO_CELL, KES_MSG_PP_STD_ZERO_CELL2});
    }
    if (const int a = kes_prob_curve(ctx, cell, r->dist, &curves); a != 0) return a;
    kes_plotslot* s = kes_prob_slot(ctx, cell);
    s->n = static_cast<int>(vs.n);
    if (!cell->hist_empty) {
      if (kespp(ctx, cell, s) == 0) fitted = true;
      else fit_noted = vs.n >= 2;
    }
    return 0;
  });
  if (rc != 0) return rc;
  if (!fitted) {
    if (cv->count > 0 || !fit_noted) kes_var_note(ctx, KES_SET_PLOT, KES_MSG_PP_NOT_FITTED_IN_ANY_CELL);
    return 1;
  }

  kes_plotslot* key = kes_prob_slot(ctx, cv->keycell);
  const kes_layout* lay = ctx->devgraph ? r->layout : nullptr;
  unit_axis(ctx, lay != nullptr ? &lay->haxis : nullptr, "HAXIS=", &key->tmin, &key->tmax, &key->tstep, &key->tticks);
  kes_axis list{};
  r->vaxis_used = unit_axis(ctx, kes_vertical_order(ctx, r, &list), "VAXIS=", &key->dstart, &key->dend, &key->dstep,
                            &key->dticks);
  key->hmin_copy = key->tmin;
  key->hmax_copy = key->tmax;
  key->scale = 1;

  void* group = kes_plot_group(ctx, r->stmt, k, "PPPlot", KES_MSG_PP_PLOT_GROUP);
  const int result = kes_prob_render(ctx, k);
  kes_plot_group_close(group);
  return result;
}
