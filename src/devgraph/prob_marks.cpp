// kesgpts, kesgdl, keszdrw, kesg45, kescgr, kesecdf: the marks of the plots other
// than histograms. Every point goes through the panel's transforms, so that the
// same drawers serve each panel of a comparative page.
#include "devgraph/prob_marks.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "devgraph/chart_access.h"
#include "devgraph/chart_layout.h"
#include "devgraph/gdev.h"
#include "plotdata/kes_points.h"
#include "fit/kes_estframe.h"
#include "host/host_graph.h"
#include "host/host_services.h"
#include "host/kes_line_box.h"
#include "kes_msg_names.h"
#include "records/kes_curve.h"

namespace {


// Data points to device points in place.
void to_device(const kes_layout* lay, double* xy, int n) {
  for (int i = 0; i < n; ++i) {
    xy[2 * i] = kes_page_x(lay, xy[2 * i]);
    xy[2 * i + 1] = kes_page_y(lay, xy[2 * i + 1]);
  }
}

const kes_symattr* points_entry(const kes_chart* c) { return c->nsymattr > 0 ? &c->symattr[0] : nullptr; }

// A line in the first curve entry's colour, style and width; the width is set back.
struct line_look {
  int colour, style, width;
};
line_look curve_look(kes_ctx* ctx) {
  const kes_chart* c = &ctx->curreq->layout->c;
  const kes_symattr* e = c->curve_attr;
  if (e == nullptr) return {c->colors.text, 1, 1};
  return {gd_colour(ctx, e->color), e->line_type, e->line_width};
}

// How a cell's marks are drawn, asked of the device once for all its points.
struct mark_look {
  const kes_symattr* e = nullptr;
  double clip[4] = {};
  int colour = 0;
};

bool look_of(kes_ctx* ctx, bool clip_to_page, mark_look& look) {
  const kes_layout* lay = ctx->curreq->layout;
  look.e = points_entry(&lay->c);
  if (look.e == nullptr || look.e->marker < 0) return false;
  if (clip_to_page) std::copy(lay->c.pagearea, lay->c.pagearea + 4, look.clip);
  else kes_frame_clip(lay, look.clip);
  // Probability points take the symbol colour, P-P points the line colour.
  look.colour = gd_colour(ctx, clip_to_page ? look.e->color : look.e->symbol_color);
  return true;
}

void draw_marks(kes_ctx* ctx, const mark_look& look, double* xy, int n) {
  to_device(ctx->curreq->layout, xy, n);
  kes_draw_marks(xy, n, look.e->marker, look.e->marker_size, look.e->marker_flags, look.colour, look.clip);
}

void marks_of(kes_ctx* ctx, double* xy, int n, bool clip_to_page) {
  mark_look look;
  if (n > 0 && look_of(ctx, clip_to_page, look)) draw_marks(ctx, look, xy, n);
}

}  // namespace

void kes_frame_clip(const kes_layout* lay, double* clip) {
  const kes_chart* c = &lay->c;
  clip[0] = c->ox - lay->haxis.offset[0];
  clip[1] = c->oy - lay->vaxis.offset[0];
  clip[2] = c->ox + c->width + lay->haxis.offset[1];
  clip[3] = c->oy + c->height + lay->vaxis.offset[1];
}

void kes_draw_marks(const double* xy, int n, int code, float size, unsigned char flags, int colour, const double* clip) {
  const host_gclip hc{static_cast<float>(clip[0]), static_cast<float>(clip[1]), static_cast<float>(clip[2]),
                      static_cast<float>(clip[3])};
  for (int first = 0; first < n; first += GMARK_BATCH) {
    const host_gmarks m{std::min(GMARK_BATCH, n - first), xy + 2 * first, static_cast<std::int16_t>(code), size, flags};
    ggpmark(0, &m, colour, &hc);
  }
}

int kesgpts(kes_ctx* ctx, kes_preq*, kes_cell* cell, kes_seen_points* seen) {
  // A piece at a time: the marks' batches are those of the whole, without holding it.
  mark_look look;
  bool asked = false, drawn = false;
  int placed = 0;
  kespoints_pieces(ctx, cell, [&](double* xy, long, int n) {
    if (!asked) drawn = look_of(ctx, false, look);
    asked = true;
    for (int i = 0; i < n; ++i) placed += std::isfinite(xy[2 * i]) && std::isfinite(xy[2 * i + 1]) ? 1 : 0;
    if (drawn) draw_marks(ctx, look, xy, n);
    if (seen == nullptr) return;
    seen->given += n;
    if (drawn && seen->drawn) seen->drawn(xy, n);
  });
  return placed;
}

