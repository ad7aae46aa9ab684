// kesgclb, kesgslb, kesgtlb: the labels of comparative panels. Every text is drawn in
// the value font at the text height, shrunk to its box when it is longer.
#include "devgraph/panel_labels.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "devgraph/chart_access.h"
#include "devgraph/chart_layout.h"
#include "devgraph/gdev.h"
#include "kes_gram_names.h"
#include "records/kes_text_desc.h"

namespace {

constexpr double kBand = 1.6;     // box depth in text heights
constexpr double kBaseline = 1.2; // the text's baseline in from the box's outer edge

kes_chart* chart(kes_ctx* ctx) { return &ctx->curreq->layout->c; }

bool stacked(kes_ctx* ctx) { return chart(ctx)->stacked || kes_flag(ctx->curreq->stmt, KES_PLOT_FLAG_TURNVLABELS); }

kes_gtext text(kes_ctx* ctx, const char* s, int len, int colour, bool side) {
  const kes_chart* c = chart(ctx);
  kes_gtext t{};
  std::memcpy(t.font, c->valfont, 8);
  t.height = c->text_h;
  t.colour = colour;
  t.align = side && stacked(ctx) ? 129 : 1;
  if (side) {
    t.angle = stacked(ctx) ? -90 : 90;
    t.rotation = stacked(ctx) ? 90 : 0;
  }
  t.text = s;
  t.len = len;
  return t;
}

double extent(kes_ctx* ctx, kes_gtext t, double height) {
  t.height = height;
  return gd_measure(ctx, &t, nullptr);
}

// A side text's extent up the page, in the page's vertical measure: lengths come
// measured across the page, so a turned text is taken by its box.
double extent_up(kes_ctx* ctx, kes_gtext t, double height) {
  t.height = height;
  double box[8] = {};
  gd_measure(ctx, &t, box);
  return std::fabs(box[3] - box[1]);
}

// A box: filled when its CFRAMESIDE= or CFRAMETOP= was given, always outlined.
void box(kes_ctx* ctx, double x1, double y1, double x2, double y2, bool filled, int fill) {
  const kes_colorset& k = chart(ctx)->colors;
  gd_width(ctx, k.frame_width);
  if (filled && fill >= 0) gd_fill(ctx, x1, y1, x2, y2, "S       ", fill, 0, k.frame, k.frame_style, k.frame_width);
  gd_line(ctx, x1, y1, x2, y1, k.frame_style, k.frame);
  gd_line(ctx, x2, y1, x2, y2, k.frame_style, k.frame);
  gd_line(ctx, x2, y2, x1, y2, k.frame_style, k.frame);
  gd_line(ctx, x1, y2, x1, y1, k.frame_style, k.frame);
  gd_width(ctx, 1);
}

bool side_fill(kes_ctx* ctx) { return kes_pgiven(ctx->curreq->stmt, KES_PLOT_SLOT_CFRAMESIDE); }
bool top_fill(kes_ctx* ctx) { return kes_pgiven(ctx->curreq->stmt, KES_PLOT_SLOT_CFRAMETOP); }

// A side text in the band whose left edge is x0, centred on the span from bottom up.
void side_text(kes_ctx* ctx, const char* s, int len, double x0, double bottom, double span) {
  kes_chart* c = chart(ctx);
  kes_gtext t = text(ctx, s, len, c->colors.side, true);
  t.height = kes_fit_height(t.height, span, 0.96, [&](double h) { return extent_up(ctx, t, h); });
  const double L = extent_up(ctx, t, t.height);
  if (stacked(ctx)) {
    t.x = x0 + kBand * c->text_h * c->aspect / 2;
    t.y = bottom + span - (span - L) / 2;
  } else {
    t.x = x0 + kBaseline * c->text_h * c->aspect;
    t.y = bottom + (span - L) / 2;
  }
  gd_text(ctx, t, kes_cut::middle);
}

// The label or name of CLASS variable i.
int name_of(const kes_classvars* cv, int i, const char** s) {
  const kes_classvar& v = cv->var[i];
  if (v.label_len > 0) {
    *s = v.label;
    return v.label_len;
  }
  *s = v.name.text;
  return v.name.len;
}

// Rows and columns of panels a page.
int rows(const kes_preq* r) { return std::max(r->nrows, 1); }
int cols(const kes_preq* r) { return std::max(r->ncols, 1); }

double page_top(const kes_chart* c) { return c->pagearea[3] - c->tmargin; }
double page_left(const kes_chart* c) { return c->pagearea[0] + c->lmargin; }

// The leading blanks of a level text taken off.
kes_textdesc left_justified(const kes_textdesc& d) {
  kes_textdesc t = d;
  while (t.len > 0 && *t.text == ' ') ++t.text, --t.len;
  return t;
}

}  // namespace

