// kesgpg2(ctx) -> 0, 2000 or 108: the vertical half of the page geometry: the plot
// area's height and bottom edge, the axis definitions' LENGTH= and ORIGIN=, the axis
// lines' starts and the data-to-device transforms of both axes.
#include <algorithm>
#include <cmath>

#include "devgraph/chart_access.h"
#include "devgraph/chart_geometry.h"
#include "devgraph/chart_layout.h"
#include "devgraph/gdev.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "records/kes_classvars.h"
#include "host/kes_checked.h"

namespace {

// A span that is not positive cannot be divided by: a unit stands in for it, so that
// a degenerate axis draws its marks at its origin instead of nowhere.
double span(double d) { return d > 0 && std::isfinite(d) ? d : 1.0; }
// Page units per data unit of k bins of width w drawn 'length' long: k w may pass the
// largest double (a kernel's reach widens the bins to 1.5 ranges past values near it)
// while the bins themselves do not.
double per_bins(double length, double w, int k) {
  const double d = w * k;
  return std::isfinite(d) ? length / span(d) : length / k / span(w);
}
// Page units per data unit of an axis from lo to hi drawn 'length' long; an axis wider
// than the largest double still has its scale.
double per_unit(double length, double lo, double hi) {
  const double d = kes_axis_span(lo, hi);
  return std::isinf(d) && d > 0 ? kes_step_length(1, length, lo, hi) : length / span(d);
}
// The power of two that takes an axis from lo to hi, drawn 'length' long, into the
// doubles whose scale is finite: 0 unless its span is so small (subnormal data) that
// length / span passes the largest double.
int unit_exp(double length, double lo, double hi) {
  const double d = hi - lo;
  return d > 0 && std::isinf(length / d) ? -std::ilogb(d) : 0;
}

}  // namespace

void kes_transforms(const kes_transform_in& in, double* xscale, double* xoffset, double* yscale, double* yoffset,
                    int* xexp, int* yexp) {
  const int n = in.histogram ? in.npoints
                             : kes_clamped_int(std::floor(kes_steps_between(in.xmin, in.xmax, span(in.step)) + 1.5), 0,
                                               INT_MAX);
  const int m = in.endpoints ? n - 1 : n;
  if (n <= static_cast<int>(in.endpoints)) return;  // no bin to lay out
  double s = 0;
  if (in.histogram && in.bargap == 0) {
    *xscale = per_bins(in.width, in.binwidth, m);
    s = in.endpoints ? 0 : in.binwidth / 2;
  } else if (in.histogram) {
    *xscale = per_bins(in.width - in.barwidth, in.binwidth, std::max(m - 1, 1));
    s = in.endpoints ? 0 : (in.barwidth / 2) / span(*xscale);
  }
  // A histogram's bins cannot be narrower than the doubles allow (its request refuses
  // such data) and its drawers take the plain transforms.
  const int ex = in.histogram ? 0 : unit_exp(in.width, in.xmin, in.xmax);
  const int ey = in.histogram ? 0 : unit_exp(in.height, in.vmin, in.vmax);
  if (!in.histogram) *xscale = per_unit(in.width, std::ldexp(in.xmin, ex), std::ldexp(in.xmax, ex));
  // The outer half bin of bins widened to the doubles' ends passes them: the offset is
  // then had from the first point and the half bin apart.
  const double start = in.xmin - s;
  *xoffset = std::isfinite(start) ? in.ox - std::ldexp(start, ex) * *xscale : in.ox - in.xmin * *xscale + s * *xscale;
  *yscale = per_unit(in.height, std::ldexp(in.vmin, ey), std::ldexp(in.vmax, ey));
  *yoffset = in.oy - std::ldexp(in.vmin, ey) * *yscale;
  if (xexp != nullptr) *xexp = ex;
  if (yexp != nullptr) *yexp = ey;
}

