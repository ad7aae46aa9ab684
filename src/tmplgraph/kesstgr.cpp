// kesstgr: the template graph of the current plot request and variable. It names the
// CLASS columns, counts the panels, puts the dynamic variables every plot type shares
// first in the list, and hands over to the builder of the plot type.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "host/host_services.h"
#include "host/template_dynamics.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "records/family_names.h"
#include "records/kes_cell.h"
#include "records/kes_cells.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"
#include "records/pool_alloc.h"
#include "records/stmt_slots.h"
#include "tmplgraph/kes_stgraph.h"
#include "tmplgraph/stg_labels.h"
#include "tmplgraph/stg_prob.h"

namespace {

constexpr double kDefaultIntertile = 0.75;
constexpr int kLegendTitleLength = 40;

int ceil_div(int a, int b) { return b > 0 ? (a + b - 1) / b : a; }

// ORDER kes_plottype (1 QQ, 2 histogram, 3 CDF, 4 probability, 5 P-P): the builder
// of each plot type.
constexpr kes_stg_builder kBuilders[6] = {nullptr, kesstgqq, kesstghist, kesstgcdf, kesstgprob, kesstgpp};

// Panels and CLASS column names.
void class_layout(kes_ctx* ctx, kes_stgraph* g) {
  kes_preq* r = ctx->curreq;
  const kes_classvars* cv = r->classvars;
  const int count = cv->count;
  const int l1 = cv->nlevels, l2 = count > 1 ? cv->nlevels2 : 1;
  g->classcol[0] = vemtxt("Class1", 6);
  g->classcol[1] = vemtxt("Class2", 6);
  g->overlay = r->type != KES_PLOT_HISTOGRAM && kes_flag(r->stmt, KES_PLOT_FLAG_OVERLAY) ? 1 : 0;
  if (!g->overlay) {
    g->panels = ceil_div(l1, r->nrows) * ceil_div(l2, r->ncols);
    if (count == 1 && r->nrows < 2) {
      g->classcol[0] = g->classcol[1];
      g->panels = ceil_div(l1, r->ncols);
    }
  } else {
    g->classcol[1] = vemtxt("Group", 5);
    if (count == 1) {
      g->panels = 1;
    } else if (r->nrows >= 2) {
      g->panels = ceil_div(l1, r->nrows);
      r->ncols = 1;
    } else {
      g->panels = ceil_div(l1, r->ncols);
      g->classcol[0] = vemtxt("Class2", 6);
    }
  }
  if (g->panels < 1) g->panels = 1;
  double intertile = kDefaultIntertile;
  if (kes_pgiven(r->stmt, KES_PLOT_SLOT_INTERTILE)) intertile = std::fmax(0.0, kes_pnumber(r->stmt, KES_PLOT_SLOT_INTERTILE));
  char text[48];
  std::snprintf(text, sizeof text, "%f pct", intertile);
  kes_dyn_cstr(g, KES_DYN_INTERTILE, text);
}

// NOCURVELEGEND and its names on the other plot statements.
bool curve_legend_refused(const kes_preq* r) {
  switch (r->type) {
    case KES_PLOT_CDF: return kes_flag(r->stmt, KES_PLOT_FLAG_NOCDFLEGEND);
    case KES_PLOT_QQ:
    case KES_PLOT_PROB: return kes_flag(r->stmt, KES_PLOT_FLAG_NOLINELEGEND);
    default: return kes_flag(r->stmt, KES_PLOT_FLAG_NOCURVELEGEND);
  }
}

// The most curves a histogram's cell fits: the legend names the curves any cell draws,
// also when the key cell (one value, say) fits none.
int most_fitted(kes_ctx* ctx, const kes_plotslot* key) {
  int most = key->nfitted;
  kes_each_cell(ctx->curreq->classvars, [&](kes_cell* cell) {
    const kes_plotslot* s = kes_stg_slot(ctx, cell);
    if (s != nullptr) most = s->nfitted > most ? s->nfitted : most;
  });
  return most;
}

// The legend title of the graph's curve legend: the fitted families of a histogram, the
// family of a CDF plot's curve, the reference line of a Q-Q or probability plot. 0 where
// no title goes with the legend (limit lines without a fitted line).
int legend_title(const kes_preq* r, bool curve, int nfitted, bool overlay) {
  switch (r->type) {
    case KES_PLOT_HISTOGRAM:
      if (!curve) return 0;
      return nfitted < 2 ? KES_MSG_FITTED_DISTRIBUTION : KES_MSG_FITTED_DISTRIBUTIONS;
    case KES_PLOT_CDF:
      return curve && !overlay ? KES_FIT_TEXTS[r->dist].dist_title : KES_MSG_DIST_TITLE;
    default:
      return curve ? KES_LINE_LEGENDS[r->dist] : 0;
  }
}

}  // namespace

kes_stg_builder kes_stg_builder_of(int plot_type) {
  static_assert(sizeof kBuilders / sizeof kBuilders[0] == KES_PLOT_PP + 1, "one entry per plot type");
  return plot_type >= 1 && plot_type <= KES_PLOT_PP ? kBuilders[plot_type] : nullptr;
}

