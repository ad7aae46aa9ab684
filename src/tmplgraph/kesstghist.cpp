// kesstghist: the histogram's template graph. One data object "HistogramData" holds a
// row per bin, a row per point of every fitted or kernel curve and a row per
// reference line of every cell; the dynamics carry the ticks, the axis range and the
// switches of the graph template.
#include <cmath>
#include <cstring>

#include "host/host_services.h"
#include "host/kes_checked.h"
#include "host/step_codes.h"
#include "host/template_dynamics.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "numeric/zqscale.h"
#include "records/kes_cells.h"
#include "records/kes_ctx.h"
#include "records/kes_plotslot.h"
#include "records/kes_vscale.h"
#include "records/pool_alloc.h"
#include "records/stmt_slots.h"
#include "tmplgraph/hist_graph.h"
#include "tmplgraph/kes_stgraph.h"
#include "tmplgraph/stg_labels.h"

namespace {

// Past this many bin positions the ticks come from a nice scale instead.
constexpr int kMaxBinTicks = 100;
constexpr int kVlabelSize = 262;

void* bincount_label(int vscale) {
  return vemmsg(KES_SET_PLOT, vscale == KES_VSCALE_COUNT        ? KES_MSG_COLUMN_LOCATION_COUNT
                              : vscale == KES_VSCALE_PROPORTION ? KES_MSG_PROPORTION
                                                                : KES_MSG_PERCENT);
}

}  // namespace

