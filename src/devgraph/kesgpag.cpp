// kesgpag(ctx) -> 0, 2000 or 1012: the horizontal half of the page geometry: the
// legend spacings, the number of panel pages, the room below and above the plot
// area, the plot area's left edge and width, the axis definitions' ORIGIN= x and
// LENGTH=, and the histogram's bar width and gap (INTERBAR=, BARWIDTH=).
#include <algorithm>
#include <cmath>

#include "devgraph/chart_access.h"
#include "devgraph/chart_geometry.h"
#include "devgraph/chart_layout.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "host/kes_checked.h"

namespace {

int ceil_div(int a, int b) { return b > 0 ? (a + b - 1) / b : a; }

// What INTERBAR= and BARWIDTH= could not be given, for kes_bar_layout to say.
enum bar_fault : unsigned { kGapLeavesNoRoom = 1, kWidthNotSmaller = 2, kWidthBesideInterbar = 4 };

// The bar width and gap of nbins bars in width, and the faults of the options met on
// the way: the one geometry the bars are drawn with and the end values make room for.
unsigned bar_geometry(double width, int nbins, bool interbar_given, double interbar, bool barwidth_given,
                      double barwidth, double* bar, double* gap) {
  unsigned faults = 0;
  const int n = std::max(nbins, 1);
  *gap = interbar_given && interbar >= 0 ? interbar : 0.0;
  *bar = (width - (n - 1) * *gap) / n;
  if (*bar <= 0) {
    faults |= kGapLeavesNoRoom;
    *gap = 0;
    *bar = width / n;
  }
  if (barwidth_given) {
    if (*gap == 0) {
      if (barwidth > 0 && barwidth < *bar && n > 1) {
        *bar = barwidth;
        *gap = (width - n * *bar) / (n - 1);
      } else if (barwidth > 0 && barwidth < *bar) {
        // One bin: no gap between bars can take the room, which is left after the
        // bar (the transform then puts the bin's centre at the bar's centre).
        *bar = barwidth;
        *gap = width - barwidth;
      } else {
        faults |= kWidthNotSmaller;
      }
    } else {
      faults |= kWidthBesideInterbar;
    }
  }
  return faults;
}

// The end tick values on the page and off the next column. The first value stands at
// the plot area's left edge, the last at its right one, each half a bar inward when
// bars are labelled at their midpoints; a bar narrows by 1/m of what the plot area
// gives up (m bars across the page). When a value would leave the page, or run into
// the first of the next column, the plot area moves right by a, narrows by d and the
// columns part by g more, with u = (d + (columns - 1) g) / m the bar's narrowing:
//   a - u/2 >= left,  d - a - u/2 >= right,  g - u >= between,
// solved at equality for u. A bar of fixed width narrows less, which only adds room.
void end_value_room(kes_ctx* ctx, bool intertile) {
  kes_preq* r = ctx->curreq;
  kes_chart* c = &r->layout->c;
  const kes_axis& hx = r->layout->haxis;
  const kes_plotslot* key = kes_gkeyslot(ctx);
  const bool midpoints = r->type == KES_PLOT_HISTOGRAM && !r->endpoints;
  const int nc = std::max(r->ncols, 1);
  const int nbars = midpoints ? std::max(key->npoints, 1) : 0;
  const double parted = (nc - 1) * (c->hcellgap + hx.offset[0] + hx.offset[1]);
  double bar = 0, gap = 0;
  if (midpoints)
    bar_geometry((c->width - parted) / nc, nbars, kes_pgiven(r->stmt, KES_PLOT_SLOT_INTERBAR),
                 kes_pnumber(r->stmt, KES_PLOT_SLOT_INTERBAR), kes_pgiven(r->stmt, KES_PLOT_SLOT_BARWIDTH),
                 kes_pnumber(r->stmt, KES_PLOT_SLOT_BARWIDTH), &bar, &gap);
  bar = std::max(bar, 0.0);
  const double first = c->hend_w[0], last = c->hend_w[1];
  const double left = c->pagearea[0] - (c->ox + bar / 2 - first / 2);
  const double right = c->ox + c->width - bar / 2 + last / 2 - c->pagearea[2];
  const double between =
      nc > 1 && !intertile ? first / 2 + last / 2 + 0.55 - (c->hcellgap + hx.offset[0] + hx.offset[1] + bar) : 0;
  if (!(left > 0 || right > 0 || between > 0)) return;
  // Off the page: the value keeps the margin's room from the edge, as an end value of
  // an axis without bars does.
  const double margin = c->celldev ? c->cw : 1.0;
  const double dl = left > 0 ? left + margin : 0, dr = right > 0 ? right + margin : 0;
  const long m = static_cast<long>(nc) * nbars;
  const auto bar_narrows = [&](double db) {
    return m > nc ? (dl + dr + (nc - 1) * db) / static_cast<double>(m - nc) : 0.0;
  };
  double db = std::max(between, 0.0), u = bar_narrows(db);
  // Columns that would keep less than a third of their width part no further: their
  // values then stop short of the next column, with a note, as they do with INTERTILE=.
  const double column = (c->width - parted) / nc;
  if (db > 0 && (column - (dl + dr + u + (nc - 1) * (db + u)) / nc) < column / 3) db = 0, u = bar_narrows(0);
  const double a = std::max(0.0, left + (left > 0 ? margin : 0) + u / 2);
  const double d = a + std::max(0.0, right + (right > 0 ? margin : 0) + u / 2);
  c->ox += a;
  c->lmargin += a;
  c->rmargin += d - a;
  c->width -= d;
  if (db > 0) c->hcellgap += db + u;  // the columns narrow by it below
}

}  // namespace

