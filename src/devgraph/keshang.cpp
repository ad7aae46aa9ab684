// keshang(ctx, cell): the hanging histogram of a cell: each bin a vertical line that
// hangs from the fitted curve down by the bin's height, at the bin's centre.
#include <cmath>

#include "devgraph/chart_access.h"
#include "devgraph/chart_layout.h"
#include "devgraph/gdev.h"
#include "fit/kes_famfn.h"
#include "fitreport/kes_famsets.h"
#include "host/host_services.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "records/kes_curve.h"

void keshang(kes_ctx* ctx, kes_cell* cell) {
  if (cell == nullptr || cell->hist_empty) return;
  kes_preq* r = ctx->curreq;
  kes_layout* lay = r->layout;
  kes_chart* c = &lay->c;
  kes_plotslot* s = kes_gslot(ctx, cell);
  const kes_plotslot* key = kes_gkeyslot(ctx);
  const kes_curve* curve = s->curves != nullptr && s->ncurves > 0 ? &s->curves[0] : nullptr;
  const kes_famfn* fam = curve != nullptr ? kes_famdisp(curve->dist) : nullptr;
  double cst = 0;
  int exp2 = 0;
  if (curve == nullptr || !curve->fitted || fam == nullptr || fam->plt == nullptr ||
      kescnst(ctx, r, cell, 0, &cst, &exp2) != 0) {
    xpmlog(KES_SET_LABEL, KES_MSG_HANGING_CURVE_NOT_FITTED, static_cast<int>(ctx->curname.len), ctx->curname.text);
    return;
  }
  gd_width(ctx, c->colors.outline_width);
  int colour = c->symattr != nullptr ? gd_colour(ctx, c->symattr[0].color) : c->colors.outline;
  if (kes_pgiven(r->stmt, KES_PLOT_SLOT_CBARLINE)) colour = c->colors.outline;
  const kes_decimal_grid grid = kes_decimal_grid::of(key->first, key->width);
  for (int i = 0; i < s->nbins && s->heights != nullptr; ++i) {
    const double x = grid.point(s->firstbin + i + (r->endpoints ? 0.5 : 0));
    const double f = std::ldexp(fam->plt(x, cst, curve->params), exp2);
    const double X = x * lay->xscale + lay->xoffset;
    gd_line(ctx, X, f * lay->yscale + lay->yoffset, X, (f - s->heights[i]) * lay->yscale + lay->yoffset, 1, colour);
  }
  gd_width(ctx, 1);
}
