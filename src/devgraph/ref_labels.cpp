// Places for the reference labels of a cell, chosen the one way both renderers choose.
#include "devgraph/ref_labels.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <set>

#include "devgraph/bar_geometry.h"
#include "devgraph/chart_access.h"
#include "devgraph/chart_texts.h"
#include "fit/kes_estframe.h"
#include "fitreport/kes_famsets.h"
#include "host/kes_text_room.h"
#include "inset/inset_place.h"
#include "inset/kes_inset.h"
#include "kes_gram_names.h"
#include "numeric/zlgamma.h"
#include "numeric/zmissing.h"
#include "plotdata/curve_range.h"
#include "plotdata/kes_points.h"
#include "records/kes_curve.h"

namespace {

// Whether curve k's constant forms without a note: a gamma or beta curve whose
// constant cannot be formed draws nothing, and says so once, when it is drawn.
bool constant_forms(const kes_curve& cv) {
  const double* p = cv.params;
  if (cv.dist == KES_DIST_GAMMA) {
    const double lg = zlgamma(p[2]);
    return lg != -99.0 && lg > ZEXP_UNDER;
  }
  if (cv.dist == KES_DIST_BETA) {
    const double la = zlgamma(p[2]), lb = zlgamma(p[3]), lab = zlgamma(p[2] + p[3]);
    return la != -99.0 && lb != -99.0 && lab != -99.0 && lab - la - lb < ZEXP_OVER;
  }
  return true;
}

// The data's lines of the cell as drawn, in page units: a CDF plot's empirical steps
// and fitted curve, a histogram's fitted curves (a kernel's estimate needs its work
// room and is left out). A label keeps off them where its frame has room. Pieces that
// meet the frame are kept once on a grid of a quarter of a unit, so that many values
// give no more pieces than the frame has places.
std::vector<kes_segment> data_lines(kes_ctx* ctx, kes_cell* cell, const kes_room& frame) {
  const kes_preq* r = ctx->curreq;
  if ((r->type != KES_PLOT_CDF && r->type != KES_PLOT_HISTOGRAM) || cell == nullptr || cell->hist_empty) return {};
  const kes_layout* lay = r->layout;
  std::set<std::array<long, 4>> pieces;
  // A piece in page units.
  const auto put_page = [&](double x0, double y0, double x1, double y1) {
    if (!(std::fabs(x0) < 1e6 && std::fabs(x1) < 1e6 && std::fabs(y0) < 1e6 && std::fabs(y1) < 1e6)) return;
    double lo, hi;
    if (!kes_room_stretch(x0, y0, x1 - x0, y1 - y0, frame, &lo, &hi)) return;
    pieces.insert({std::lround(4 * x0), std::lround(4 * y0), std::lround(4 * x1), std::lround(4 * y1)});
  };
  // A piece in the data's units.
  const auto put = [&](double x0, double y0, double x1, double y1) {
    if (std::isfinite(x0) && std::isfinite(y0) && std::isfinite(x1) && std::isfinite(y1))
      put_page(kes_page_x(lay, x0), kes_page_y(lay, y0), kes_page_x(lay, x1), kes_page_y(lay, y1));
  };
  kes_plotslot* s = kes_gslot(ctx, cell);
  if (s == nullptr) return {};
  if (r->type == KES_PLOT_HISTOGRAM) {
    const kes_plotslot* key = kes_gkeyslot(ctx);
    if (s->curves == nullptr || key == nullptr) return {};
    double lo = key->hlow, hi = key->hhigh;
    if (!r->endpoints) lo -= 0.5 * key->width, hi += 0.5 * key->width;
    lo = std::fmax(lo, -DBL_MAX), hi = std::fmin(hi, DBL_MAX);
    for (int j = 0; j < s->ncurves; ++j) {
      const kes_curve& cv = s->curves[j];
      double a = lo, b = hi, xy[2 * KES_CURVE_POINTS];
      int n = KES_CURVE_POINTS;
      if (!cv.fitted || cv.dist == KES_DIST_KERNEL || !constant_forms(cv) || !kes_curve_range(cv, *s, &a, &b) ||
          kesgden(ctx, cell, xy, a, b, &n, j) != KES_CURVE_WHOLE)
        continue;
      for (int i = 1; i < n; ++i)
        if (std::isfinite(xy[2 * i - 2] + xy[2 * i - 1] + xy[2 * i] + xy[2 * i + 1]))
          put_page(xy[2 * i - 2], xy[2 * i - 1], xy[2 * i], xy[2 * i + 1]);
    }
  } else {
    const kes_curve* curve = kes_fit_curve(s);
    if (s->line && curve != nullptr && curve->fitted) {
      double xy[2 * KES_CURVE_POINTS];
      if (kescdfpts(ctx, cell, xy) == 0)
        for (int i = 1; i < KES_CURVE_POINTS; ++i) put(xy[2 * i - 2], xy[2 * i - 1], xy[2 * i], xy[2 * i + 1]);
    }
    if (!kes_flag(r->stmt, KES_PLOT_FLAG_NOECDF)) {
      double last[2] = {NAN, NAN};
      kesecdfpts_pieces(ctx, cell, KES_ECDF_STEP_POINTS, [&](double* xy, long, int n) {
        for (int i = 0; i < n; ++i) {
          put(last[0], last[1], xy[2 * i], xy[2 * i + 1]);
          last[0] = xy[2 * i], last[1] = xy[2 * i + 1];
        }
      });
    }
  }
  std::vector<kes_segment> out;
  out.reserve(pieces.size());
  for (const auto& p : pieces) out.push_back({p[0] / 4.0, p[1] / 4.0, p[2] / 4.0, p[3] / 4.0});
  return out;
}

}  // namespace

