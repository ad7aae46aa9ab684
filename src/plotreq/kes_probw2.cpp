// The callbacks of the two-parameter Weibull (code 8) on probability and QQ plots: the
// data are plotted as log(value - threshold) against log(-log(1 - p)), one graph per
// THETA= value, with the line log(SIGMA) + (1/C) x quantile.
#include <cmath>
#include <cstdio>

#include "fit/kes_cellnote.h"
#include "fit/kes_estframe.h"
#include "fit/kes_famfn.h"
#include "fit/family/kes_families.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "numeric/zqscale.h"
#include "plotdata/kes_points.h"
#include "plotreq/kes_probfns.h"
#include "plotreq/prob_callbacks.h"
#include "plotreq/prob_common.h"
#include "records/kes_cell.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"
#include "records/kes_values.h"
#include "records/stmt_slots.h"

namespace {

constexpr double kThresholdGap = KES_WEIBULL2_GAP;

bool given(const kes_stmt* s, int slot) { return kes_pgiven(s, slot); }

// Threshold i of the THETA= list, else 0.
double threshold(const kes_stmt* s, int i) {
  const int n = kes_pcount(s, KES_PLOT_SLOT_WEIBULL2_THETA);
  if (n < 1) return 0.0;
  return kes_pnumbers(s, KES_PLOT_SLOT_WEIBULL2_THETA)[i < n ? i : n - 1];
}

// Fits SIGMA and C with threshold i. SLOPE= stands for 1/C. 0 fitted (the line set),
// else 0 with the line cleared, after the note when the threshold does not lie below
// the data or the fit gave a reason: the points stand at log(value - threshold) against quantiles that need no
// fitted parameter, so a failed fit loses the line and never the points (the values
// at the threshold are left out with their own note).
int fit(kes_ctx* ctx, kes_cell* cell, kes_plotslot* slot, int i, bool* fitted) {
  kes_preq* r = ctx->curreq;
  kes_stmt* s = r->stmt;
  *fitted = false;
  kes_optslot* c = &s->slots[KES_PLOT_SLOT_WEIBULL2_C];
  if (given(s, KES_PLOT_SLOT_WEIBULL2_SLOPE)) {
    c->given = c->given2 = 1;
    c->v.num = 1.0 / kes_pnumber(s, KES_PLOT_SLOT_WEIBULL2_SLOPE);
  } else if (given(s, KES_PLOT_SLOT_WEIBULL2_SLOPE_EST)) {
    c->given = c->given2 = 0;
  }
  kes_curve* curve = kes_fit_curve(slot);
  curve->params[0] = threshold(s, i);
  const int rc = keswest(ctx, r, cell, KES_DIST_WEIBULL2, 0, 0, i, nullptr);
  if (rc == 0) {
    slot->intercept = std::log(curve->params[1]);
    slot->slope = 1.0 / curve->params[2];
    *fitted = true;
    return 0;
  }
  const double theta = curve->params[0];
  const kes_varsum* vs = kes_fit_varsum(ctx, cell);
  slot->line = 0;
  if (rc == KES_RC_OUT_OF_MEMORY) return rc;
  if (std::isnan(theta) || vs == nullptr || !(theta < vs->min)) kesnoest(ctx, cell, KES_DIST_WEIBULL2);
  else kesnoest_if_reason(ctx, cell, KES_DIST_WEIBULL2);
  return 0;
}

// The smallest of the values (ascending) more than the gap above the threshold, NaN
// when none is; *below counts the values (with their frequencies) before it.
double first_above(const kes_valview* v, double theta, long* below) {
  kes_valiter it(v);
  double x = 0;
  int count = 0;
  while (it.next(&x, &count)) {
    if (x - theta > kThresholdGap) return x;
    *below += count;
  }
  return NAN;
}

bool scale_asked(const kes_stmt* s) {
  return given(s, KES_PLOT_SLOT_WEIBULL2_SIGMA) || given(s, KES_PLOT_SLOT_WEIBULL2_SIGMA_EST);
}
bool shape_asked(const kes_preq* r) {
  const kes_stmt* s = r->stmt;
  const bool slope = given(s, KES_PLOT_SLOT_WEIBULL2_SLOPE) || given(s, KES_PLOT_SLOT_WEIBULL2_SLOPE_EST);
  return given(s, KES_PLOT_SLOT_WEIBULL2_C) || given(s, KES_PLOT_SLOT_WEIBULL2_C_EST) || slope;
}

}  // namespace

