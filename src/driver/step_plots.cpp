// The plot requests of the current variable, in the fixed order HISTOGRAM, QQPLOT,
// CDFPLOT, PROBPLOT, PPPLOT, and the check that INSET statements follow a plot
// statement.
#include <cstring>

#include "driver/plot_kinds.h"
#include "driver/step_run.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "inset/inset_build.h"
#include "kes_msg_names.h"
#include "records/kes_ctx.h"
#include "records/kes_plot_status.h"
#include "records/kes_stages.h"

namespace {
bool name_begins(const kes_stmt* s, const char* prefix, size_t n) { return std::memcmp(s->name, prefix, n) == 0; }

// May an INSET statement follow this statement?
bool takes_inset(const kes_stmt* s) {
  return kes_plot_kind_of(s) != nullptr || name_begins(s, "INSET", 5);
}

}  // namespace

kes_flow kes_inset_check(kes_run& run) {
  if (run.inset_noted) return kes_flow::go_on;
  for (const kes_stmt* s = run.ctx->proc; s != nullptr && s->next != nullptr; s = s->next) {
    if (!name_begins(s->next, "INSET", 5) || takes_inset(s)) continue;
    xspplace(s->next, KES_STMT_KEYWORD);
    xpmlog(KES_SET_PROC, KES_MSG_INSET_STATEMENT_MISPLACED);
    run.inset_noted = true;
    break;
  }
  return kes_flow::go_on;
}

kes_flow kes_plot_requests(kes_run& run) {
  kes_ctx* ctx = run.ctx;
  const int v = ctx->curvar;
  // Only HISTOGRAM requests work without graphics (tables, fits, OUTKERNEL).
  const bool graphs = ctx->devgraph || ctx->tmplgraph;
  kes_preq* req = ctx->preqs;
  ctx->curreq = req;
  for (kes_plottype type : kes_request_order) {
    if (type != KES_PLOT_HISTOGRAM && !graphs) break;
    const kes_plot_kind& kind = kes_plot_kind_of(type);
    ctx->nrun = 0;
    if (type != KES_PLOT_HISTOGRAM) {
      std::memset(ctx->plot_notes, 0, sizeof ctx->plot_notes);
      kes_inset_notes_clear(ctx);
    }
    const int count = ctx->*kind.count;
    for (int k = 1; k <= count; ++k, ++req) {
      ctx->curreq = req;
      if (req->varslot == nullptr || req->varslot[v] < 0) continue;
      ++ctx->nrun;
      if (ctx->debug) xpmlog(KES_SET_LABEL, KES_MSG_DEBUG_REQUEST, kes_plot_statement_name(type), k);
      const int result = (ctx->stages->*kind.run)(ctx, k);
      if (kes_plot_ends_step(result)) {
        kes_raise_for_failure(ctx, kes_plot_code(result));
        return kes_flow::exit_path;
      }
    }
  }
  return kes_flow::go_on;
}
