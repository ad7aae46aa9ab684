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

// Where the segment from (xa, ya) to (xb, yb) reaches the height t.
double crossing(double xa, double ya, double xb, double yb, double t) {
  return yb == ya ? xb : xa + (t - ya) * (xb - xa) / (yb - ya);
}
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
  // Without its constant the curve has no height: it is not drawn.
  if (kescnst(ctx, request, cell, k, &c) != 0) return KES_CURVE_NONE;
  const double* par = cv.params;
  auto f = [&](double x) { return fam->plt(x, c, par); };

  double y0;
  if (cv.dist == KES_DIST_EXPONENTIAL && x0 == par[0]) {
    y0 = cv.height;
  } else {
    if ((cv.dist == KES_DIST_WEIBULL || cv.dist == KES_DIST_GAMMA) && x0 == par[0] && !std::isnan(cv.mode) &&
        std::isnan(cv.height) && cv.mode == x0)
      x0 += 1.1e-7;
    if (cv.dist == KES_DIST_BETA) {
      if (std::fabs(x0 - par[0]) < ZEPS53) x0 = x0 != 0.0 ? x0 + std::fabs(x0) * 1.1e-7 : 2.0 * ZEPS53;
      if (std::fabs(par[0] + par[1] - x1) < ZEPS53) x1 = x1 != 0.0 ? x1 - std::fabs(x1) * 1.1e-7 : -2.0 * ZEPS53;
    }
    y0 = f(x0);
  }

  // The key slot's axis maximum is read, never changed: every cell of the request
  // shares it. A template graph, whose axis follows its data, lets the curve start
  // above it.
  kes_cell* bins = kes_fit_bins_cell(request);
  const kes_plotslot* bs = bins != nullptr ? kes_plot_slot(ctx, request, bins) : nullptr;
  double top = bs != nullptr ? bs->vmax : slot->vmax;
  if (ctx->tmplgraph && y0 > top) top = y0;
  int cut = KES_CURVE_WHOLE;

  polyline pl{points, n, 0, request->layout};
  const bool peak = !std::isnan(cv.mode) && !std::isnan(cv.height) && x0 < cv.mode && cv.mode < x1;
  const int m = peak ? 1 : 0;
  if (n <= m + 1) {
    pl.put(x0, y0);
    pl.put(x1, f(x1));
    *count = pl.used;
    return 0;
  }
  const double h = (x1 - x0) / (n - 1 - m);
  auto finish = [&](double xp, double yp) {
    const double y1 = f(x1);
    if (y1 > top) {
      pl.put(crossing(xp, yp, x1, y1, top), top);
      cut = KES_CURVE_CUT;
    } else {
      pl.put(x1, y1);
    }
  };

  double x = x0, y = y0;
  if (y0 <= top) {
    pl.put(x0, y0);
  } else {
    // Above the top from the start: the curve begins where it comes down through it.
    cut = KES_CURVE_CUT;
    bool found = false;
    for (int i = 1; i < n - m; ++i) {
      const double xs = x0 + i * h;
      if (xs >= x1) break;
      const double ys = f(xs);
      if (ys <= top) {
        x = crossing(x, y, xs, ys, top);
        y = top;
        pl.put(x, y);
        found = true;
        break;
      }
      x = xs;
      y = ys;
    }
    if (!found) {
      pl.put(x1, f(x1));
      *count = pl.used;
      return cut;
    }
  }
  bool peak_done = !peak;
  while (true) {
    const double xn = x + h;
    if (!peak_done && x < cv.mode && cv.mode < xn) {
      pl.put(cv.mode, cv.height);
      peak_done = true;
    }
    if (xn >= x1 || pl.used >= n - 1) {
      finish(x, y);
      break;
    }
    const double yn = f(xn);
    if (yn > top) {
      pl.put(crossing(x, y, xn, yn, top), top);
      cut = KES_CURVE_CUT;
      break;
    }
    pl.put(xn, yn);
    x = xn;
    y = yn;
  }
  *count = pl.used;
  return cut;
}
