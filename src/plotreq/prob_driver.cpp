// kes_probrun(ctx, k, kind): one PROBPLOT or QQPLOT request for the current variable.
// Every cell gets a curve record; the family's first callback takes or fits the
// parameters and the line of every cell with spread; the first such cell stands in
// for a key cell whose family could not be fitted; then one graph per shape pair, its
// theoretical range from the second callbacks.
#include "plotreq/prob_driver.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cstdio>
#include <cmath>
#include <utility>
#include <iterator>

#include "fit/kes_cellnote.h"
#include "fit/kes_estframe.h"
#include "host/host_services.h"
#include "host/kes_checked.h"
#include "host/step_codes.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "numeric/zqscale.h"
#include "plotdata/kes_points.h"
#include "plotreq/hist_bins.h"
#include "plotreq/kes_probfns.h"
#include "plotreq/prob_common.h"
#include "records/kes_cell.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_layout.h"
#include "records/kes_plotslot.h"
#include "records/stmt_slots.h"

namespace {
// The shape-value list of each family whose element counts give the graphs: first and
// second list slot (0: one graph).
struct shape_lists {
  int a, b;
};
constexpr shape_lists kShapeLists[] = {
    {KES_NO_SLOT, KES_NO_SLOT}, {KES_PLOT_SLOT_LOGNORMAL_SIGMA, KES_NO_SLOT}, {KES_NO_SLOT, KES_NO_SLOT},
    {KES_PLOT_SLOT_WEIBULL_C, KES_NO_SLOT}, {KES_PLOT_SLOT_GAMMA_ALPHA, KES_NO_SLOT},
    {KES_PLOT_SLOT_BETA_ALPHA, KES_PLOT_SLOT_BETA_BETA}, {KES_PLOT_SLOT_SB_DELTA, KES_PLOT_SLOT_SB_GAMMA},
    {KES_PLOT_SLOT_SU_DELTA, KES_PLOT_SLOT_SU_GAMMA}, {KES_PLOT_SLOT_WEIBULL2_THETA, KES_NO_SLOT},
};
static_assert(std::size(kShapeLists) == KES_DIST_WEIBULL2 + 1, "one entry per family of a QQ or probability plot");

int list_count(const kes_stmt* s, int slot) { return slot == KES_NO_SLOT ? 1 : kes_pcount(s, slot); }

// Puts the request's key cell back on every way out.
struct key_keeper {
  kes_classvars* cv;
  kes_cell* key;
  ~key_keeper() { cv->keycell = key; }
};

struct axis_ref {
  double *start, *end, *step;
  int *ticks, *word;
};
axis_ref theoretical(kes_plotslot* s) { return {&s->tmin, &s->tmax, &s->tstep, &s->tticks, &s->tword}; }
axis_ref data_axis(kes_plotslot* s) { return {&s->dstart, &s->dend, &s->dstep, &s->dticks, &s->dword}; }

void store_axis(const zqscale_axis& ax, int n, const axis_ref& a) {
  *a.start = ax.start;
  *a.end = ax.end;
  *a.step = ax.increment;
  *a.ticks = n + 1;
  *a.word = ax.index;
}

void nice_axis(double lo, double hi, const axis_ref& a) {
  zqscale_axis ax{};
  int n = zqscale(lo, hi, 5, ZQSCALE_NNICE, ZQSCALE_NICE, &ax, 'S', 'X');
  if (!std::isfinite(lo) || !std::isfinite(hi)) return store_axis(ax, n, a);
  if (n < 0 && !std::isfinite(hi - lo)) {
    // A range wider than the largest double is scaled at half size and doubled back
    // (exact in binary).
    n = zqscale(lo / 2, hi / 2, 5, ZQSCALE_NNICE, ZQSCALE_NICE, &ax, 'S', 'X');
    ax.increment *= 2;
    ax.start *= 2;
    ax.end *= 2;
  }
  // Where a nice end would pass the doubles (data near -DBL_MAX rounded down a step),
  // the axis runs from the data's own ends, by the nice step, so that no value is cut
  // off and no end is infinite.
  if (!std::isfinite(ax.start) || !std::isfinite(ax.end)) {
    ax.start = lo;
    ax.end = hi;
    n = kes_clamped_int(std::floor(kes_steps_between(lo, hi, ax.increment)), 0, INT_MAX - 1);
  }
  store_axis(ax, n, a);
}

// Exchanges the theoretical and the data axis of the slot (ROTATE on a device).
void swap_axes(kes_plotslot* s) {
  std::swap(s->tmin, s->dstart);
  std::swap(s->tmax, s->dend);
  std::swap(s->tstep, s->dstep);
  std::swap(s->tticks, s->dticks);
  std::swap(s->tword, s->dword);
}

bool usable(const kes_cell* cell, const kes_classvars* cv) { return cv->count == 0 || !cell->hist_empty; }

}  // namespace

