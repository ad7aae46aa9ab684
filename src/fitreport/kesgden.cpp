// kesgden: a fitted curve as a polyline over a panel, for the renderers.
#include <cmath>

#include "fit/kes_estframe.h"
#include "fit/kes_famfn.h"
#include "fitreport/kes_famsets.h"
#include "host/host_services.h"
#include "host/kes_decimal_grid.h"
#include "numeric/zlgamma.h"
#include "numeric/zmissing.h"
#include "numeric/zsupport.h"
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
  // Heights are taken in the law's own coordinates d = x - theta (the location of the
  // laws without a threshold): the law at a location of 0 at d.  So the curve of the
  // data moved by any c has the heights of the data as read, to the bit where the moved
  // values are exact, and a support's edge is judged in the data's unit.
  double at0[4];
  for (int j = 0; j < 4; ++j) at0[j] = par[j];
  at0[0] = 0.0;
  auto f = [&](double d) { return std::ldexp(fam->plt(d, c, at0), exp2); };
  const double t = par[0];
  double d0 = x0 - t, d1 = x1 - t;

  double y0;
  if (cv.dist == KES_DIST_EXPONENTIAL && x0 == t) {
    y0 = cv.height;
  } else {
    // A density unbounded at an end starts a step inside, in the law's unit (its scale):
    // a step relative to x0 or to the end would leave the data behind far from 0, and
    // an absolute one the data of a small unit.
    const double inside = 1.1e-7 * par[1];
    if ((cv.dist == KES_DIST_WEIBULL || cv.dist == KES_DIST_GAMMA) && x0 == t && !std::isnan(cv.mode) &&
        std::isnan(cv.height) && cv.mode == x0) {
      d0 = inside;
      x0 = t + d0;
    }
    // The beta's ends move so wherever they lie within the support's margin of its
    // edges, on either side: an upper end theta + sigma is rounded, at an offset by
    // far more than 2^-53 sigma.  They move to the same distance from the edge.
    if (cv.dist == KES_DIST_BETA) {
      const double margin = ZSUPPORT_MARGIN * par[1];
      if (std::fabs(d0) <= margin) {
        d0 = inside;
        x0 = t + d0;
      }
      if (std::fabs(par[1] - d1) <= margin) {
        d1 = par[1] - inside;
        x1 = t + d1;
      }
    }
    y0 = f(d0);
  }

  // The curve is whole, however tall: the axis holds the bars, and each renderer cuts
  // a curve that rises past it at the frame.
  polyline pl{points, n, 0, request->layout};
  const bool peak = !std::isnan(cv.mode) && !std::isnan(cv.height) && x0 < cv.mode && cv.mode < x1;
  const int m = peak ? 1 : 0;
  pl.put(x0, y0);
  if (n <= m + 1) {
    pl.put(x1, f(d1));
    *count = pl.used;
    return KES_CURVE_WHOLE;
  }
  // Over a range wider than the largest double the step is found from the halves.
  const double span = d1 - d0;
  const double h = std::isfinite(span) ? span / (n - 1 - m) : 2 * ((d1 / 2 - d0 / 2) / (n - 1 - m));
  // Point k is first + k h, each formed once (the double nearest its decimal where the
  // ends and the step are short decimals), never a sum of k steps whose roundings pile
  // up; the last point is the range's end itself.
  const kes_decimal_grid place = kes_decimal_grid::of(x0, h), law = kes_decimal_grid::of(d0, h);
  // The peak is a point of its own even where a grid point falls on it, so that
  // whether it does (a question of the last bit at another offset or unit) never
  // changes how many points a curve has.
  const double dmode = cv.mode - t;
  bool peak_done = !peak;
  for (int k = 1;; ++k) {
    const double dn = law.point(k);
    if (!peak_done && law.point(k - 1) < dmode && dmode <= dn) {
      pl.put(cv.mode, cv.height);
      peak_done = true;
    }
    if (dn >= d1 || pl.used >= n - 1) {
      pl.put(x1, f(d1));
      break;
    }
    pl.put(place.point(k), f(dn));
  }
  *count = pl.used;
  return KES_CURVE_WHOLE;
}