int kes_page_count(int nclass, int l1, int l2, int nr, int nc) {
  if (nclass == 0) return 1;
  if (nclass == 1) {
    if (nr >= 2) return ceil_div(l1, nr);
    if (nc >= 2) return ceil_div(l1, nc);
    return l1;
  }
  const int rows = nr > 1 ? ceil_div(l1, nr) : l1;
  const int cols = nc > 1 ? ceil_div(l2, nc) : l2;
  return rows * cols;
}

int kes_rows_that_fit(double extent, double gap, double unit) {
  // n cells fit while extent - (n - 1) gap > n unit, that is n < (extent + gap) / (unit + gap).
  if (!(unit + gap > 0) || !(extent > unit)) return 0;
  const double bound = (extent + gap) / (unit + gap);
  return std::max(1, kes_clamped_int(std::ceil(bound), 0, INT_MAX) - 1);
}

int kes_bar_layout(double width, int nbins, bool interbar_given, double interbar, bool barwidth_given,
                   double barwidth, bool curves, double* bar, double* gap) {
  const unsigned faults = bar_geometry(width, nbins, interbar_given, interbar, barwidth_given, barwidth, bar, gap);
  if (faults & kGapLeavesNoRoom) xpmlog(KES_SET_PROC, KES_MSG_INTERBAR_LEAVES_NO_ROOM);
  if (faults & kWidthNotSmaller) {
    xpmlog(KES_SET_LAYOUT, KES_MSG_BARWIDTH_NOT_SMALLER);
    xpmlog(KES_SET_PROC, KES_MSG_BARWIDTH_IGNORED);
  }
  if (faults & kWidthBesideInterbar)
    xpmlog(KES_SET_LABEL, KES_MSG_OPTION_IGNORED_BECAUSE_OTHER, "BARWIDTH=", "INTERBAR=", "INTERBAR=");
  if (curves && *gap != 0) xpmlog(KES_SET_PROC, KES_MSG_BARS_HAVE_GAPS);
  return 0;
}

// A graph the program asked for is left out: the step says so in its code too, not in
// a note alone.
static int graph_not_drawn(kes_ctx* ctx) {
  ctx->rc = std::max(ctx->rc, static_cast<int>(KES_RC_VALUE_NOTE));
  return KES_RC_OUTPUT_UNDEFINED;
}