bool kes_prob_pctticks(kes_ctx* ctx, kes_preq* r, double* low, double* high) {
  const kes_stmt* s = r->stmt;
  const int n = kes_pcount(s, KES_PLOT_SLOT_PCTLORDER);
  if (n > 0) {
    const double* v = kes_pnumbers(s, KES_PLOT_SLOT_PCTLORDER);
    if (v[0] <= *low && v[n - 1] >= *high) {
      r->pctl = v;
      r->npctl = n;
      *low = v[0];
      *high = v[n - 1];
      return true;
    }
    kes_var_note(ctx, KES_SET_PLOT, KES_MSG_PCTLORDER_DOES_NOT_COVER);
    xpmlog(KES_SET_PLOT, KES_MSG_DEFAULT_PERCENT_TICKS_USED);
  }
  int a = -1;
  for (int i = 0; i <= 8; ++i)
    if (kes_dfltpts[i] <= *low) a = i;
  int b = -1;
  for (int i = 0; i <= 16; ++i)
    if (kes_dfltpts[i] >= *high) {
      b = 16 - i;
      break;
    }
  const int m = a < b ? a : b;
  if (m < 0) {
    const kes_name32& v = ctx->curname;
    xpmlog(KES_SET_PLOT, KES_MSG_PLOTTING_POSITIONS_BEYOND_TICKS, static_cast<int>(v.len), v.text, *low, *high);
    xpmlog(KES_SET_PLOT, KES_MSG_PROBABILITY_PLOT_NOT_DRAWN_PCTLORDER);
    return false;
  }
  r->pctl = &kes_dfltpts[m];
  r->npctl = 17 - 2 * m;
  *low = kes_dfltpts[m];
  *high = kes_dfltpts[16 - m];
  return true;
}

void kes_qq_pctlticks(kes_preq* r, double p_low, double p_high) {
  const double lo = 100 * p_low, hi = 100 * p_high;
  int a = 9;
  for (int i = 0; i <= 8; ++i)
    if (lo < kes_dfltpts[i]) {
      a = i;
      break;
    }
  int b = 17;
  for (int k = 0; k <= 16; ++k)
    if (hi > kes_dfltpts[16 - k]) {
      b = k;
      break;
    }
  const int n = 17 - a - b;
  r->pctl = &kes_dfltpts[a < 17 ? a : 16];
  r->npctl = n > 0 ? n : 0;
}

