// puthist: the rows of one cell of a histogram's template graph: a row per bin, a
// row per point of each fitted or kernel curve, and a row per reference line.
#include <cfloat>
#include <cmath>
#include <cstring>
#include <vector>

#include "fit/kes_famfn.h"
#include "fit/kes_kernel.h"
#include "fitreport/kes_famsets.h"
#include "host/host_missing.h"
#include "host/host_services.h"
#include "kes_gram_names.h"
#include "plotdata/curve_range.h"
#include "plotdata/kes_points.h"
#include "records/kes_cell.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"
#include "records/kes_varsum.h"
#include "records/kes_vscale.h"
#include "records/pool_alloc.h"
#include "records/stmt_slots.h"
#include "tmplgraph/hist_graph.h"
#include "tmplgraph/kes_stgraph.h"
#include "tmplgraph/stg_labels.h"
#include "util/kes_eps.h"

namespace {

constexpr int kPointDoubles = 1032;
constexpr int kBestDecimals = 99;

// The bar label of a bin of height h: BARLABEL= COUNT, PERCENT or PROPORTION of the
// cell's n values, whatever the vertical scale.
void bar_label(const kes_preq* r, int how, double h, double n, char* cell) {
  const double fb = how == 1 ? 1.0 : how == 2 ? 100.0 / n : 1.0 / n;
  const double fv = r->vscale == KES_VSCALE_COUNT ? 1.0 : r->vscale == KES_VSCALE_PERCENT ? 100.0 / n : 1.0 / n;
  const double v = h * fb / fv;
  int width = -8, dec = kBestDecimals;
  if (how == 3) {
    width = -4;
    dec = 2;
  } else if (how == 2) {
    if (v >= 100) width = -5, dec = 1;
    else if (v >= 10) width = -4, dec = 1;
    else if (v >= 0.1) width = -4, dec = 2;
    else if (v >= 0.001) width = -5, dec = 3;
  }
  xpfs(v, width, dec, cell);
}

// The kernel work buffer: room for the cell's distinct values and their counts (which
// the kernel does not read: it binned the cell's view once), then three arrays of the
// kernel grid, as the device renderer lays it out. Sizes in 64 bits: a large grid of
// many distinct values must not wrap.
double* kernel_work(const kes_plotslot* s, const kes_varsum* vs, host_pool* pool) {
  const long long g = s->grid_m, n = vs->ndistinct;
  const long long bytes = 8LL * (3 * g + 2 * n);
  return static_cast<double*>(vmalcp_handler(pool, static_cast<long>(bytes), KES_ALLOC_6));
}

}  // namespace

bool kes_hist_bare_cell(kes_ctx* ctx, kes_cell* cell) {
  const kes_preq* r = ctx->curreq;
  if (!r->nobars || r->hang) return false;
  const kes_plotslot* s = kes_stg_slot(ctx, cell);
  return s != nullptr && s->n > 0 && !kes_any_curve_fitted(s);
}

