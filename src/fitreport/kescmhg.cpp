// kescmhg: the OUTHISTOGRAM observations of one cell, one per bin, for the bins alone
// or for one curve with its expected percents.
#include <cmath>

#include "fit/kes_estframe.h"
#include "fitreport/kes_fitrep.h"
#include "numeric/zmissing.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"
#include "records/kes_vscale.h"
#include "stats/output_layout.h"

double kes_bar_percent(int vscale, double h, double n) {
  return vscale == KES_VSCALE_COUNT ? h * 100.0 / n : vscale == KES_VSCALE_PROPORTION ? 100.0 * h : h;
}

// A bin's count is a sum of whole frequencies; a percent or proportion scaled back
// carries a rounding error of a few units in the last place (2.0000000000000004), far
// below one half, so the nearest whole number is the count itself.
double kes_bar_count(int vscale, double h, double n) {
  const double c = vscale == KES_VSCALE_COUNT ? h : vscale == KES_VSCALE_PROPORTION ? h * n : h * n / 100.0;
  return std::isnan(c) ? c : std::nearbyint(c);  // a missing height stays as it is
}

void kescmhg(kes_ctx* ctx, kes_preq* request, kes_plotslot* slot, kes_curve* curve) {
  kes_cell* bc = kes_fit_bins_cell(request);
  const kes_plotslot* bs = bc != nullptr ? kes_plot_slot(ctx, request, bc) : nullptr;
  if (bs == nullptr || slot == nullptr || request->outhist_def == nullptr) return;
  const int nb = slot->nbins;
  if (slot->n == 0 || nb <= 0) return;
  const double w = bs->width;
  // Bin i's midpoint, or its lower or (RTINCLUDE) upper end, as its decimal.
  const kes_decimal_grid grid = kes_decimal_grid::of(bs->first, w);
  const int from = slot->firstbin + (request->endpoints && request->rtinclude ? 1 : 0);
  const double n = slot->n;
  kes_outhist_row& row = ctx->outrow;
  for (int i = 0; i < nb; ++i) {
    double x = grid.point(from + i);
    // A zero reached as a sum of doubles off the decimals lands a few ulps off.
    if (!grid.exact && std::fabs(x) < 1000.0 * ZEPS53 * std::fabs(w) * (std::fabs(from) + nb)) x = 0.0;
    const double h = slot->heights != nullptr ? slot->heights[i] : kes_fit_missing();
    row.count = kes_bar_count(request->vscale, h, n);
    row.obspct = kes_bar_percent(request->vscale, h, n);
    row.bin = x;
    if (curve != nullptr)
      row.exppct = curve->fitted && curve->expected != nullptr ? curve->expected[i] : kes_fit_missing();
    // A failed write is reported by the host; the other bins still go out.
    kes_put_observation(request->outhist_def);
  }
}