void kesstghist(kes_ctx* ctx, kes_stgraph* g) {
  kes_preq* r = ctx->curreq;
  const kes_stmt* st = r->stmt;
  const kes_classvars* cv = r->classvars;
  const kes_plotslot* key = kes_stg_keyslot(ctx);
  if (key == nullptr) return;

  kes_stg_create(ctx, g, "HistogramData");
  if (cv->count > 0) classcols(cv, g);
  void* count_label = bincount_label(r->vscale);
  void* name = vemtxt(g->var.name, g->var.name_len);
  const bool hang = r->hang != 0;
  if (!r->nobars || hang) {
    kes_stg_numcol(g, "BinX", KES_HC_BINX, vemtxt(r->endpoints ? "Bin Left Endpoint" : "Bin Midpoint", -1), true);
    kes_stg_numcol(g, "BinCount", KES_HC_BINCOUNT, count_label);
  }
  if (hang) {
    kes_stg_numcol(g, "HangYorigin", KES_HC_HANGORIGIN, name);
    kes_stg_numcol(g, "HangY", KES_HC_HANGY, vemtxt("HangY", 5));
  }
  kes_dyn_bool(g, KES_DYN_HANG, hang);
  kes_dyn_bool(g, KES_DYN_NOHANG, !hang);
  if (kes_pgiven(st, KES_PLOT_SLOT_BARLABEL))
    kes_stg_charcol(g, vemtxt("BarLabel", 8), g->barlabel, KES_STG_BARLABEL, vemtxt("BarLabel", 8));
  if (r->ncurves > 0) {
    kes_stg_charcol(g, vemtxt("CurveLabel", 10), g->curvelabel, KES_STG_CURVELABEL, vemtxt("CurveLabel", 10));
    kes_stg_numcol(g, "CurveX", KES_HC_CURVEX, name);
    kes_stg_numcol(g, "CurveY", KES_HC_CURVEY, count_label);
  }
  kes_dyn_double(g, KES_DYN_YOFFSETMIN, 0.0);
  g->unfitted = kes_each_cell(cv, [&](kes_cell* cell) -> int { return kes_hist_bare_cell(ctx, cell) ? 1 : 0; }) != 0;
  if (g->unfitted) {
    kes_stg_numcol(g, "CellValues", KES_HC_CELLN, vemtxt("CellValues", 10));
    kes_stg_numcol(g, "CellMin", KES_HC_CELLMIN, name);
    kes_stg_numcol(g, "CellMax", KES_HC_CELLMAX, name);
  }

  // Horizontal ticks: the bin positions themselves, or a nice scale over them when
  // there are too many to label. The horizontal range, widened for kernel curves,
  // gives the positions, so that the bars stay under the curves.
  const double a = key->hlow, b = key->hhigh, w = key->width;
  const int m = key->npoints;
  int nticks = m;
  double first = a, step = w;
  if (m > kMaxBinTicks) {
    zqscale_axis out{};
    nticks = zqscale(a, b, 11, ZQSCALE_NNICE, ZQSCALE_NICE, &out, 'S', 'X') + 1;
    first = out.start;
    step = out.increment;
  }
  if (nticks < 1) nticks = 1;
  const int vticks = key->vticks > 0 ? key->vticks : 1;
  const long bytes = 8L * (nticks > vticks ? nticks : vticks);
  auto* ticks = static_cast<double*>(vmalcp_handler(ctx->runpool, bytes, KES_ALLOC_4));
  if (ticks == nullptr) {
    xmemmsg(bytes);
    g->status = KES_RC_OUT_OF_MEMORY;
    return;
  }
  for (int i = 0; i < nticks; ++i) ticks[i] = kes_tick_at(first, step, i);
  void* xticks = makenumlist(ticks, nticks, 8, &g->status);
  const double half = r->endpoints ? 0.0 : w / 2;
  kes_dyn_text(g, KES_DYN_XTICKS, xticks);
  kes_dyn_double(g, KES_DYN_XMIN, half == 0 ? ticks[0] : kes_grid_point(ticks[0], -0.5, w));
  kes_dyn_double(g, KES_DYN_XMAX, half == 0 ? ticks[nticks - 1] : kes_grid_point(ticks[nticks - 1], 0.5, w));
  kes_dyn_cstr(g, KES_DYN_XVALUES, r->endpoints ? "LEFTPOINTS" : "MIDPOINTS");

  bool ymax_due = false;
  bool yticks_given = false;
  if (r->curve_fill) {
    if (r->ncurves > 1) {
      xpmlog(KES_SET_PLOT, KES_MSG_FILL_FOR_SEVERAL_CURVES);
    } else {
      kes_dyn_bool(g, KES_DYN_CFILL, 1);
      if (hang) {
        for (int i = 0; i < vticks; ++i) ticks[i] = kes_tick_at(key->vmin, key->vstep, i);
        kes_dyn_text(g, KES_DYN_YTICKS, makenumlist(ticks, vticks, 8, &g->status));
        kes_dyn_double(g, KES_DYN_YMIN, key->vmin);
        ymax_due = true;
        yticks_given = true;
      }
    }
  }
  if (r->vaxis_used && !yticks_given) {
    // The VAXIS= list the vertical axis was checked against is the axis drawn.
    for (int i = 0; i < vticks; ++i) ticks[i] = kes_tick_at(key->vmin, key->vstep, i);
    kes_dyn_text(g, KES_DYN_YTICKS, makenumlist(ticks, vticks, 8, &g->status));
    kes_dyn_double(g, KES_DYN_YMIN, key->vmin);
    ymax_due = true;
  }
  if (r->nhref > 0 || r->nvref > 0) kesrefs(ctx, g);
  kes_stg_bind(ctx, g, "HistogramData");
  putdata(ctx, g);
  if (ymax_due) kes_dyn_double(g, KES_DYN_YMAX, key->vmax);
  kes_stg_emit(ctx, g);
  kesstgins(ctx, g);

  const char* graph = cv->count != 0 ? "CompHistogram" : "Histogram";
  if (r->novlabel && r->nrows > 1) {
    kes_dyn_double(g, KES_DYN_YLABELHT, 1.0);
    kes_dyn_text(g, KES_DYN_YLABEL, vemtxt(" ", 1));
  } else {
    char text[kVlabelSize];
    const int len = kes_stg_vlabel(ctx, text, kVlabelSize);
    kes_dyn_text(g, KES_DYN_YLABEL, vemtxt(text, len));
  }
  kes_stg_panels(ctx, g, "Histogram", KES_MSG_HISTOGRAM_OF_VAR, graph);
}