int kesstgr(kes_ctx* ctx) {
  kes_preq* r = ctx->curreq;
  if (r->type == KES_PLOT_HISTOGRAM && (r->total == nullptr || r->total[ctx->curvar] == 0)) return 0;
  const kes_stg_builder build = kes_stg_builder_of(r->type);
  if (build == nullptr) return 0;

  kes_stgraph g;
  std::memset(&g, 0, sizeof g);
  kes_dynlist dyn{};
  g.dyn = &dyn;
  g.panels = 1;
  const kes_classvars* cv = r->classvars;
  if (cv != nullptr && cv->count > 0) class_layout(ctx, &g);

  // Legends: a legend of limit lines needs limits, which this procedure never sets.
  bool limits = false, curve = false;
  const kes_plotslot* key = kes_stg_keyslot(ctx);
  if (r->type != KES_PLOT_PP && !kes_flag(r->stmt, KES_PLOT_FLAG_NOLEGEND) && key != nullptr) {
    for (int i = 0; i < 3; ++i) limits = limits || key->limit_given[i] != 0;
    const bool fitted = r->type == KES_PLOT_HISTOGRAM ? most_fitted(ctx, key) > 0 : key->line != 0;
    curve = fitted && !curve_legend_refused(r);
  }
  g.legendtitle = limits || curve;
  if (g.legendtitle) {
    const int n = legend_title(r, curve, key != nullptr ? most_fitted(ctx, key) : 0, g.overlay);
    char title[kLegendTitleLength];
    std::memset(title, ' ', sizeof title);
    const int len = n != 0 ? xpmstr(title, kLegendTitleLength, KES_SET_PLOT, n) : 0;
    kes_dyn_text(&g, KES_DYN_LEGENDTITLE, vemtxt(title, len));
  }
  const bool two_legends = g.overlay && (r->type == KES_PLOT_CDF ? limits : g.legendtitle);
  kes_dyn_cstr(&g, KES_DYN_GRID, r->grid ? "ON" : "OFF");

  // CLASS labels, and the label of the overlaid groups.
  for (int i = 0; cv != nullptr && i < cv->count; ++i) {
    const kes_classvar& v = cv->var[i];
    g.classlabel[i] = v.label_shown ? vemtxt(v.label, v.label_len) : vemtxt(v.name.text, v.name.len);
  }
  if (g.overlay) {
    if (r->type == KES_PLOT_CDF && kes_stg_family(r) >= 0 && curve)
      g.grouplabel = vemmsg(KES_SET_PLOT, KES_FIT_TEXTS[kes_stg_family(r)].dist_title);
    else
      g.grouplabel = g.classlabel[cv->count - 1];
  }

  if (ctx->varnums == nullptr || xvname(ctx->data, ctx->varnums[ctx->curvar], &g.var) != 0) {
    // No name record from the host: the step's own copy of the name and label.
    g.var.name_len = ctx->curname.len;
    std::memcpy(g.var.name, ctx->curname.text, sizeof g.var.name);
    g.var.label_len = ctx->curlabel_len;
    std::memcpy(g.var.label, ctx->curlabel, sizeof g.var.label);
  }
  if (g.var.label_len == 0) {
    std::memcpy(g.var.label, g.var.name, sizeof g.var.name);
    g.var.label_len = g.var.name_len;
  }
  void* name = vemtxt(g.var.name, g.var.name_len);
  g.varlabel = vemtxt(g.var.label, g.var.label_len);
  if ((r->type == KES_PLOT_QQ || r->type == KES_PLOT_PROB) && kes_stg_family(r) == KES_DIST_WEIBULL2)
    g.varlabel = vemmsgs(KES_SET_PLOT, KES_MSG_LOG_THRESHOLD, static_cast<int>(g.var.label_len), g.var.label);
  kes_dyn_text(&g, KES_DYN_VARNAME, name);
  kes_dyn_text(&g, KES_DYN_VARLABEL, g.varlabel);
  kes_dyn_bool(&g, KES_DYN_SPECLEGEND, limits);
  kes_dyn_bool(&g, KES_DYN_CURVELEGEND, curve);
  kes_dyn_bool(&g, KES_DYN_TWOLEGENDS, two_legends);
  kes_dyn_cstr(&g, KES_DYN_XDISPLAY, r->nohlabel ? "LINE TICKS TICKVALUES" : "LINE TICKS TICKVALUES LABEL");
  char ydisplay[40] = "LINE";
  if (!(r->novlabel && r->nrows <= 1)) std::strcat(ydisplay, " LABEL");
  if (!r->novtick) std::strcat(ydisplay, " TICKS TICKVALUES");
  kes_dyn_cstr(&g, KES_DYN_YDISPLAY, ydisplay);

  build(ctx, &g);

  if (dyn.items != nullptr) {
    host_pool* pool = v_global_gcb_anchor != nullptr ? v_global_gcb_anchor->taskpool : nullptr;
    vmfree_handler(pool, dyn.items, -1, KES_FREE_FLAGS);
  }
  return g.status;
}