namespace {

// The ranges every cell sets: its values', and its plotting positions' (as percents,
// or fractions for a QQ plot).
struct cell_ranges {
  double lo = DBL_MAX, hi = -DBL_MAX, plow = DBL_MAX, phigh = -DBL_MAX;
};

// Every cell's spread, its share of the ranges and its curve record. 0, or the step
// code after the notes (a single cell without spread, no cell with spread).
int scan_cells(kes_ctx* ctx, const kes_probkind& kind, cell_ranges* rg) {
  const kes_preq* r = ctx->curreq;
  const kes_classvars* cv = r->classvars;
  const int v = ctx->curvar;
  const double c1 = r->rankadj, c2 = r->nadj;
  const double factor = kind.qq ? 1.0 : 100.0;
  kes_prob_curves curves = kes_prob_curve_block(ctx);
  bool any = false;
  const int rc = kes_each_cell(ctx->classvars, [&](kes_cell* cell) -> int {
    const kes_varsum& vs = cell->varsums[v];
    cell->hist_empty = std::isnan(vs.std) || vs.std == 0;
    if (cell->hist_empty) {
      if (cv->count == 0) {
        kes_prob_note(ctx, cell, KES_SET_PLOT, {kind.empty_alone, 0, 0});
        return KES_RC_BAD_OPTION;
      }
      kes_prob_note(ctx, cell, KES_SET_PLOT, {0, kind.empty_cell, kind.empty_cell2});
    } else {
      any = true;
    }
    // A cell without spread is left out of the fits but not of the axes: every cell's
    // values and plotting positions set the one scale the panels share.
    if (!std::isnan(vs.min)) rg->lo = std::fmin(rg->lo, vs.min);
    if (!std::isnan(vs.max)) rg->hi = std::fmax(rg->hi, vs.max);
    if (vs.n > 0) {
      rg->plow = std::fmin(rg->plow, factor * (1 + c1) / (vs.n + c2));
      rg->phigh = std::fmax(rg->phigh, factor * (vs.n + c1) / (vs.n + c2));
    }
    if (const int a = kes_prob_curve(ctx, cell, r->dist, &curves); a != 0) return a;
    kes_prob_slot(ctx, cell)->n = static_cast<int>(vs.n);
    return 0;
  });
  if (rc != 0) return rc;
  if (!any) {
    kes_var_note(ctx, KES_SET_PLOT, kind.none_usable);
    return KES_RC_BAD_OPTION;
  }
  return 0;
}

// A cell whose fit failed draws none of its values: each is placed by the fitted
// shapes. The log says how many, in which cell (a plot without CLASS cells is not
// drawn at all, and says so).
void unfitted_note(kes_ctx* ctx, kes_cell* cell) {
  const double n = cell->varsums[ctx->curvar].n;
  if (ctx->curreq->classvars->count == 0 || !(n >= 1)) return;
  // A cell with spread holds two values or more.
  char count[32];
  const int len = std::snprintf(count, sizeof count, "%ld", kes_clamped_int(n, 0L, LONG_MAX));
  const kes_name32& v = ctx->curname;
  kes_cell_note(ctx, ctx->curreq, cell, KES_SET_PLOT,
                {0, KES_MSG_UNFITTED_VALUES_NOT_DRAWN_CELL, KES_MSG_UNFITTED_VALUES_NOT_DRAWN_CELL2}, count, len, v.text,
                v.len);
}

// A cell of a fitted curve some of whose values have no theoretical quantile under the
// shapes of this graph: the log says how many of its values the graph leaves out. The
// theoretical range of the values drawn widens *lo and *hi, so that the axis holds
// them where a tick's quantile cannot be had.
void no_quantile_note(kes_ctx* ctx, kes_cell* cell, double* lo, double* hi) {
  const kes_curve* c = kes_fit_curve(kes_prob_slot(ctx, cell));
  if (c == nullptr || !c->fitted) return;
  const int t = ctx->curreq->rotate ? 1 : 0;  // the theoretical coordinate of a point
  long all = 0, lost = 0;
  kespoints_pieces(ctx, cell, [&](double* xy, long, int n) {
    all += n;
    for (int i = 0; i < n; ++i) {
      if (!std::isfinite(xy[2 * i]) || !std::isfinite(xy[2 * i + 1])) {
        ++lost;
        continue;
      }
      *lo = std::fmin(*lo, xy[2 * i + t]);
      *hi = std::fmax(*hi, xy[2 * i + t]);
    }
  });
  if (lost == 0) return;
  char count[64];
  const int len = std::snprintf(count, sizeof count, "%ld of the %ld", lost, all);
  const kes_name32& v = ctx->curname;
  kes_cell_note(ctx, ctx->curreq, cell, KES_SET_PLOT,
                {0, KES_MSG_NO_QUANTILE_VALUES_NOT_DRAWN_CELL, KES_MSG_NO_QUANTILE_VALUES_NOT_DRAWN_CELL2}, count, len,
                v.text, v.len);
}

// The family's first callback on every cell with spread, keeping each line as fitted.
// 0 with *first_ok the first cell whose parameters were had, or the step code (after
// the note when no cell's were).
int first_fits(kes_ctx* ctx, const kes_probkind& kind, const kes_probfns* fns, int* na, int* nb,
               kes_cell** first_ok) {
  const kes_classvars* cv = ctx->curreq->classvars;
  *first_ok = nullptr;
  const int rc = kes_each_cell(ctx->classvars, [&](kes_cell* cell) {
    if (!usable(cell, cv)) return 0;
    kes_plotslot* s = kes_prob_slot(ctx, cell);
    const int f = fns->first(ctx, cell, s, na, nb);
    s->intercept_saved = s->intercept;
    s->slope_saved = s->slope;
    if (f == KES_RC_OUT_OF_MEMORY) return f;
    if (f == 0 && *first_ok == nullptr) *first_ok = cell;
    if (f != 0) unfitted_note(ctx, cell);
    return 0;
  });
  if (rc != 0) return rc;
  if (*first_ok == nullptr) {
    kes_var_note(ctx, KES_SET_PLOT, kind.none_usable);
    return KES_RC_BAD_OPTION;
  }
  return 0;
}

// The key cell whose family could not be fitted hands its data axis to the first
// fitted cell, which stands in as the key (key_keeper puts the key back). The key's
// slot.
kes_plotslot* stand_in_key(kes_ctx* ctx, kes_classvars* cv, kes_plotslot* key, kes_cell* first_ok) {
  if (const kes_curve* c = kes_fit_curve(key); c != nullptr && c->fitted) return key;
  kes_plotslot* stand_in = kes_prob_slot(ctx, first_ok);
  stand_in->dstart = key->dstart;
  stand_in->dend = key->dend;
  stand_in->dstep = key->dstep;
  stand_in->dticks = key->dticks;
  stand_in->dword = key->dword;
  cv->keycell = first_ok;
  return stand_in;
}

// The theoretical range of one shape pair over the cells (from the second callbacks)
// and the cells' own log ranges. Whether the graph is left out (a single cell's
// quantiles could not be had).
struct shape_ranges {
  double qlo = DBL_MAX, qhi = -DBL_MAX, llo = DBL_MAX, lhi = -DBL_MAX;
};
bool second_fits(kes_ctx* ctx, const kes_probkind& kind, const kes_probfns* fns, int i, int j, double p_low,
                 double p_high, shape_ranges* sr) {
  const kes_classvars* cv = ctx->curreq->classvars;
  const int v = ctx->curvar;
  bool skip = false;
  kes_each_cell(ctx->classvars, [&](kes_cell* cell) {
    if (!usable(cell, cv)) return 0;
    kes_plotslot* s = kes_prob_slot(ctx, cell);
    const kes_varsum& vs = cell->varsums[v];
    double ql = vs.min, qh = vs.max;
    s->logrange[0] = s->logrange[1] = NAN;
    const int rc = fns->second(ctx, cell, s, i, j, p_low, p_high, &ql, &qh);
    if (rc == KES_PROB_NOTHING_ABOVE_THRESHOLD) {
      skip = skip || cv->count == 0;
    } else if (rc != 0) {
      if (cv->count == 0) {
        kes_var_note(ctx, KES_SET_PLOT, KES_MSG_QUANTILES_CANNOT_BE_COMPUTED);
        skip = true;
      } else {
        kes_prob_note(ctx, cell, KES_SET_PROC,
                      {0, KES_MSG_QUANTILES_NOT_COMPUTED_CELL, KES_MSG_QUANTILES_NOT_COMPUTED_CELL2});
        // The theoretical axis holds the values drawn where an end quantile is lost:
        // a value without a quantile is not drawn, so it sets no end of the axis.
        double dlo = DBL_MAX, dhi = -DBL_MAX;
        no_quantile_note(ctx, cell, &dlo, &dhi);
        ql = std::fmin(ql, dlo);
        qh = std::fmax(qh, dhi);
        if (kind.qq && cell == cv->keycell && dlo > dhi) {
          // A key cell that draws no value keeps its data ends as the Q-Q axis its
          // cell notes are placed against.
          if (ql == DBL_MAX) ql = vs.min;
          if (qh == -DBL_MAX) qh = vs.max;
        }
      }
    }
    sr->qlo = std::fmin(sr->qlo, ql);
    sr->qhi = std::fmax(sr->qhi, qh);
    if (!std::isnan(s->logrange[0])) {
      sr->llo = std::fmin(sr->llo, s->logrange[0]);
      sr->lhi = std::fmax(sr->lhi, s->logrange[1]);
    }
    return 0;
  });
  return skip;
}

// The axes of one shape pair's graph on the key's slot, and the graph: the template
// renderer takes the axes as they are; a device orders them by HAXIS= and VAXIS= and
// draws with the theoretical axis vertical under ROTATE. The renderer's result.
int draw_shape(kes_ctx* ctx, int k, const kes_probkind& kind, kes_plotslot* key, const cell_ranges& rg,
               const shape_ranges& sr, double p_low, double p_high) {
  kes_preq* r = ctx->curreq;
  double dlo = rg.lo, dhi = rg.hi;
  if (r->dist == KES_DIST_WEIBULL2) {
    // One log axis over every cell's own range.
    dlo = sr.llo;
    dhi = sr.lhi;
    if (dlo <= dhi) nice_axis(dlo, dhi, data_axis(key));
  }
  if (kind.qq) {
    if (r->pctlaxis) kes_qq_pctlticks(r, p_low, p_high);
    nice_axis(sr.qlo, sr.qhi, theoretical(key));
  } else {
    key->tmin = sr.qlo;
    key->tmax = sr.qhi;
    key->tstep = sr.qhi - sr.qlo;
    key->tticks = 2;
  }
  key->hmin_copy = key->tmin;
  key->hmax_copy = key->tmax;
  // The vertical axis takes the VAXIS= ticks: the data axis, or under ROTATE the
  // theoretical one, unless that is a percent axis (PROBPLOT, PCTLSCALE).
  kes_axis list{};
  const kes_axis* vorder = kes_vertical_order(ctx, r, &list);
  if (vorder == &list && r->rotate && (!kind.qq || kes_flag(r->stmt, KES_PLOT_FLAG_PCTLSCALE))) {
    xspplace(r->stmt, KES_PLOT_SLOT_VAXIS);
    xpmlog(KES_SET_PLOT, KES_MSG_VAXIS_ON_PERCENT_AXIS);
    vorder = nullptr;
  }
  r->vaxis_used = 0;
  r->pctl_per_cell = (!kind.qq || r->pctlaxis) && kes_pctl_places_per_cell(ctx) ? 1 : 0;
  if (ctx->tmplgraph || !ctx->devgraph) {
    if (vorder != nullptr && r->rotate)
      r->vaxis_used = kes_order_axis(ctx, vorder, "VAXIS=", sr.qlo, sr.qhi, &key->tmin, &key->tmax, &key->tstep,
                                     &key->tticks);
    else if (vorder != nullptr)
      r->vaxis_used = kes_order_axis(ctx, vorder, "VAXIS=", dlo, dhi, &key->dstart, &key->dend, &key->dstep,
                                     &key->dticks);
    kes_prob_render(ctx, k);
    return 0;
  }
  if (r->layout != nullptr) {
    const kes_axis* t_axis = r->rotate ? vorder : &r->layout->haxis;
    const kes_axis* d_axis = r->rotate ? &r->layout->haxis : vorder;
    const char* t_name = r->rotate ? "VAXIS=" : "HAXIS=";
    const char* d_name = r->rotate ? "HAXIS=" : "VAXIS=";
    if (kind.qq)
      kes_order_axis(ctx, t_axis, t_name, sr.qlo, sr.qhi, &key->tmin, &key->tmax, &key->tstep, &key->tticks);
    kes_order_axis(ctx, d_axis, d_name, dlo, dhi, &key->dstart, &key->dend, &key->dstep, &key->dticks);
  }
  if (r->rotate) swap_axes(key);
  key->hmin_copy = key->tmin;
  key->hmax_copy = key->tmax;
  const int result = kes_prob_render(ctx, k);
  if (r->rotate) swap_axes(key);
  return result;
}

}  // namespace

