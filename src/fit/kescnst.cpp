// kescnst and kesgden: the scale constant of a fitted curve, and the curve as a
// polyline over a panel for the renderers.
#include <cmath>

#include "devgraph/kes_layout.h"
#include "driver/kes_cell.h"
#include "driver/kes_ctx.h"
#include "driver/kes_varsum.h"
#include "fit/kes_curve.h"
#include "fit/kes_estframe.h"
#include "fit/kes_famfn.h"
#include "host/host_services.h"
#include "numeric/zlgamma.h"
#include "numeric/zmissing.h"
#include "plotreq/kes_plotslot.h"

namespace {
constexpr double kInvSqrt2Pi = 0.3989422804014327;

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

int kescnst(kes_ctx* ctx, kes_preq* request, kes_cell* cell, int k, double* c) {
  kes_plotslot* slot = kes_fit_slot(ctx, request, cell);
  const kes_varsum* vs = kes_fit_varsum(ctx, cell);
  if (slot == nullptr || vs == nullptr || slot->curves == nullptr || k < 0 || k >= slot->ncurves) return 1;
  const kes_curve& cv = slot->curves[k];
  kes_cell* bins = kes_fit_bins_cell(request);
  const kes_plotslot* bs = bins != nullptr ? kes_fit_slot(ctx, request, bins) : nullptr;
  const double w = bs != nullptr ? bs->width : slot->width;
  const double area = w * vs->n * slot->scale;
  const double* p = cv.params;
  switch (cv.dist) {
    case KES_DIST_NORMAL: *c = area * kInvSqrt2Pi / p[1]; break;
    case KES_DIST_LOGNORMAL: *c = area * kInvSqrt2Pi / p[2]; break;
    case KES_DIST_EXPONENTIAL: *c = area / p[1]; break;
    case KES_DIST_WEIBULL: *c = area * p[2] / p[1]; break;
    case KES_DIST_SB:
    case KES_DIST_SU: *c = area * p[2] * kInvSqrt2Pi / p[1]; break;
    // The gamma curve takes the logarithm of its constant.
    case KES_DIST_GAMMA: {
      const double lg = zlgamma(p[2]);
      if (lg == -99.0 || !(area > 0.0) || !(p[1] > 0.0)) return 1;
      *c = std::log(area) - std::log(p[1]) - lg;
      break;
    }
    case KES_DIST_BETA: {
      const double la = zlgamma(p[2]), lb = zlgamma(p[3]), lab = zlgamma(p[2] + p[3]);
      const double b = lab - la - lb;
      if (la == -99.0 || lb == -99.0 || lab == -99.0 || !(b < ZEXP_OVER)) {
        xpmlog(431, 164, p[2], p[3]);
        return 1;
      }
      const double eb = std::exp(b);
      if (eb >= 1.0 && area >= 1.0 && ZDBL_BIG / eb < area) return 1;
      *c = eb * area;
      break;
    }
    default: *c = area; break;
  }
  return 0;
}

int kesgden(kes_ctx* ctx, kes_cell* cell, double* points, double x0, double x1, int* count, int k) {
  const int n = *count;
  *count = 0;
  kes_preq* request = ctx->curreq;
  kes_plotslot* slot = request != nullptr ? kes_fit_slot(ctx, request, cell) : nullptr;
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
  const kes_plotslot* bs = bins != nullptr ? kes_fit_slot(ctx, request, bins) : nullptr;
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
