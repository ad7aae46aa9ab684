// kesstgqq and kesstgprob: the template graphs of QQ and probability plots. Both plot
// the ordered data against the family's quantiles, with each cell's reference line;
// the QQ graph describes its quantile axis (and an optional percentile axis) through
// dynamics, the probability graph its percent axis. putqq and putprob write a cell's
// rows.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "host/template_dynamics.h"
#include "plotdata/kes_points.h"
#include "fit/family/kes_law.h"
#include "fit/kes_estframe.h"
#include "fit/kes_famfn.h"
#include "fitreport/kes_famsets.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "records/kes_cell.h"
#include "records/kes_cells.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"
#include "records/kes_values.h"
#include "records/pool_alloc.h"
#include "records/stmt_slots.h"
#include "tmplgraph/kes_stgraph.h"
#include "tmplgraph/stg_labels.h"
#include "tmplgraph/stg_prob.h"

namespace {

// Value cells of the columns; under ROTATE "Quantile" and "Data" exchange theirs, so
// that each keeps its own member of a point, which kespoints exchanges.
constexpr int kFirst = 1, kSecond = 2, kRefInt = 3, kRefSlope = 4, kPercentile = 5, kCellPctl = 12, kAtThreshold = 13,
              kUnfitted = 14;
constexpr int kPctlLabelMax = 40;

// The graph templates: [rotated][comparative].
const char* const kQqGraphs[2][2] = {{"QQPlot", "CompQQPlot"}, {"QQPlotRotated", "CompQQPlotRotated"}};
const char* const kProbGraphs[2][2] = {{"ProbPlot", "CompProbPlot"}, {"ProbPlotRotated", "CompProbPlotRotated"}};

// Whether the request's law is of ln(x - threshold), whose values at the threshold
// take no point.
bool log_of_data(const kes_preq* r) {
  const kes_law* law = kes_law_of(r->dist);
  return law != nullptr && law->log_of_data;
}


// Whether some CLASS cell draws a line other than the key cell's.
bool own_lines(kes_ctx* ctx, const kes_plotslot* key) {
  return kes_each_cell(ctx->curreq->classvars, [&](kes_cell* cell) -> int {
           const kes_plotslot* s = kes_stg_slot(ctx, cell);
           const kes_curve* c = s != nullptr ? kes_fit_curve(const_cast<kes_plotslot*>(s)) : nullptr;
           if (s == nullptr || !s->line || c == nullptr || !c->fitted) return 0;
           return s->intercept != key->intercept || s->slope != key->slope ? 1 : 0;
         }) != 0;
}

// A cell with spread whose fit failed: its values have no quantiles and no point.
bool unfitted(kes_ctx* ctx, kes_cell* cell) {
  const kes_plotslot* s = kes_stg_slot(ctx, cell);
  const kes_curve* c = s != nullptr ? kes_fit_curve(const_cast<kes_plotslot*>(s)) : nullptr;
  const double n = cell->varsums != nullptr ? cell->varsums[ctx->curvar].n : 0;
  return n >= 1 && !cell->hist_empty && (c == nullptr || !c->fitted);
}

// The slot whose shapes place the shared percents: the key cell's, or where its fit
// failed (it places none) the first cell's that was fitted.
const kes_plotslot* percent_slot(kes_ctx* ctx) {
  const kes_plotslot* key = kes_stg_keyslot(ctx);
  const auto fitted = [](const kes_plotslot* s) {
    const kes_curve* c = s != nullptr ? kes_fit_curve(const_cast<kes_plotslot*>(s)) : nullptr;
    return c != nullptr && c->fitted;
  };
  if (fitted(key) || ctx->curreq->classvars == nullptr) return key;
  const kes_plotslot* first = nullptr;
  kes_each_cell(ctx->curreq->classvars, [&](kes_cell* cell) -> int {
    const kes_plotslot* s = kes_stg_slot(ctx, cell);
    if (!fitted(s)) return 0;
    first = s;
    return 1;
  });
  return first != nullptr ? first : key;
}

// The percents that get ticks: those whose quantile exists under the shapes that place
// the shared percents, into pct (room for the request's percents); their count.
int tick_percents(kes_ctx* ctx, double* pct) {
  const kes_preq* r = ctx->curreq;
  const kes_plotslot* at = percent_slot(ctx);
  int kept = 0;
  for (int i = 0; i < r->npctl; ++i)
    if (std::isfinite(kes_pctl_position(ctx, r->pctl[i], at))) pct[kept++] = r->pctl[i];
  return kept;
}

// The place of a percent under a cell's own fitted shapes (NaN when it has none).
double cell_position(kes_ctx* ctx, const kes_plotslot* s, double percent) {
  const kes_curve* c = s != nullptr ? kes_fit_curve(const_cast<kes_plotslot*>(s)) : nullptr;
  if (c == nullptr || !c->fitted) return NAN;
  return kes_pctl_position(ctx, percent, s);
}

// Columns, bound table and rows both graphs share.
void frame(kes_ctx* ctx, kes_stgraph* g, bool prob) {
  kes_preq* r = ctx->curreq;
  const kes_classvars* cv = r->classvars;
  const kes_plotslot* key = kes_stg_keyslot(ctx);
  const kes_curve* kc = key != nullptr ? kes_fit_curve(const_cast<kes_plotslot*>(key)) : nullptr;
  const char* data_name = prob ? "ProbPlotData" : "QQPlotData";
  kes_stg_create(ctx, g, data_name);
  if (cv->count > 0) classcols(cv, g);
  if (r->line_wanted && kc != nullptr && kc->fitted) {
    char buf[256];
    // Cells that draw lines of their own are not described by the key cell's numbers.
    const int n = own_lines(ctx, key) ? xpmstr(buf, sizeof buf, KES_SET_PLOT, KES_MSG_FITTED_PER_CELL)
                                      : kes_reflinelab(ctx, buf, key->intercept, key->slope);
    kes_dyn_text(g, KES_DYN_REFLINELAB, vemtxt(buf, n));
  }
  if (kes_flag(r->stmt, KES_PLOT_FLAG_SQUARE)) kes_dyn_double(g, KES_DYN_ASPECTRATIO, 1.0);
  kes_stg_linestyle(ctx, g);
  kes_stg_yticks(ctx, g);
  const bool rot = r->rotate;
  kes_stg_numcol(g, "Quantile", rot ? kSecond : kFirst,
                 prob ? vemtxt("Quantile", 8) : vemmsg(KES_SET_PLOT, KES_MSG_QUANTILE));
  kes_stg_numcol(g, "Data", rot ? kFirst : kSecond, vemtxt(g->var.name, g->var.name_len), true);
  if (prob) kes_stg_numcol(g, "Percentile", kPercentile, vemtxt("Percentile", 10));
  // Shapes fitted per cell put each cell's percent ticks at places of its own: row k
  // of a cell holds the place of the k-th percent of _PCTLLABELS. Overlaid groups of
  // such shapes share a frame that no one percent axis reads right for.
  g->cell_pctl = (prob || r->pctlaxis) && r->pctl_per_cell;
  if (g->cell_pctl) kes_stg_numcol(g, "PctlPosition", kCellPctl, vemtxt("PctlPosition", 12));
  // A frame holds a row of percents for each of a few groups, stacked under it (over
  // it for a Q-Q plot's percentile axis); more groups, several frames or a rotated
  // plot get none, and a note says why.
  if (g->cell_pctl && g->overlay) {
    const bool rows = !r->rotate && cv->count == 1 && cv->nlevels <= KES_PCTL_GROUP_ROWS;
    kes_dyn_cstr(g, KES_DYN_PCTLGROUPS, rows ? "ROWS" : "NONE");
    if (!rows)
      xpmlog(KES_SET_PLOT, KES_MSG_OVERLAY_PERCENTS_PER_GROUP, prob ? "probability plot" : "Q-Q plot", g->var.name_len,
             g->var.name, KES_PCTL_GROUP_ROWS);
  }
  // A two-parameter Weibull cell leaves out its values at the threshold: a row of the
  // cell after its points says how many, so that the cell can say it too.
  if (log_of_data(r)) kes_stg_numcol(g, "AtThreshold", kAtThreshold, vemtxt("AtThreshold", 11));
  // A cell whose fit failed sends its values without quantiles, each row marked, so
  // that the cell can say that its values are not drawn and why.
  g->unfitted = kes_each_cell(cv, [&](kes_cell* cell) -> int { return unfitted(ctx, cell) ? 1 : 0; }) != 0;
  if (g->unfitted) kes_stg_numcol(g, "Unfitted", kUnfitted, vemtxt("Unfitted", 8));
  if (r->line_wanted) {
    kes_stg_numcol(g, "RefInt", kRefInt, vemtxt("RefInt", 6));
    kes_stg_numcol(g, "RefSlope", kRefSlope, vemtxt("RefSlope", 8));
  }
  if (r->nhref > 0 || r->nvref > 0) kesrefs(ctx, g);
  kes_stg_bind(ctx, g, data_name);
  putdata(ctx, g);
  kes_stg_emit(ctx, g);
  kesstgins(ctx, g);
}

// The places of the request's percent ticks on the quantile axis, and their labels; a
// percent whose quantile does not exist (it overflows) has no tick. The places go at
// full precision: under a shape of 3E-8 every percent lies within 1E-7 of 1. A Q-Q
// plot's (qq) percents that all stand at one place get none.
void* percent_positions(kes_ctx* ctx, kes_stgraph* g, void** labels, bool qq) {
  const kes_preq* r = ctx->curreq;
  const int n = r->npctl;
  const long bytes = 16L * (n > 0 ? n : 1);
  auto* pos = static_cast<double*>(vmalcp_handler(ctx->runpool, bytes, KES_ALLOC_4));
  if (pos == nullptr) {
    xmemmsg(bytes);
    g->status = KES_RC_OUT_OF_MEMORY;
    *labels = vemtxt("", 0);
    return vemtxt("", 0);
  }
  double* pct = pos + (n > 0 ? n : 1);
  int kept = tick_percents(ctx, pct);
  const kes_plotslot* at = percent_slot(ctx);
  for (int i = 0; i < kept; ++i) pos[i] = kes_pctl_position(ctx, pct[i], at);
  // Percents that all stand at one place (a shape too small to part them) would read
  // as a single percent: the percentile axis shows none, and the log says why.
  if (qq && kept > 1 && std::all_of(pos, pos + kept, [&](double p) { return p == pos[0]; })) {
    xpmlog(KES_SET_PLOT, KES_MSG_PERCENTS_AT_ONE_PLACE, g->var.name_len, g->var.name);
    kept = 0;
  }
  *labels = makenumlist(pct, kept, 7, &g->status);
  void* text = makenumlist_exact(pos, kept, &g->status);
  vmfree_handler(ctx->runpool, pos, -1, KES_FREE_FLAGS);
  return text;
}

// Rows of one cell; prob adds the percentile of each point and writes the reference
// values given in percent at their quantile under the cell's own shapes, where its
// percents stand (a cell without a fit has no percent places of its own: its lines
// stand where the shared percent axis puts them, or nowhere when every cell has its
// own).
void rows(kes_ctx* ctx, kes_stgraph* g, kes_cell* cell, bool prob) {
  kes_preq* r = ctx->curreq;
  const kes_plotslot* s = kes_stg_slot(ctx, cell);
  const double count = cell->varsums != nullptr ? cell->varsums[ctx->curvar].n : 0;
  const auto at_percent = [&](double v) {
    const double own = cell_position(ctx, s, v);
    return !std::isnan(own) || g->cell_pctl ? own : kes_pctl_position(ctx, v);
  };
  const kes_refmap hmap = prob && !r->rotate ? kes_refmap(at_percent) : kes_refmap{};
  const kes_refmap vmap = prob && r->rotate ? kes_refmap(at_percent) : kes_refmap{};
  bool fitted = false;
  long written = 0;
  std::vector<double> pct(g->cell_pctl ? static_cast<std::size_t>(r->npctl) : 0);
  const int kept = g->cell_pctl ? tick_percents(ctx, pct.data()) : 0;
  // Row i, its point cells set when it has a point.
  const auto row = [&](long i) {
    ++written;
    if (i < kept) g->cells[kCellPctl] = cell_position(ctx, s, pct[i]);
    // Each cell draws its own line: comparative cells fit their own parameters.
    if (i == 0 && s->line && fitted) {
      g->cells[kRefInt] = s->intercept;
      g->cells[kRefSlope] = s->slope;
    }
    kes_stg_refrow(ctx, g, static_cast<int>(i), hmap, vmap);
    kes_stg_row(g);
    kes_stg_reset(g);
  };
  kes_stg_reset(g);
  // The points a piece at a time, written as they come: they are never all held.
  const auto put = [&](double* xy, long first, int m) {
    for (int j = 0; j < m; ++j) {
      const long i = first + j;
      g->cells[kFirst] = xy[2 * j];
      g->cells[kSecond] = xy[2 * j + 1];
      if (prob) g->cells[kPercentile] = 100 * (i + 1 + r->rankadj) / (count + r->nadj);
      // Points skipped at a threshold keep their ranks but take no row.
      row(written);
    }
  };
  kes_stg_point_pieces(ctx, g, cell, kespoints_pieces, put, &fitted);
  const long n = written;
  // A cell without spread has no quantiles: its values go out without them, so that
  // the graph can say what the cell holds (one value, or values all equal).
  if (!fitted && cell->hist_empty && count >= 1) {
    const long m = static_cast<long>(count);
    const long all = std::max<long>(m, kes_stg_rowcount(ctx, 0));
    for (long i = 0; i < all; ++i) {
      if (i < m) g->cells[r->rotate ? kFirst : kSecond] = cell->varsums[ctx->curvar].min;
      row(i);
    }
    return;
  }
  // A cell whose fit failed sends its values alone, as the data axis spans them.
  if (!fitted && g->unfitted && unfitted(ctx, cell)) {
    const long m = static_cast<long>(count);
    const long all = std::max<long>(m, kes_stg_rowcount(ctx, 0));
    kes_valiter it(kes_cell_values(ctx, cell));
    double x = 0;
    int f = 0;
    for (long i = 0; i < all; ++i) {
      while (i < m && f == 0 && it.next(&x, &f)) {
      }
      if (i < m && f > 0) {
        g->cells[r->rotate ? kFirst : kSecond] = x;
        g->cells[kUnfitted] = 1;
        --f;
      }
      row(i);
    }
    return;
  }
  // A cell without a fitted curve writes one row (with the first reference values).
  const long rowcount = std::max<long>(fitted ? kes_stg_rowcount(ctx, static_cast<int>(n)) : 1, kept);
  for (long i = n; i < rowcount; ++i) row(i);
  // The values at a two-parameter Weibull threshold took no point.
  const long at_threshold = log_of_data(r) ? static_cast<long>(count) - n : 0;
  if (at_threshold > 0) {
    g->cells[kAtThreshold] = static_cast<double>(at_threshold);
    row(rowcount);
  }
}

}  // namespace

