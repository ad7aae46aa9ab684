// kes_pctlscale_text: the percent labels of a QQ plot's quantile axis.
#include <cstring>

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
  const int n = kes_pctl_fitted_text(fn->p(c->params, v), 4, buf);
  // Far in a tail the percents of several ticks round alike ("100" at each): only the
  // first of them is written. The percent grows with the tick, so the tick before on
  // the axis holds the text whenever any earlier one does.
  const kes_plotslot* key = kes_gkeyslot(ctx);
  const double step = r->rotate ? key->vstep : key->width, start = r->rotate ? key->vmin : key->hlow;
  if (n > 0 && step > 0 && v - step >= start - 1e-9 * step) {
    char before[8];
    const int m = kes_pctl_fitted_text(fn->p(c->params, v - step), 4, before);
    if (m == n && std::memcmp(before, buf, static_cast<std::size_t>(n)) == 0) return 0;
  }
  return n;
}