int kesgpg2(kes_ctx* ctx) {
  kes_preq* r = ctx->curreq;
  kes_layout* lay = r->layout;
  kes_chart* c = &lay->c;
  const kes_stmt* st = r->stmt;
  kes_axis& hx = lay->haxis;
  kes_axis& vx = lay->vaxis;
  const kes_plotslot* key = kes_gkeyslot(ctx);

  // 1. The tile legend of comparative panels is laid out with them (none here).

  // 2. Height.
  c->height = (c->pagearea[3] - c->pagearea[1]) - (c->tspace + c->bspace);

  // 3. A character-cell device: whole cells per tick interval.
  if (c->celldev && c->ch > 0) {
    c->height = gd_cell(ctx, c->height + KES_SQRT_EPS53, 2, 0);
    const int m = kes_clamped_int(std::floor(c->height / c->ch + KES_SQRT_EPS53), 0, INT_MAX);
    const int t = key->vticks - 1;
    if (m < t) {
      xpmlog(KES_SET_LAYOUT, KES_MSG_DEVICE_TOO_FEW_ROWS_FOR_TICKS);
      return KES_RC_VALUE_NOTE;
    }
    // A single tick (t = 0) keeps the height it has.
    if (t > 0) {
      const double h = std::floor(static_cast<double>(m) / t) * c->ch * t;
      const double given_up = c->height - h;
      c->height = h;
      c->pagearea[1] = gd_cell(ctx, gd_cell(ctx, c->pagearea[1], 2, 1) + given_up / 2, 2, 1);
    }
  }

  // 4. LENGTH= of the vertical axis definition: centred in the room there is.
  const double half = kes_fit_length(vx, "VAXIS=", &c->height);
  c->bspace += half, c->bmargin += half;
  c->tspace += half, c->tmargin += half;

  // 5. Rows of cells. Rows left to the levels give way to as many as the page holds
  // (each taller than a character cell), so that the graph is drawn over more pages.
  if (r->nrows > 1 && !kes_pgiven(st, KES_PLOT_SLOT_NROWS) && c->ch > 0) {
    const int fit = kes_rows_that_fit(c->height, c->vcellgap + vx.offset[0] + vx.offset[1], c->ch);
    if (fit >= 1 && fit < r->nrows) {
      r->nrows = fit;
      const kes_classvars* cv = r->classvars;
      const int ncls = cv != nullptr ? cv->count : 0;
      c->pages = kes_page_count(ncls, ncls > 0 ? cv->nlevels : 1, ncls > 1 ? cv->nlevels2 : 1, r->nrows, r->ncols);
    }
  }
  if (r->nrows > 1)
    c->height = (c->height - (r->nrows - 1) * (c->vcellgap + vx.offset[0] + vx.offset[1])) / r->nrows;

  // 6. SQUARE (probability, QQ and P-P plots): the larger side of the framed cell
  // shrinks to the smaller, measured on the page (a horizontal percent is 1 / aspect
  // vertical percents); the room given up is shared by the margins on both sides.
  const bool squares = r->type == KES_PLOT_QQ || r->type == KES_PLOT_PROB || r->type == KES_PLOT_PP;
  if (squares && kes_flag(st, KES_PLOT_FLAG_SQUARE) && c->aspect > 0) {
    const double across = hx.offset[0] + c->width + hx.offset[1];
    const double up = (vx.offset[0] + c->height + vx.offset[1]) * c->aspect;  // in horizontal percents
    if (across > up) {
      const double d = (across - up) / 2, share = (r->ncols > 1 ? r->ncols : 1) * d;
      c->width -= 2 * d;
      c->lmargin += share, c->rmargin += share, c->ox += share;
    } else if (up > across) {
      const double d = (up - across) / 2 / c->aspect, share = (r->nrows > 1 ? r->nrows : 1) * d;
      c->height -= 2 * d;
      c->bspace += share, c->bmargin += share;
      c->tspace += share, c->tmargin += share;
    }
  }

  // 7. A height below one character cell; fewer rows or columns a page may help.
  if (kes_too_small(c->ch, c->height, kes_pgiven(st, KES_PLOT_SLOT_NROWS) || kes_pgiven(st, KES_PLOT_SLOT_NCOLS)))
    return KES_RC_OUTPUT_UNDEFINED;

  // 8. Origin and the axis lines' starts.
  c->oy = c->pagearea[1] + c->bspace;
  // (An ORIGIN= of an axis definition has already moved the plot area so that the
  // lines start where it puts them.)
  c->hx.start[0] = c->ox - hx.offset[0];
  c->vx.start[1] = c->oy - vx.offset[0];
  c->hx.start[1] = c->vx.start[1];
  c->vx.start[0] = c->hx.start[0];

  // 9. Transforms.
  c->xmin = key->hlow, c->xmax = key->hhigh, c->binwidth = key->width;
  kes_transform_in in{};
  in.histogram = r->type == KES_PLOT_HISTOGRAM;
  in.endpoints = r->endpoints != 0;
  in.ox = c->ox, in.oy = c->oy, in.width = c->width, in.height = c->height;
  in.xmin = c->xmin, in.xmax = c->xmax, in.binwidth = c->binwidth;
  in.npoints = key->npoints;
  in.step = key->width;
  in.barwidth = c->barwidth, in.bargap = c->bargap;
  in.vmin = key->vmin, in.vmax = key->vmax;
  kes_transforms(in, &lay->xscale, &lay->xoffset, &lay->yscale, &lay->yoffset, &lay->xexp, &lay->yexp);

  // 10. Panel anchors of the first panel position.
  c->anchors[0] = c->hx.start[0], c->anchors[1] = c->hx.start[1];
  c->anchors[2] = c->vx.start[0], c->anchors[3] = c->vx.start[1];
  return 0;
}