void puthist(kes_ctx* ctx, kes_stgraph* g, kes_cell* cell) {
  const kes_preq* r = ctx->curreq;
  const kes_plotslot* key = kes_stg_keyslot(ctx);
  kes_plotslot* s = kes_stg_slot(ctx, cell);
  if (key == nullptr || s == nullptr) return;
  const double missing = host_missing_of_kind(HOST_MISS_STD);
  double* cells = g->cells;

  // Positions from the horizontal range (widened for kernel curves) and the width.
  const double a = key->hlow, b = key->hhigh, w = key->width;
  const int m = key->npoints;
  const int nbinrows = r->endpoints ? m - 1 : m;
  // Curves end at the largest double where the outer half bins would pass it.
  const double clo = std::fmax(r->endpoints ? a : kes_bin_point(a, -0.5, w), -DBL_MAX);
  const double chi = std::fmin(r->endpoints ? b : kes_bin_point(b, 0.5, w), DBL_MAX);
  const kes_decimal_grid grid = kes_decimal_grid::of(a, w);
  // Off the decimals, a zero reached as a sum of doubles lands a few ulps off.
  const double tol =
      grid.exact ? 0 : 1000 * KES_EPS53 * std::fmax(std::fabs(a), std::fabs(kes_bin_point(a, s->nbins - 1, w)));
  const auto snap = [tol](double x) { return std::fabs(x) < tol ? 0.0 : x; };
  std::memset(g->curvelabel, ' ', sizeof g->curvelabel);

  // Kernel data, and whether the cell's kernels share one type.
  host_pool* pool = v_global_gcb_anchor != nullptr ? v_global_gcb_anchor->taskpool : nullptr;
  const kes_varsum* vs = cell->varsums != nullptr ? &cell->varsums[ctx->curvar] : nullptr;
  double* work = nullptr;
  bool same_type = true;
  if (r->nkernels > 0 && s->curves != nullptr) {
    if (vs == nullptr || (work = kernel_work(s, vs, pool)) == nullptr) return;
    int type = 0;
    for (int k = s->ncurves - s->nkernels; k < s->ncurves; ++k) {
      if (k < 0 || s->curves[k].dist != KES_DIST_KERNEL) continue;
      if (type != 0 && s->curves[k].kernel.type != type) same_type = false;
      type = s->curves[k].kernel.type;
    }
  }

  // Legends of the fitted curves.
  const int ncurves = s->curves != nullptr ? s->ncurves : 0;
  std::vector<kes_legend> legends(static_cast<std::size_t>(ncurves));
  const bool classes = r->classvars->count > 0;
  for (int k = 0; k < ncurves; ++k) {
    const kes_curve& c = s->curves[k];
    if (!c.fitted) continue;
    if (c.dist == KES_DIST_KERNEL) kes_hist_kernlegend(c, same_type, &legends[k]);
    else kes_hist_fitlegend(c, classes, &legends[k]);
  }

  // The curve a hanging histogram hangs from.
  const kes_famfn* hangfn = nullptr;
  double hangc = 0;
  int hang2 = 0;
  if (r->hang && ncurves > 0 && s->curves[0].fitted && s->curves[0].dist <= KES_DIST_SU) {
    hangfn = kes_famdisp(s->curves[0].dist);
    kescnst(ctx, ctx->curreq, cell, 0, &hangc, &hang2);
  }

  kes_stg_reset(g);
  // BARLABEL= keeps its code (1 COUNT, 2 PERCENT, 3 PROPORTION) as the slot's number.
  const int barlabel =
      kes_pgiven(r->stmt, KES_PLOT_SLOT_BARLABEL) ? static_cast<int>(kes_pnumber(r->stmt, KES_PLOT_SLOT_BARLABEL)) : 0;
  const int f = s->firstbin, k = s->nbins;
  const bool bare = g->unfitted && kes_hist_bare_cell(ctx, cell);
  if (bare) {
    cells[KES_HC_CELLN] = s->n;
    cells[KES_HC_CELLMIN] = s->datamin;
    cells[KES_HC_CELLMAX] = s->datamax;
    if (nbinrows < 1) kes_stg_row(g);
  }
  for (int i = 0; i < nbinrows; ++i) {
    if (i == 1) cells[KES_HC_CELLN] = cells[KES_HC_CELLMIN] = cells[KES_HC_CELLMAX] = missing;
    std::memset(g->barlabel, ' ', sizeof g->barlabel);
    const double x = snap(grid.point(i));
    cells[KES_HC_BINX] = x;
    const double h = i >= f && i <= f + k - 1 && s->heights != nullptr ? s->heights[i - f] : 0.0;
    cells[KES_HC_BINCOUNT] = h;
    if (barlabel != 0 && h > 0) bar_label(r, barlabel, h, s->n, g->barlabel);
    if (hangfn != nullptr && hangfn->plt != nullptr) {
      // A bar hangs at its centre, as the vertical axis was laid out.
      const double top = std::ldexp(hangfn->plt(r->endpoints ? grid.point(i + 0.5) : x, hangc, s->curves[0].params), hang2);
      cells[KES_HC_HANGORIGIN] = top;
      cells[KES_HC_HANGY] = top - h;
    }
    kes_stg_row(g);
  }
  cells[KES_HC_BINX] = cells[KES_HC_BINCOUNT] = cells[KES_HC_HANGORIGIN] = cells[KES_HC_HANGY] = missing;
  cells[KES_HC_CELLN] = cells[KES_HC_CELLMIN] = cells[KES_HC_CELLMAX] = missing;
  std::memset(g->barlabel, ' ', sizeof g->barlabel);

  std::vector<double> points;  // made for the first curve: most cells draw none
  for (int c = 0; c < ncurves; ++c) {
    kes_curve& cv = s->curves[c];
    if (!cv.fitted) continue;
    double lo = clo, hi = chi;
    if (!kes_curve_range(cv, *s, &lo, &hi)) continue;
    // Curves of one legend are told apart by numbers.
    int dup = 1;
    for (int j = 0; j < ncurves; ++j) {
      if (j == c || !s->curves[j].fitted || legends[j].len != legends[c].len ||
          std::memcmp(legends[j].text, legends[c].text, static_cast<std::size_t>(legends[c].len)) != 0)
        continue;
      kes_legend_number(&legends[j], ++dup);
    }
    if (dup > 1) kes_legend_number(&legends[c], 1);
    std::memset(g->curvelabel, ' ', sizeof g->curvelabel);
    std::memcpy(g->curvelabel, legends[c].text, static_cast<std::size_t>(legends[c].len));
    points.assign(kPointDoubles, missing);
    int n = 0;
    if (cv.dist == KES_DIST_KERNEL) {
      keskdf(ctx, cell, work, points.data(), lo, hi, &n, &cv);
    } else {
      n = KES_CURVE_POINTS;
      kesgden(ctx, cell, points.data(), lo, hi, &n, c);
    }
    for (int i = 0; i < n; ++i) {
      cells[KES_HC_CURVEX] = points[2 * i];
      cells[KES_HC_CURVEY] = points[2 * i + 1];
      kes_stg_row(g);
    }
    std::memset(g->curvelabel, ' ', sizeof g->curvelabel);
  }

  kes_stg_reset(g);
  for (int i = 0; i < r->nhref; ++i) {
    cells[KES_STG_HREF_CELL] = r->href[i];
    if (r->hreflabels != nullptr) kes_stg_reflabel(g->hreflabel, r->hreflabels[i]);
    kes_stg_row(g);
  }
  kes_stg_reset(g);
  for (int i = 0; i < r->nvref; ++i) {
    cells[KES_STG_VREF_CELL] = r->vref[i];
    if (r->vreflabels != nullptr) kes_stg_reflabel(g->vreflabel, r->vreflabels[i]);
    kes_stg_row(g);
  }
  kes_stg_reset(g);
  if (work != nullptr) vmfree_handler(pool, work, -1, KES_FREE_FLAGS);
}