void kesstgqq(kes_ctx* ctx, kes_stgraph* g) {
  kes_preq* r = ctx->curreq;
  const kes_stmt* st = r->stmt;
  kes_plotslot* key = kes_stg_keyslot(ctx);
  if (key == nullptr) return;
  frame(ctx, g, false);
  const bool comp = r->classvars->count > g->overlay;
  void *x = nullptr, *y = nullptr;
  kes_stg_xylabels(ctx, g, &x, &y);

  // The quantile axis from the driver's nice scale; with PCTLSCALE its labels are the
  // percents at the ticks.
  const int cap = kes_qntl_count(key->tmin, key->tmax, key->tstep);
  const long bytes = 8L * cap * (r->pctlscale ? 2 : 1);
  auto* ticks = static_cast<double*>(vmalcp_handler(ctx->runpool, bytes, KES_ALLOC_4));
  if (ticks == nullptr) {
    xmemmsg(bytes);
    g->status = KES_RC_OUT_OF_MEMORY;
    return;
  }
  const int n = kes_qntl_ticks(key->tmin, key->tmax, key->tstep, ticks);
  // Eight places: a tick of an axis wider than the doubles (-1.2E308) keeps its digits.
  void* values = makenumlist(ticks, n, 8, &g->status);
  kes_dyn_text(g, KES_DYN_QNTLVALUES, values);
  kes_dyn_double(g, KES_DYN_QNTLMIN, ticks[0]);
  kes_dyn_double(g, KES_DYN_QNTLMAX, ticks[n - 1]);
  if (r->pctlscale) {
    const kes_famfn* fn = kes_famdisp(r->dist);
    const kes_curve* kc = kes_fit_curve(key);
    for (int i = 0; i < n; ++i) ticks[cap + i] = fn != nullptr && kc != nullptr ? fn->p(kc->params, ticks[i]) : 0;
    kes_dyn_text(g, KES_DYN_QNTLLABELS, makepctlist(ticks + cap, n, &g->status));
  } else {
    kes_dyn_text(g, KES_DYN_QNTLLABELS, values);
  }
  vmfree_handler(ctx->runpool, ticks, -1, KES_FREE_FLAGS);
  kes_dyn_bool(g, KES_DYN_PCTLAXIS, r->pctlaxis);
  if (r->pctlaxis) {
    void* labels = nullptr;
    kes_dyn_text(g, KES_DYN_PCTLVALUES, percent_positions(ctx, g, &labels, true));
    kes_dyn_text(g, KES_DYN_PCTLLABELS, labels);
    if (kes_pgiven(st, KES_PLOT_SLOT_PCTLAXIS_LABEL)) {
      const kes_optslot* o = kes_pslot(st, KES_PLOT_SLOT_PCTLAXIS_LABEL);
      int len = o->list != nullptr ? o->v.count : 0;
      if (len > kPctlLabelMax) len = kPctlLabelMax;
      kes_dyn_text(g, KES_DYN_PCTLAXISLAB, vemtxt(static_cast<const char*>(o->list), len));
      kes_dyn_cstr(g, KES_DYN_PCTLOPTS, "STANDARD");
    } else {
      kes_dyn_cstr(g, KES_DYN_PCTLOPTS, "LINE TICKS TICKVALUES");
    }
    const bool grid = kes_flag(st, KES_PLOT_FLAG_PCTLAXIS_GRID) || kes_pgiven(st, KES_PLOT_SLOT_PCTLAXIS_CGRID) ||
                      kes_pgiven(st, KES_PLOT_SLOT_PCTLAXIS_LGRID) || kes_pgiven(st, KES_PLOT_SLOT_PCTLAXIS_WGRID);
    kes_dyn_cstr(g, KES_DYN_PCTLGRID, grid ? "ON" : "OFF");
  }

  const wob_attr inline_pairs[] = {
      kes_stg_pair_name(KES_DYN_VARLABEL), wob_text(WOB_A_VALUE, g->varlabel),
      kes_stg_pair_name(KES_DYN_XLABEL),   wob_text(WOB_A_VALUE, x),
      kes_stg_pair_name(KES_DYN_YLABEL),   wob_text(WOB_A_VALUE, y),
      kes_stg_pair_name(KES_DYN_REFLINE),  wob_last(WOB_A_VALUE, r->line_wanted),
      kes_stg_pair_name(KES_DYN_OVERLAY),  wob_last(WOB_A_VALUE, g->overlay),
      kes_stg_pair_name(KES_DYN_GROUPLABEL), wob_text(WOB_A_VALUE, kes_stg_grouplabel(g)),
  };
  kes_stg_panels(ctx, g, "QQPlot", KES_MSG_QQ_PLOT_OF_VAR, kQqGraphs[r->rotate ? 1 : 0][comp ? 1 : 0], inline_pairs,
                 12);
}