int kesgpag(kes_ctx* ctx) {
  kes_preq* r = ctx->curreq;
  kes_layout* lay = r->layout;
  kes_chart* c = &lay->c;
  const kes_stmt* st = r->stmt;
  kes_axis& hx = lay->haxis;
  kes_axis& vx = lay->vaxis;

  // 1. Legend spacings and the edge flags of a single plot.
  c->leg1 = (c->celldev ? 2 : 3) * c->htick_unit;
  c->leg2 = (c->celldev ? 1 : 2) * c->htick_unit;
  c->leg3 = c->leg1;
  c->legswatch = 0;
  for (auto& e : c->edge) e = 1;

  // 2. Pages.
  const kes_classvars* cv = r->classvars;
  const int ncls = cv != nullptr ? cv->count : 0;
  const int l1 = ncls > 0 ? cv->nlevels : 1;
  const int l2 = ncls > 1 ? cv->nlevels2 : 1;
  c->pages = kes_page_count(ncls, l1, l2, r->nrows, r->ncols);

  // 3. The tile legend of comparative panels belongs to the comparative layouts; a
  // single plot has none.
  c->legrows = c->legcols = 0;

  // 4. Room below the plot area.
  c->value_h = c->text_h;
  c->bspace = vx.offset[0] + hx.major_len + c->vgap_tv + c->value_h + c->bmargin;
  if (!r->nohlabel && !hx.label_none) c->bspace += std::max(c->label_h, c->hx.label_extent) + c->vtick_unit;

  // 5. Vertical origin of an axis definition: the axis line where ORIGIN= puts it.
  double spare = 0;
  if (!kes_origin_room(hx.origin[1] >= 0 ? hx.origin[1] : vx.origin[1], c->pagearea[1], c->bspace - vx.offset[0],
                       KES_MSG_ORIGIN_Y_TOO_LITTLE_ROOM, hx.origin[1] >= 0 ? "HAXIS=" : "VAXIS=", st,
                       hx.origin[1] >= 0 ? KES_PLOT_SLOT_HAXIS : KES_PLOT_SLOT_VAXIS_NAME, &spare))
    return graph_not_drawn(ctx);
  c->bspace += spare;
  c->bmargin += spare;

  // 6. Room above.
  c->tspace = c->tmargin + vx.offset[1] + c->troom;

  // 7. Left edge of the plot area.
  c->ox = c->pagearea[0] + c->lmargin + c->lroom + hx.offset[0];
  if (!r->novlabel && !vx.label_none) c->ox += c->vlabroom + c->htick_unit;
  if (!r->novtick) c->ox += kes_gkeyslot(ctx)->vwidest + c->hgap_tv + vx.major_len;

  // 8. Horizontal origin of an axis definition.
  if (!kes_origin_room(vx.origin[0] >= 0 ? vx.origin[0] : hx.origin[0], c->pagearea[0],
                       c->ox - hx.offset[0] - c->pagearea[0], KES_MSG_ORIGIN_X_TOO_LITTLE_ROOM,
                       vx.origin[0] >= 0 ? "VAXIS=" : "HAXIS=", st,
                       vx.origin[0] >= 0 ? KES_PLOT_SLOT_VAXIS_NAME : KES_PLOT_SLOT_HAXIS, &spare))
    return graph_not_drawn(ctx);
  c->lmargin += spare;
  c->ox += spare;

  // 9. Width.
  c->width = c->pagearea[2] - (c->ox + hx.offset[1] + c->rmargin);
  // The percentile axis of a rotated QQ plot down the right side.
  if (r->type == KES_PLOT_QQ && r->pctlaxis && r->rotate) {
    c->width -= vx.major_len + c->hgap_tv + kes_gkeyslot(ctx)->vwidest;
    if (kes_pgiven(r->stmt, KES_PLOT_SLOT_PCTLAXIS_LABEL)) c->width -= c->htick_unit + c->vlabroom;
  }

  // 10. LENGTH= of the horizontal axis definition: centred in the room there is.
  const double half = kes_fit_length(hx, "HAXIS=", &c->width);
  c->lmargin += half;
  c->ox += half;
  c->rmargin += half;
  // An axis the program placed (LENGTH=, ORIGIN=) keeps its place.
  if (hx.length < 0 && hx.origin[0] < 0 && vx.origin[0] < 0)
    end_value_room(ctx, kes_pslot(st, KES_PLOT_SLOT_INTERTILE)->given);

  // 11. Columns of cells.
  if (r->ncols > 1)
    c->width = (c->width - (r->ncols - 1) * (c->hcellgap + hx.offset[0] + hx.offset[1])) / r->ncols;

  // 12. A width below one character cell.
  if (kes_too_small(c->cw, c->width, kes_pgiven(st, KES_PLOT_SLOT_NROWS) || kes_pgiven(st, KES_PLOT_SLOT_NCOLS)))
    return KES_RC_OUTPUT_UNDEFINED;

  // 13. Bars.
  if (r->type == KES_PLOT_HISTOGRAM) {
    const kes_plotslot* key = kes_gkeyslot(ctx);
    const int n = r->endpoints ? key->npoints - 1 : key->npoints;
    kes_bar_layout(c->width, n, kes_pgiven(st, KES_PLOT_SLOT_INTERBAR), kes_pnumber(st, KES_PLOT_SLOT_INTERBAR),
                   kes_pgiven(st, KES_PLOT_SLOT_BARWIDTH), kes_pnumber(st, KES_PLOT_SLOT_BARWIDTH), r->ncurves > 0,
                   &c->barwidth, &c->bargap);
  }
  return 0;
}