bool kes_levels_at_side(const kes_ctx* ctx) { return ctx->curreq->nrows > 1; }

bool kes_side_band(const kes_ctx* ctx) {
  const kes_classvars* cv = ctx->curreq->classvars;
  if (cv == nullptr || cv->count == 0 || !cv->var[0].label_shown) return false;
  return cv->count == 2 || kes_levels_at_side(ctx);
}

bool kes_top_band(const kes_ctx* ctx) {
  const kes_classvars* cv = ctx->curreq->classvars;
  if (cv == nullptr || cv->count == 0) return false;
  if (cv->count == 2) return cv->var[1].label_shown != 0;
  return cv->var[0].label_shown && !kes_levels_at_side(ctx);
}

void kesgclb(kes_ctx* ctx) {
  const kes_preq* r = ctx->curreq;
  const kes_layout* lay = r->layout;
  kes_chart* c = chart(ctx);
  const kes_classvars* cv = r->classvars;
  const double h = c->text_h, f = c->aspect;
  const char* s = nullptr;
  if (kes_side_band(ctx)) {
    const int n = rows(r);
    const double span = (n - 1) * c->vcellgap + n * (lay->vaxis.offset[0] + c->height + lay->vaxis.offset[1]);
    const double bottom = c->anchors[3], x0 = page_left(c);
    box(ctx, x0, bottom, x0 + kBand * h * f, bottom + span, side_fill(ctx), c->colors.side_header);
    const int len = name_of(cv, 0, &s);
    side_text(ctx, s, len, x0, bottom, span);
  }
  if (kes_top_band(ctx)) {
    const int n = cols(r);
    const double span = (n - 1) * c->hcellgap + n * (lay->haxis.offset[0] + c->width + lay->haxis.offset[1]);
    const double left = c->anchors[0], top = page_top(c);
    box(ctx, left, top - kBand * h, left + span, top, top_fill(ctx), c->colors.top_header);
    const int len = name_of(cv, cv->count == 2 ? 1 : 0, &s);
    kes_gtext t = text(ctx, s, len, c->colors.top, false);
    t.height = kes_fit_height(t.height, span, 1.0, [&](double hh) { return extent(ctx, t, hh); });
    t.x = left + lay->haxis.offset[0] + span / 2 - extent(ctx, t, t.height) / 2;
    t.y = top - kBaseline * h;
    gd_text(ctx, t, kes_cut::middle);
  }
}

void kesgslb(kes_ctx* ctx, const kes_textdesc& level) {
  const kes_layout* lay = ctx->curreq->layout;
  kes_chart* c = chart(ctx);
  const double h = c->text_h, f = c->aspect;
  const double g = std::min(c->hcellgap, 0.75);
  const double shift = kes_side_band(ctx) ? g + kBand * h * f : 0;
  const double x0 = page_left(c) + shift;
  const double bottom = c->oy - lay->vaxis.offset[0], top = c->oy + c->height + lay->vaxis.offset[1];
  box(ctx, x0, bottom, x0 + kBand * h * f, top, side_fill(ctx), c->colors.side_header);
  const kes_textdesc t = left_justified(level);
  if (t.len > 0) side_text(ctx, t.text, t.len, x0, bottom, top - bottom);
}

void kesgtlb(kes_ctx* ctx, const kes_textdesc& level) {
  const kes_layout* lay = ctx->curreq->layout;
  kes_chart* c = chart(ctx);
  const double h = c->text_h, f = c->aspect;
  const double g = std::min(c->hcellgap, 0.75) / f;
  const double shift = kes_top_band(ctx) ? g + kBand * h : 0;
  const double top = page_top(c) - shift;
  const double before = lay->haxis.offset[0], after = lay->haxis.offset[1];
  box(ctx, c->ox - before, top - kBand * h, c->ox + c->width + after, top, top_fill(ctx), c->colors.top_header);
  const kes_textdesc d = left_justified(level);
  if (d.len <= 0) return;
  // The text keeps clear of the box's ends by a character cell, less what the axis
  // offsets already leave.
  const double W = c->cw;
  const auto inset = [W](double off) { return off > W ? W - off : off > 0 ? 0.0 : W; };
  double a = inset(before), b = inset(after);
  kes_gtext t = text(ctx, d.text, d.len, c->colors.top, false);
  double length = extent(ctx, t, t.height);
  double avail = c->width - a - b;
  if (avail < length && length > 0) {
    t.height *= std::max(avail, 0.0) / length;
    for (int i = 0; i < 64 && extent(ctx, t, t.height) > c->width - a - b; ++i) t.height *= 0.95, a *= 0.95, b *= 0.95;
  }
  t.x = c->ox + a;
  t.y = top - kBaseline * h;
  gd_text(ctx, t, kes_cut::middle);
}
