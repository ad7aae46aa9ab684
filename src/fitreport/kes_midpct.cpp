// kes_midpct: the expected percent of every histogram bin of a cell for its current
// curve, the pattern every family's expected-percent routine follows.
#include <cmath>

#include "fit/kes_estframe.h"
#include "fitreport/kes_fitrep.h"
#include "host/host_services.h"
#include "records/kes_cell.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"
#include "records/pool_alloc.h"

void kes_midpct(kes_ctx* ctx, kes_preq* request, kes_cell* cell, kes_bincdf cdf) {
  kes_plotslot* slot = kes_plot_slot(ctx, request, cell);
  kes_curve* curve = kes_fit_curve(slot);
  kes_cell* bins = kes_fit_bins_cell(request);
  const kes_plotslot* bs = bins != nullptr ? kes_plot_slot(ctx, request, bins) : nullptr;
  if (curve == nullptr || bs == nullptr) return;
  const int nb = slot->nbins;
  const long size = 8L * (nb > 0 ? nb : 0);
  // From the BY group's pool, as the curve is: a step of many BY groups must not keep
  // every group's percents. A pool may refuse an empty block; ask for one double so
  // that no bins still gives an array.
  double* pct = static_cast<double*>(vmalcp_handler(ctx->bypool, size > 0 ? size : 8, KES_ALLOC_4));
  if (pct == nullptr) {
    xmemmsg(size);
    return;
  }
  curve->expected = pct;
  const double w = bs->width;
  const double s = request->endpoints ? bs->first : bs->first - 0.5 * w;
  // The upper end comes from s + w, not from the lower end, so that a bin's two ends
  // are the same numbers in every cell.
  const double sw = s + w;
  for (int i = 0; i < nb; ++i) {
    const double k = static_cast<double>(slot->firstbin + i);
    pct[i] = 100.0 * (cdf(curve->params, sw + k * w) - cdf(curve->params, s + k * w));
  }
  // A bin end the family's function cannot take makes every percent of the curve missing.
  bool failed = false;
  for (int i = 0; i < nb; ++i) failed = failed || std::isnan(pct[i]);
  for (int i = 0; failed && i < nb; ++i) pct[i] = kes_fit_missing();
}
