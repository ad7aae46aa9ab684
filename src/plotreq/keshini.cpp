// keshini(ctx, k) -> int: HISTOGRAM request k (from 1) for the current variable: the
// layout of cells, curves and axes, the request's output group, the goodness-of-fit
// tests, the graph, the OUTKERNEL rows and the fitted-distribution report. 0, or the
// first failure (the renderer's status when the reports after it went well).
#include "fit/kes_famfn.h"
#include "fit/kes_kernel.h"
#include "fitreport/kes_famsets.h"
#include "fitreport/kes_fitreport.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "plotreq/hist_bins.h"
#include "plotreq/plot_requests.h"
#include "plotreq/prob_common.h"
#include "records/kes_cell.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_plot_status.h"
#include "records/kes_plotslot.h"
#include "records/stmt_slots.h"
#include "stats/kesmpct.h"

int keshini(kes_ctx* ctx, int k) {
  kes_preq* r = ctx->curreq;
  const kes_stmt* st = r->stmt;
  // A BY group without any CLASS cell (noted by the data pass) has nothing to plot.
  if (ctx->classvars == nullptr || ctx->classvars->keycell == nullptr) return 0;
  // A range that cannot be binned in doubles (noted when binning) has no histogram,
  // curves, tables or data set rows.
  if (r->unbinnable) return 0;
  // No data in any cell is noted there and does not stop the request.
  if (kescmh4(ctx) == KES_RC_OUT_OF_MEMORY) return KES_RC_OUT_OF_MEMORY;

  void* group = kes_plot_group(ctx, st, k, "Histogram", KES_MSG_HISTOGRAM_GROUP);
  int result = kesgof(ctx);
  if (result == 0) {
    const int drawn = kes_render(ctx, r, k);
    // A graph that did not fit its page still leaves the request's tables and data
    // set rows to write; only a failure that ends the step stops them.
    if (kes_plot_ends_step(drawn)) {
      result = drawn;
    } else {
      int after = 0;
      // The rows of every kernel curve, once, whatever graphics drew the curves; out
      // of memory there ends the step.
      if (kes_pgiven(st, KES_PLOT_SLOT_OUTKERNEL)) after = kesoutk(ctx);
      // The report writes the HistogramBins table of every cell (MIDPERCENTS) beside
      // the fitted curves' tables and the OUTHISTOGRAM rows.
      if (after == 0 && (kes_flag(st, KES_PLOT_FLAG_MIDPERCENTS) || r->ncurves > r->nkernels ||
                         kes_pgiven(st, KES_PLOT_SLOT_OUTHISTOGRAM)))
        after = kesfit(ctx);
      result = drawn != 0 ? drawn : after;
    }
  }
  kes_plot_group_close(group);
  return result;
}
