// kes_prob_page_axes: the ranges that the page geometry and the linear axes read,
// for the plots whose request drivers keep a theoretical and a data axis.
#include "devgraph/chart_access.h"
#include "devgraph/prob_marks.h"
#include "fit/kes_estframe.h"

void kes_prob_page_axes(kes_ctx* ctx) {
  const kes_preq* r = ctx->curreq;
  if (r->type == KES_PLOT_HISTOGRAM || r->classvars == nullptr || r->classvars->keycell == nullptr) return;
  const kes_plotslot* from = kes_plot_slot(ctx, r, r->classvars->keycell);
  kes_plotslot* key = kes_gkeyslot(ctx);
  if (r->type != KES_PLOT_CDF) {
    key->first = key->hlow = from->tmin;
    key->last = key->hhigh = from->tmax;
    key->width = from->tstep;
    key->hticks = from->tticks;
    key->vmin = from->dstart;
    key->vmax = from->dend;
    key->vstep = from->dstep;
    key->vticks = from->dticks;
  }
  key->npoints = key->hticks;
}
