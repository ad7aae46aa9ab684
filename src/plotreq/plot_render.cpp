// kes_render: how every plot driver hands its request's graph to the step's renderer.
#include "host/host_services.h"
#include "kes_msg_names.h"
#include "plotreq/plot_requests.h"
#include "records/kes_ctx.h"
#include "records/kes_preq.h"

int kes_render(kes_ctx* ctx, kes_preq* request, int k) {
  if (request->nograph) return 0;
  if (ctx->renderer != nullptr) return ctx->renderer(ctx);
  // A graph was asked for and graphics are on: say once that none is drawn, and what
  // the request computes all the same.
  if ((ctx->tmplgraph || ctx->devgraph) && !request->graph_noted) {
    if (request->type == KES_PLOT_HISTOGRAM) xpmlog(KES_SET_LABEL, KES_MSG_HISTOGRAM_GRAPHS_NOT_DRAWN, k);
    else xpmlog(KES_SET_LABEL, KES_MSG_STATEMENT_GRAPHS_NOT_DRAWN, kes_plot_statement_name(request->type), k);
    request->graph_noted = 1;
  }
  return 0;
}
