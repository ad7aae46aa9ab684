// kesgden: a fitted curve as a polyline over a panel, for the renderers.
#include <cmath>

#include "fit/kes_estframe.h"
#include "fit/kes_famfn.h"
#include "fitreport/kes_famsets.h"
#include "host/host_services.h"
#include "numeric/zlgamma.h"
#include "numeric/zmissing.h"
#include "records/kes_cell.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_layout.h"
#include "records/kes_plotslot.h"
#include "records/kes_varsum.h"

namespace {
// The points go out in panel coordinates; the budget is never exceeded.
struct polyline {
  double* out;
  int limit;
  int used = 0;
  const kes_layout* layout;
  void put(double x, double y) {
    if (used >= limit) return;
    if (layout != nullptr) {
      x = x * layout->xscale + layout->xoffset;
      y = y * layout->yscale + layout->yoffset;
    }
    out[2 * used] = x;
    out[2 * used + 1] = y;
    ++used;
  }
};
}  // namespace

int kesgden(kes_ctx* ctx, kes_cell* cell, double* points, double x0, double x1, int* count, int k) {
  const int n = *count;
  *count = 0;
  kes_preq* request = ctx->curreq;
  kes_plotslot* slot = request != nullptr ? kes_plot_slot(ctx, request, cell) : nullptr;
  if (slot == nullptr || slot->curves == nullptr || k < 0 || k >= slot->ncurves || n < 1) return KES_CURVE_NONE;
  const kes_curve& cv = slot->curves[k];
  const kes_famfn* fam = kes_famdisp(cv.dist);
  if (fam == nullptr || fam->plt == nullptr || cv.dist > KES_DIST_SU) return KES_CURVE_NONE;
  double c = 0.0;
  int exp2 = 0;
  // Without its constant the curve has no height: it is not drawn.
  if (kescnst(ctx, request, cell, k, &c, &exp2) != 0) return KES_CURVE_NONE;
  const double* par = cv.params;
  auto f = [&](double x) { return std::ldexp(fam->plt(x, c, par), exp2); };

  double y0;
  if (cv.dist == KES_DIST_EXPONENTIAL && x0 == par[0]) {
    y0 = cv.height;
  } else {
    // A density unbounded at the threshold starts a step inside, in the law's unit (its
    // scale): an absolute step would leave the data of a small unit behind.
    if ((cv.dist == KES_DIST_WEIBULL || cv.dist == KES_DIST_GAMMA) && x0 == par[0] && !std::isnan(cv.mode) &&
        std::isnan(cv.height) && cv.mode == x0)
      x0 += 1.1e-7 * par[1];
    if (cv.dist == KES_DIST_BETA) {
      const double near = ZEPS53 * par[1];
      if (std::fabs(x0 - par[0]) < near) x0 = x0 != 0.0 ? x0 + std::fabs(x0) * 1.1e-7 : 2.0 * near;
      if (std::fabs(par[0] + par[1] - x1) < near) x1 = x1 != 0.0 ? x1 - std::fabs(x1) * 1.1e-7 : -2.0 * near;
    }
    y0 = f(x0);
  }

  // The curve is whole, however tall: the axis holds the bars, and each renderer cuts
  // a curve that rises past it at the frame.
  polyline pl{points, n, 0, request->layout};
  const bool peak = !std::isnan(cv.mode) && !std::isnan(cv.height) && x0 < cv.mode && cv.mode < x1;
  const int m = peak ? 1 : 0;
  pl.put(x0, y0);
  if (n <= m + 1) {
    pl.put(x1, f(x1));
    *count = pl.used;
    return KES_CURVE_WHOLE;
  }
  // Over a range wider than the largest double the step is found from the halves.
  const double span = x1 - x0;
  const double h = std::isfinite(span) ? span / (n - 1 - m) : 2 * ((x1 / 2 - x0 / 2) / (n - 1 - m));
  bool peak_done = !peak;
  for (double x = x0;;) {
    const double xn = x + h;
    if (!peak_done && x < cv.mode && cv.mode < xn) {
      pl.put(cv.mode, cv.height);
      peak_done = true;
    }
    if (xn >= x1 || pl.used >= n - 1) {
      pl.put(x1, f(x1));
      break;
    }
    pl.put(xn, f(xn));
    x = xn;
  }
  *count = pl.used;
  return KES_CURVE_WHOLE;
}