int kes_probrun(kes_ctx* ctx, int k, const kes_probkind& kind) {
  kes_preq* r = ctx->curreq;
  kes_stmt* st = r->stmt;
  if (!kes_prob_begin(ctx, kind.no_key, true, KES_DIST_NORMAL, true)) return 0;
  kes_classvars* cv = r->classvars;
  const int code = r->dist;

  cell_ranges rg;
  if (const int rc = scan_cells(ctx, kind, &rg); rc != 0) return rc;
  kes_plotslot* key = kes_prob_slot(ctx, cv->keycell);
  // The two-parameter Weibull scales its log axis in its second callback.
  if (code != KES_DIST_WEIBULL2) nice_axis(rg.lo, rg.hi, data_axis(key));

  const kes_probfns* fns = kes_probdisp(code);
  int na = list_count(st, kShapeLists[code].a), nb = list_count(st, kShapeLists[code].b);
  if (code == KES_DIST_WEIBULL2 && na < 1) na = 1;
  kes_cell* first_ok = nullptr;
  if (const int rc = first_fits(ctx, kind, fns, &na, &nb, &first_ok); rc != 0) return rc;

  key_keeper keeper{cv, cv->keycell};
  key = stand_in_key(ctx, cv, key, first_ok);

  double p_low = rg.plow, p_high = rg.phigh;
  if (!kind.qq) {
    if (!kes_prob_pctticks(ctx, r, &p_low, &p_high)) return 1;
    p_low /= 100;
    p_high /= 100;
  }

  void* group = kes_plot_group(ctx, st, k, kind.name, kind.label_msg);
  int result = 0;
  for (int i = 0; i < na && result == 0; ++i) {
    for (int j = 0; j < nb && result == 0; ++j) {
      shape_ranges sr;
      if (second_fits(ctx, kind, fns, i, j, p_low, p_high, &sr)) continue;
      result = draw_shape(ctx, k, kind, key, rg, sr, p_low, p_high);
    }
  }
  kes_plot_group_close(group);
  return result;
}
