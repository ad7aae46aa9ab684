// kes_pctlscale_text: the percent labels of a QQ plot's quantile axis.
#include "devgraph/chart_access.h"
#include "devgraph/pctl_ticks.h"
#include "fit/kes_estframe.h"
#include "fit/kes_famfn.h"
#include "fitreport/kes_famsets.h"
#include "records/kes_curve.h"

int kes_pctlscale_text(kes_ctx* ctx, const kes_axis& ax, double v, char* buf) {
  const kes_preq* r = ctx->curreq;
  if (r->type != KES_PLOT_QQ || !r->pctlscale || r->layout == nullptr) return -1;
  if (&ax != (r->rotate ? &r->layout->vaxis : &r->layout->haxis)) return -1;
  const kes_famfn* fn = kes_famdisp(r->dist);
  const kes_curve* c = kes_fit_curve(kes_gkeyslot(ctx));
  if (fn == nullptr || fn->p == nullptr || c == nullptr) return -1;
  const int n = kes_pctl_text(fn->p(c->params, v), 4, buf);
  return n < 4 ? n : 4;
}