int kesw21(kes_ctx* ctx, kes_cell* cell, kes_plotslot* slot, int*, int*) {
  const kes_stmt* s = ctx->curreq->stmt;
  slot->line = 0;
  const bool any_est = given(s, KES_PLOT_SLOT_WEIBULL2_THETA) || given(s, KES_PLOT_SLOT_WEIBULL2_SIGMA_EST) ||
                       given(s, KES_PLOT_SLOT_WEIBULL2_C_EST) ||
                       given(s, KES_PLOT_SLOT_WEIBULL2_SLOPE_EST);
  if (!any_est || !scale_asked(s) || !shape_asked(ctx->curreq)) {
    kesline(ctx, slot, KES_PLOT_SLOT_WEIBULL2_THETA, KES_PLOT_SLOT_WEIBULL2_SIGMA, KES_PLOT_SLOT_WEIBULL2_SLOPE);
    return kes_prob_first_end(ctx, slot, KES_DIST_WEIBULL2);
  }
  slot->line = 1;
  bool fitted = false;
  const int rc = fit(ctx, cell, slot, 0, &fitted);
  return rc != 0 ? rc : kes_prob_first_end(ctx, slot, KES_DIST_WEIBULL2);
}

int kesw22(kes_ctx* ctx, kes_cell* cell, kes_plotslot* slot, int i, int, double p_low, double p_high, double* q_low,
           double* q_high) {
  kes_preq* r = ctx->curreq;
  const kes_stmt* s = r->stmt;
  kes_curve* c = kes_fit_curve(slot);
  if (c == nullptr) return 1;
  const double theta = threshold(s, i);
  c->params[0] = theta;

  double a = slot->intercept_saved, b = slot->slope_saved;
  int status = 0;
  bool fitted = false;
  if (i > 0 && scale_asked(s) && shape_asked(ctx->curreq)) {
    slot->line = 1;
    status = fit(ctx, cell, slot, i, &fitted);
    c->params[0] = theta;
  }
  if (fitted) {
    a = slot->intercept;
    b = slot->slope;
  } else {
    slot->intercept = slot->intercept_saved;
    slot->slope = slot->slope_saved;
  }
  kes_prob_turn_line(ctx, slot, a, b);

  // The data axis is log(value - threshold): the values at or below the threshold have
  // no place on it and are left out of the cell (the point makers skip them), the
  // note says how many; a cell with no value above it has nothing to plot.
  double lo = *q_low, hi = *q_high;
  if (lo - theta <= kThresholdGap) {
    long below = 0;
    lo = first_above(kes_cell_values(ctx, cell), theta, &below);
    char count[48];
    const int n = std::snprintf(count, sizeof count, std::isnan(lo) ? "all %ld values" : below == 1 ? "%ld value" : "%ld values", below);
    const kes_name32& v = ctx->curname;
    kes_cell_note(ctx, r, cell, KES_SET_PLOT,
                  {KES_MSG_WEIBULL2_THRESHOLD_VALUES_LEFT_OUT, KES_MSG_WEIBULL2_THRESHOLD_VALUES_LEFT_OUT_CELL,
                   KES_MSG_WEIBULL2_THRESHOLD_VALUES_LEFT_OUT_CELL2},
                  v.text, v.len, count, n);
    if (std::isnan(lo)) return KES_PROB_NOTHING_ABOVE_THRESHOLD;
  }
  // By limit: lower, target, upper (KES_SET_LABEL).
  static constexpr int kAtThreshold[3] = {KES_MSG_LOWER_LIMIT_AT_THRESHOLD, KES_MSG_TARGET_AT_THRESHOLD,
                                          KES_MSG_UPPER_LIMIT_AT_THRESHOLD};
  for (int k = 0; k < 3; ++k) {
    if (!slot->limit_given[k]) continue;
    const double v = slot->limit[k];
    if (v - theta < kThresholdGap) {
      xpmlog(KES_SET_LABEL, kAtThreshold[k]);
      slot->limit_given[k] = 0;
    } else {
      lo = std::fmin(lo, v);
    }
  }
  lo = std::log(lo - theta);
  hi = std::log(hi - theta);
  slot->logrange[0] = lo;
  slot->logrange[1] = hi;
  // Each cell keeps its own scale; the driver scales the key cell over all of them.
  zqscale_axis ax{};
  const int n = zqscale(lo, hi, 5, ZQSCALE_NNICE, ZQSCALE_NICE, &ax, 'S', 'X');
  slot->dstart = ax.start;
  slot->dend = ax.end;
  slot->dstep = ax.increment;
  slot->dticks = n + 1;
  slot->dword = ax.index;
  *q_low = lo;
  *q_high = hi;
  return kes_prob_quantiles(ctx, cell, slot, p_low, p_high, q_low, q_high, status);
}
