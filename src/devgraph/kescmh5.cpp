// kescmh5(ctx, cell) -> 0, or 1 when a curve cannot be evaluated or drawn: every
// fitted density curve and kernel estimate of a histogram cell as a polyline clipped
// to the framed area, the area under one curve filled (FILL), and a flat line at
// height 0 over the part of the axis outside the family's support.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <iterator>

#include "devgraph/chart_access.h"
#include "devgraph/chart_layout.h"
#include "devgraph/gdev.h"
#include "fit/kes_famfn.h"
#include "fit/kes_kernel.h"
#include "fitreport/kes_famsets.h"
#include "host/host_anchor.h"
#include "host/host_missing.h"
#include "host/host_services.h"
#include "kes_gram_names.h"
#include "plotdata/curve_range.h"
#include "plotdata/kes_points.h"
#include "records/kes_curve.h"
#include "records/pool_alloc.h"

namespace {

constexpr int kKernelPoints = 514;  // most points of a kernel curve
// FILL flag of each family (the two-parameter Weibull has no histogram curve, so no
// FILL). ORDER kes_distcode
constexpr int kNoFill = -1;
constexpr int kFillOpt[] = {KES_PLOT_FLAG_NORMAL_FILL, KES_PLOT_FLAG_LOGNORMAL_FILL, KES_PLOT_FLAG_EXPONENTIAL_FILL,
                            KES_PLOT_FLAG_WEIBULL_FILL, KES_PLOT_FLAG_GAMMA_FILL,     KES_PLOT_FLAG_BETA_FILL,
                            KES_PLOT_FLAG_SB_FILL,      KES_PLOT_FLAG_SU_FILL,        kNoFill,
                            KES_PLOT_FLAG_KERNEL_FILL};
static_assert(std::size(kFillOpt) == KES_DIST_KERNEL + 1, "one entry per distribution code");

}  // namespace

int kescmh5(kes_ctx* ctx, kes_cell* cell) {
  if (cell == nullptr || cell->slots == nullptr) return 0;
  kes_preq* r = ctx->curreq;
  kes_layout* lay = r->layout;
  kes_chart* c = &lay->c;
  kes_plotslot* s = kes_gslot(ctx, cell);
  const kes_plotslot* key = kes_gkeyslot(ctx);
  if (s->curves == nullptr || s->ncurves <= 0) return 0;

  double lo = key->hlow, hi = key->hhigh;
  if (!r->endpoints) lo -= 0.5 * key->width, hi += 0.5 * key->width;
  // The outer half bins of a range widened to the doubles' ends pass them; curves end
  // at the largest double.
  lo = std::fmax(lo, -DBL_MAX), hi = std::fmin(hi, DBL_MAX);
  const double clip[4] = {c->ox - lay->haxis.offset[0], c->oy - lay->vaxis.offset[0],
                          c->ox + c->width + lay->haxis.offset[1], c->oy + c->height + lay->vaxis.offset[1]};
  const double y0 = lay->yoffset;
  const auto X = [&](double v) { return v * lay->xscale + lay->xoffset; };

  // The kernel evaluator's work room: the value list's length twice, then three
  // arrays of the cell's grid.
  host_pool* pool = v_global_gcb_anchor != nullptr ? v_global_gcb_anchor->taskpool : nullptr;
  double* work = nullptr;
  long work_bytes = 0;
  if (r->nkernels > 0 && s->grid_m > 0) {
    const kes_varsum* vs = cell->varsums != nullptr ? &cell->varsums[ctx->curvar] : nullptr;
    work_bytes = 8L * (3L * s->grid_m + 2L * (vs != nullptr ? vs->ndistinct : 0));
    work = static_cast<double*>(vmalcp_handler(pool, work_bytes, KES_ALLOC_6));
    if (work == nullptr) return 1;
  }
  const auto done = [&](int status) {
    if (work != nullptr) vmfree_handler(pool, work, -1, KES_FREE_FLAGS);
    return status;
  };

  double xy[2 * (kKernelPoints + 4)];
  bool filled = false;
  for (int j = 0; j < s->ncurves; ++j) {
    kes_curve& cv = s->curves[j];
    const kes_symattr* e = c->curve_attr != nullptr ? &c->curve_attr[j] : nullptr;
    const int colour = e != nullptr ? gd_colour(ctx, e->color) : c->colors.text;
    const int style = e != nullptr ? e->line_type : 1;
    gd_width(ctx, e != nullptr ? e->line_width : 1);
    if (!cv.fitted) continue;
    double a = lo, b = hi;
    if (!kes_curve_range(cv, *s, &a, &b)) continue;
    int n = KES_CURVE_POINTS;
    int status = 0;
    if (cv.dist == KES_DIST_KERNEL) status = keskdf(ctx, cell, work, xy, a, b, &n, &cv);
    else status = kesgden(ctx, cell, xy, a, b, &n, j);
    if (status != 0 || n <= 0) return done(1);

    const int dist = cv.dist >= 0 && cv.dist <= KES_DIST_KERNEL ? cv.dist : KES_DIST_NORMAL;
    if (r->curve_fill && !filled && kFillOpt[dist] != kNoFill && kes_flag(r->stmt, kFillOpt[dist])) {
      if (!kes_gname_is(c->fill[0].pattern, "E")) {
        // The area is cut at the frame's top as the line is: a polygon is not clipped.
        double area[2 * (kKernelPoints + 4)];
        for (int i = 0; i < n; ++i) area[2 * i] = xy[2 * i], area[2 * i + 1] = std::min(xy[2 * i + 1], clip[3]);
        const double pts[8] = {X(b), area[2 * n - 1], X(b), y0, X(a), y0, X(a), area[1]};
        std::memcpy(area + 2 * n, pts, sizeof pts);
        // The area takes the curve's own colour unless CFILL= names one.
        const char* fillcol = kes_pgiven(r->stmt, KES_PLOT_SLOT_CFILL) || e == nullptr ? c->fill[0].color : e->color;
        if (gd_polygon(ctx, area, n + 4, c->fill[0].pattern, fillcol) > 0) return done(1);
      }
      filled = true;
    }
    if (gd_polyline(ctx, xy, n, style, colour, clip) != 0) return done(1);
    if (a > lo) gd_line(ctx, X(lo), y0, X(a), y0, style, colour);
    if (b < hi) gd_line(ctx, X(b), y0, X(hi), y0, style, colour);
  }
  gd_width(ctx, 1);
  return done(0);
}
