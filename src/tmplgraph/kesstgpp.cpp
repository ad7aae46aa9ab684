// kesstgpp: the template graph of a P-P plot: per cell the fitted distribution function
// at each distinct value against the empirical one, with the diagonal unless NOLINE.
// putpp writes a cell's rows.
#include "host/template_dynamics.h"
#include "plotdata/kes_axislabels.h"
#include "plotdata/kes_points.h"
#include "fit/kes_estframe.h"
#include "host/host_services.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "records/kes_cell.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"
#include "records/stmt_slots.h"
#include "tmplgraph/kes_stgraph.h"
#include "tmplgraph/stg_labels.h"
#include "tmplgraph/stg_prob.h"

namespace {
constexpr int kTheoretical = 1, kEmpirical = 2, kRefInt = 3;
}  // namespace

void kesstgpp(kes_ctx* ctx, kes_stgraph* g) {
  kes_preq* r = ctx->curreq;
  const kes_stmt* st = r->stmt;
  const kes_classvars* cv = r->classvars;
  const bool line = !kes_flag(st, KES_PLOT_FLAG_NOLINE);
  const bool square = kes_flag(st, KES_PLOT_FLAG_SQUARE);
  kes_stg_create(ctx, g, "PPPlotData");
  kes_stg_linestyle(ctx, g);
  kes_stg_yticks(ctx, g);
  if (cv->count > 0) classcols(cv, g);
  kes_stg_numcol(g, "Theoretical", kTheoretical, vemtxt("Theoretical Cumulative Probability", -1));
  kes_stg_numcol(g, "Empirical", kEmpirical, vemtxt("Empirical Cumulative Probability", -1));
  if (line) kes_stg_numcol(g, "RefInt", kRefInt, vemtxt("RefInt", 6));
  if (r->nhref > 0 || r->nvref > 0) kesrefs(ctx, g);
  kes_stg_bind(ctx, g, "PPPlotData");
  putdata(ctx, g);
  kes_stg_emit(ctx, g);
  kesstgins(ctx, g);

  const bool comp = cv->count > g->overlay;
  if (comp && square) kes_dyn_double(g, KES_DYN_ASPECTRATIO, 1.0);
  char text[KES_AXIS_LABEL_MAX];
  void* x = vemtxt(text, keshlab(ctx, text));
  void* y = kes_stg_ylabel(ctx, g);
  void* yshort = vemmsgs(KES_SET_PLOT, KES_MSG_EMPIRICAL_CDF, static_cast<int>(g->var.name_len), g->var.name);
  const wob_attr inline_pairs[] = {
      kes_stg_pair_name(KES_DYN_REFLINE), wob_last(WOB_A_VALUE, line),
      kes_stg_pair_name(KES_DYN_XLABEL), wob_text(WOB_A_VALUE, x),
      kes_stg_pair_name(KES_DYN_YLABEL), wob_text(WOB_A_VALUE, y),
      kes_stg_pair_name(KES_DYN_YSHORT), wob_text(WOB_A_VALUE, yshort),
      kes_stg_pair_name(KES_DYN_OVERLAY), wob_last(WOB_A_VALUE, g->overlay),
      kes_stg_pair_name(KES_DYN_SQUARE), wob_last(WOB_A_VALUE, square),
      kes_stg_pair_name(KES_DYN_GROUPLABEL), wob_text(WOB_A_VALUE, kes_stg_grouplabel(g)),
  };
  kes_stg_panels(ctx, g, "PPPlot", KES_MSG_PP_PLOT_OF_VAR, comp ? "CompPPPlot" : "PPPlot", inline_pairs, 14);
}

void putpp(kes_ctx* ctx, kes_stgraph* g, kes_cell* cell) {
  double* pts = nullptr;
  bool fitted = false;
  const int n = kes_stg_points(ctx, g, cell, keszpts, &pts, &fitted);
  const bool line = !kes_flag(ctx->curreq->stmt, KES_PLOT_FLAG_NOLINE);
  // A cell without spread has nothing fitted: each of its values goes out alone, at
  // its empirical probability 1, so that the graph can say what the cell holds.
  const double count = cell->varsums != nullptr ? cell->varsums[ctx->curvar].n : 0;
  const int alone = !fitted && cell->hist_empty && count >= 1 ? static_cast<int>(count) : 0;
  // A cell without a fitted curve writes one row (with the first reference values).
  const int rows = fitted || alone > 0 ? kes_stg_rowcount(ctx, fitted ? n : alone) : 1;
  kes_stg_reset(g);
  for (int i = 0; i < rows; ++i) {
    if (i == 0 && line && n > 0) g->cells[kRefInt] = 0;
    if (i < n) {
      g->cells[kTheoretical] = pts[2 * i];
      g->cells[kEmpirical] = pts[2 * i + 1];
    }
    if (i < alone) g->cells[kEmpirical] = 1;
    kes_stg_refrow(ctx, g, i);
    kes_stg_row(g);
    kes_stg_reset(g);
  }
}