bool kesgdl(kes_ctx* ctx, kes_preq* r, kes_cell* cell, double* drawn) {
  const kes_layout* lay = r->layout;
  const kes_chart* c = &lay->c;
  // Each cell's own line: the cells of a comparative page are fitted one by one.
  const kes_plotslot* s = kes_gslot(ctx, cell);
  // The plot area in data units, where the line's part inside it is found: its ends are
  // then finite wherever it crosses the area, though the line at the area's sides may
  // pass the doubles (data near the largest double).
  const auto data_x = [lay](double x) { return std::clamp(kes_data_x(lay, x), -DBL_MAX, DBL_MAX); };
  const auto data_y = [lay](double y) { return std::clamp(kes_data_y(lay, y), -DBL_MAX, DBL_MAX); };
  const double x1 = data_x(c->ox), x2 = data_x(c->ox + c->width);
  const double y1 = data_y(c->oy), y2 = data_y(c->oy + c->height);
  double in[4] = {};
  const bool inside = kes_line_in_box(s->intercept, s->slope, std::min(x1, x2), std::max(x1, x2), std::min(y1, y2),
                                      std::max(y1, y2), in);
  const double line[4] = {kes_page_x(lay, in[0]), kes_page_y(lay, in[1]), kes_page_x(lay, in[2]),
                          kes_page_y(lay, in[3])};
  const host_gclip area{static_cast<float>(c->ox), static_cast<float>(c->oy), static_cast<float>(c->ox + c->width),
                        static_cast<float>(c->oy + c->height)};
  double seen[4];
  if (!inside || ggclpli(line, &area, seen) == 0) {
    xpmlog(KES_SET_PLOT, KES_MSG_REFERENCE_LINE_OUTSIDE_PLOT);
    return false;
  }
  const line_look look = curve_look(ctx);
  gd_width(ctx, look.width);
  gd_line(ctx, seen[0], seen[1], seen[2], seen[3], look.style, look.colour);
  gd_width(ctx, 1);
  if (drawn != nullptr) std::copy(seen, seen + 4, drawn);
  return true;
}

void keszdrw(kes_ctx* ctx, kes_preq*, kes_cell* cell) {
  double* xy = nullptr;
  const int n = keszpts(ctx, cell, &xy);
  if (n > 0 && xy != nullptr) marks_of(ctx, xy, n, true);
}

void kesg45(kes_ctx* ctx) {
  const kes_layout* lay = ctx->curreq->layout;
  const line_look look = curve_look(ctx);
  gd_width(ctx, look.width);
  gd_line(ctx, lay->xoffset, lay->yoffset, lay->xoffset + lay->xscale, lay->yoffset + lay->yscale, look.style,
          look.colour);
  gd_width(ctx, 1);
}

int kescgr(kes_ctx* ctx, kes_cell* cell) {
  double xy[2 * KES_CURVE_POINTS];
  if (kescdfpts(ctx, cell, xy) != 0) return 1;
  const kes_layout* lay = ctx->curreq->layout;
  to_device(lay, xy, KES_CURVE_POINTS);
  double clip[4];
  kes_frame_clip(lay, clip);
  const line_look look = curve_look(ctx);
  gd_width(ctx, look.width);
  const int failed = gd_polyline(ctx, xy, KES_CURVE_POINTS, look.style, look.colour, clip);
  gd_width(ctx, 1);
  return failed != 0 ? 1 : 0;
}

void kesecdf(kes_ctx* ctx, kes_cell* cell) {
  double* xy = nullptr;
  // The device draws lines between the points: two a step.
  const int n = kesecdfpts(ctx, cell, KES_ECDF_STEP_POINTS, &xy);
  const kes_layout* lay = ctx->curreq->layout;
  const kes_symattr* e = points_entry(&lay->c);
  if (n > 0 && xy != nullptr && e != nullptr) {
    to_device(lay, xy, n);
    double clip[4];
    kes_frame_clip(lay, clip);
    gd_width(ctx, e->line_width);
    gd_polyline(ctx, xy, n, e->line_type, gd_colour(ctx, e->color), clip);
    gd_width(ctx, 1);
  }
  // The line is written: its points need not wait for the variable's end.
  kes_points_free(ctx, xy);
}