void kesstgprob(kes_ctx* ctx, kes_stgraph* g) {
  kes_preq* r = ctx->curreq;
  if (kes_stg_keyslot(ctx) == nullptr) return;
  frame(ctx, g, true);
  const bool comp = r->classvars->count > g->overlay;
  void *x = nullptr, *y = nullptr;
  kes_stg_xylabels(ctx, g, &x, &y);
  void* labels = nullptr;
  void* positions = percent_positions(ctx, g, &labels, false);
  const wob_attr inline_pairs[] = {
      kes_stg_pair_name(KES_DYN_VARLABEL), wob_text(WOB_A_VALUE, g->varlabel),
      kes_stg_pair_name(KES_DYN_XLABEL),   wob_text(WOB_A_VALUE, x),
      kes_stg_pair_name(KES_DYN_YLABEL),   wob_text(WOB_A_VALUE, y),
      kes_stg_pair_name(KES_DYN_PCTLVALUES), wob_text(WOB_A_VALUE, positions),
      kes_stg_pair_name(KES_DYN_PCTLLABELS), wob_text(WOB_A_VALUE, labels),
      kes_stg_pair_name(KES_DYN_REFLINE),  wob_last(WOB_A_VALUE, r->line_wanted),
      kes_stg_pair_name(KES_DYN_OVERLAY),  wob_last(WOB_A_VALUE, g->overlay),
      kes_stg_pair_name(KES_DYN_GROUPLABEL), wob_text(WOB_A_VALUE, kes_stg_grouplabel(g)),
  };
  kes_stg_panels(ctx, g, "ProbPlot", KES_MSG_PROBABILITY_PLOT_OF_VAR, kProbGraphs[r->rotate ? 1 : 0][comp ? 1 : 0],
                 inline_pairs, 16);
}

void putqq(kes_ctx* ctx, kes_stgraph* g, kes_cell* cell) { rows(ctx, g, cell, false); }
void putprob(kes_ctx* ctx, kes_stgraph* g, kes_cell* cell) { rows(ctx, g, cell, true); }
