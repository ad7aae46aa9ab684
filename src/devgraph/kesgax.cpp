// kesgax(ctx): the axes of a histogram, CDF or PP cell: the horizontal axis (tick
// values in the variable's format for histograms and CDF plots), then the vertical.
#include "devgraph/chart_access.h"
#include "devgraph/chart_layout.h"
#include "devgraph/gdev.h"

void kesgax(kes_ctx* ctx) {
  kes_preq* r = ctx->curreq;
  gd_width(ctx, r->layout->haxis.width);
  // (A page frame is a request flag that no statement of this procedure sets.)
  keslinx(ctx, r->type == KES_PLOT_HISTOGRAM || r->type == KES_PLOT_CDF);
  kesliny(ctx, 0);
}
