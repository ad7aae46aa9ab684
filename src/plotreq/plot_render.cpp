// kes_render: how every plot driver hands its request's graph to the step's renderer.
#include "host/host_services.h"
#include "host/kes_stmt.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "plotreq/plot_requests.h"
#include "records/kes_classvars.h"
#include "records/kes_ctx.h"
#include "records/kes_plot_status.h"
#include "records/kes_preq.h"

void kes_resolve_cells(kes_preq* request, bool overlay_drawn) {
  const kes_classvars* cv = request->classvars;
  const int nclass = cv != nullptr ? cv->count : 0;
  if (nclass == 0) return;
  auto levels = [](int n) { return n < 1 ? 1 : n < KES_PANEL_MAX ? n : KES_PANEL_MAX; };
  const bool rows_given = request->nrows > 0, cols_given = nclass == 2 ? request->ncols > 0 : request->ncols > 1;
  // OVERLAY draws the last CLASS variable's levels as groups within one cell, where
  // the renderer draws groups (template graphs); elsewhere the cells stand side by side.
  const bool overlay =
      overlay_drawn && request->type != KES_PLOT_HISTOGRAM && kes_flag(request->stmt, KES_PLOT_FLAG_OVERLAY);
  if (nclass == 1 || overlay) {
    // The cells in a column, unless NCOLS= asked for a row.
    if (!rows_given && !cols_given) request->nrows = overlay && nclass == 1 ? 1 : levels(cv->nlevels);
    return;
  }
  if (!rows_given) request->nrows = levels(cv->nlevels);
  if (!cols_given) request->ncols = levels(cv->nlevels2);
}

int kes_draw(kes_ctx* ctx, kes_preq* request) {
  // Cells left to the levels are counted for this graph only: the next BY group may
  // have other levels.
  const int rows = request->nrows, cols = request->ncols;
  kes_resolve_cells(request, ctx->tmplgraph);
  const int result = ctx->renderer(ctx);
  request->nrows = rows;
  request->ncols = cols;
  return result;
}

int kes_render(kes_ctx* ctx, kes_preq* request, int k) {
  if (request->nograph) return 0;
  if (ctx->renderer != nullptr) {
    const int drawn = kes_draw(ctx, request);
    // Neither renderer writes a graph that memory ran out in.
    if (kes_plot_code(drawn) == KES_RC_OUT_OF_MEMORY)
      xpmlog(KES_SET_LABEL, KES_MSG_GRAPH_NOT_DRAWN_NO_MEMORY, kes_plot_statement_name(request->type), k,
             ctx->curname.len, ctx->curname.text);
    return drawn;
  }
  // A graph was asked for and graphics are on: say once that none is drawn, and what
  // the request computes all the same.
  if ((ctx->tmplgraph || ctx->devgraph) && !request->graph_noted) {
    if (request->type == KES_PLOT_HISTOGRAM) xpmlog(KES_SET_LABEL, KES_MSG_HISTOGRAM_GRAPHS_NOT_DRAWN, k);
    else xpmlog(KES_SET_LABEL, KES_MSG_STATEMENT_GRAPHS_NOT_DRAWN, kes_plot_statement_name(request->type), k);
    request->graph_noted = 1;
  }
  return 0;
}