std::vector<kes_text_gap> kes_ref_labels::gaps_but(int own) const {
  std::vector<kes_text_gap> gaps = kes_gaps_but(rooms, own);
  gaps.insert(gaps.end(), boxes.begin(), boxes.end());
  return gaps;
}

kes_ref_axes kes_page_axes(kes_ctx* ctx) {
  const kes_layout* lay = ctx->curreq->layout;
  return {[lay](double v) { return kes_page_x(lay, v); }, [lay](double v) { return kes_page_y(lay, v); }};
}

kes_ref_labels kes_place_ref_labels(kes_ctx* ctx, kes_cell* cell, const kes_ref_axes& to) {
  kes_ref_labels out;
  const kes_preq* r = ctx->curreq;
  const kes_layout* lay = r->layout;
  const kes_chart* c = &lay->c;
  out.h.assign(static_cast<std::size_t>(std::max(r->nhref, 0)), kes_gtext{});
  out.hw.assign(out.h.size(), -1);
  out.h_room.assign(out.h.size(), -1);
  out.v.assign(static_cast<std::size_t>(std::max(r->nvref, 0)), kes_gtext{});
  out.vw.assign(out.v.size(), -1);
  out.v_room.assign(out.v.size(), -1);
  out.rooms = kes_bar_label_gaps(ctx, cell);
  // The cell's boxes stand at their corners first: a label keeps off them as off a
  // text, and the lines stop at them, so that their rows read.
  for (const kes_insetbox* b = ctx->insets; b != nullptr; b = b->next)
    if (b->enabled && !kes_inset_margin_word(b->position))
      out.boxes.push_back({b->left, b->shadow > 0 ? b->shadow_bottom : b->bottom,
                           b->shadow > 0 ? b->shadow_right : b->right, b->top});
  const auto texts = [&] {
    std::vector<kes_room> all = out.rooms;
    all.insert(all.end(), out.boxes.begin(), out.boxes.end());
    return all;
  };
  const double x1 = c->ox - lay->haxis.offset[0], y1 = c->oy - lay->vaxis.offset[0];
  const double x2 = c->ox + c->width + lay->haxis.offset[1];
  const double y2 = c->oy + c->height + lay->vaxis.offset[1];
  const std::vector<kes_segment> data = data_lines(ctx, cell, {x1, y1, x2, y2});
  double hy2 = y2;
  if (kes_flag(r->stmt, KES_PLOT_FLAG_CPROP) && r->classvars != nullptr && r->classvars->count > 0) hy2 -= c->propband;
  const double h = c->inset_h;
  kes_ref_lines lines;
  for (int i = 0; i < r->nhref; ++i) {
    const double x = to.x(r->href[i]);
    if (x >= x1 && x <= x2) lines.add({x, y1, x, hy2}, i);
  }
  for (int i = 0; i < r->nvref; ++i) {
    const double y = to.y(r->vref[i]);
    if (y >= y1 && y <= y2) lines.add({x1, y, x2, y}, -1 - i);
  }

  // The label of a line as drawn, and its length; false where it has none.
  const auto labelled = [&](int colour, const char* text, kes_gtext* t, double* w) {
    *t = kes_ref_label(c, colour, text);
    if (t->len == 0) return false;
    *w = gd_measure(ctx, t, nullptr);
    return true;
  };
  // The label of line `own` takes the first of its places that reads (line_x: an HREF
  // label's line, whose room reaches back to it).
  const auto settle = [&](const kes_gtext& t, const std::vector<kes_label_spot>& spots, double line_x,
                          const kes_room& bounds, int own, kes_gtext* label, int* room) {
    // The room of kes_gap_of: a quarter of the height under the baseline (the descent),
    // the height and a quarter over it (a quarter of air), half a blank beyond each end.
    const kes_label_air air{0.5 * gd_blank(ctx, t), 0.25 * t.height, 1.25 * t.height, 0, 0.25 * t.height};
    kes_room taken;
    const kes_label_spot at = kes_ref_label_place(spots, air, line_x, bounds, texts(), lines.but(own), &taken, data);
    *label = t;
    label->x = at.x, label->y = at.y, label->align = at.end ? 2 : 1;
    *room = static_cast<int>(out.rooms.size());
    out.rooms.push_back(taken);
  };

  int pos = kes_pgiven(r->stmt, KES_PLOT_SLOT_HREFLABPOS) ? static_cast<int>(kes_pnumber(r->stmt, KES_PLOT_SLOT_HREFLABPOS)) : 1;
  if (pos < 1 || pos > 4) pos = 1;
  const double top = c->oy + c->height - h;
  // Rows a label's room apart (its height and a quarter above and below), as many as
  // stand within the bounds, the last a quarter of a height past the plot area's far
  // side: a box at a corner leaves the rows beside it.
  const double pitch = 1.5 * h;
  const int rows = 1 + static_cast<int>(std::floor(std::max(0.0, c->height - 1.25 * h) / pitch));
  int stacked = 0;
  for (int i = 0; i < r->nhref && r->hreflabels != nullptr; ++i) {
    const double x = to.x(r->href[i]);
    kes_gtext t;
    double w;
    if (!(x >= x1 && x <= x2) || !labelled(c->colors.hreflab, r->hreflabels[i].text, &t, &w)) continue;
    const double d = 0.5 * h * c->aspect, m = 0.5 * gd_blank(ctx, t);
    // HREFLABPOS=2 and 4 give each label a row of its own, in turn.
    const int first = pos == 2 || pos == 4 ? stacked++ % rows : 0;
    std::vector<double> ys;
    for (int k = 0; k < rows; ++k) {
      const int row = (first + k) % rows;
      ys.push_back(pos <= 2 ? top - row * pitch : c->oy + 0.5 * h + row * pitch);
    }
    // A label on the first row reaches a quarter of its height past the plot area.
    const kes_room bounds{x1 - m, std::max(c->oy - 0.5 * h, c->pagearea[1]), c->ox + c->width + m,
                          std::min(c->oy + c->height + 0.5 * h, c->pagearea[3])};
    const std::size_t k = static_cast<std::size_t>(i);
    settle(t, kes_href_spots(x, d, ys, w, w), x, bounds, i, &out.h[k], &out.h_room[k]);
    out.hw[k] = w;
  }

  const double given = kes_pgiven(r->stmt, KES_PLOT_SLOT_VREFLABPOS) ? kes_pnumber(r->stmt, KES_PLOT_SLOT_VREFLABPOS) : 1;
  if (given != 1 && given != 2) return out;  // the drawer says why they are not drawn
  const double inset = 0.5 * c->label_h * c->aspect;
  for (int i = 0; i < r->nvref && r->vreflabels != nullptr; ++i) {
    const double y = to.y(r->vref[i]);
    kes_gtext t;
    double w;
    if (!(y >= y1 && y <= y2) || !labelled(c->colors.vreflab, r->vreflabels[i].text, &t, &w)) continue;
    const double m = 0.5 * gd_blank(ctx, t);
    const double start = given == 1 ? x1 + inset : x2 - inset;
    const auto spots = kes_vref_spots(start, given != 1, y, y - h, y + 0.5 * h, c->oy, c->oy + c->height, w, false,
                                      texts(), m);
    // A quarter of a height below the plot area and three quarters above it, within the
    // page (a frame at the page's top leaves no room above).
    const kes_room bounds{x1 - m, std::max(y1 - 0.25 * h, c->pagearea[1]), x2 + m, std::min(y2 + 0.75 * h, c->pagearea[3])};
    const std::size_t k = static_cast<std::size_t>(i);
    settle(t, spots, NAN, bounds, -1 - i, &out.v[k], &out.v_room[k]);
    out.vw[k] = w;
  }
  return out;
}
