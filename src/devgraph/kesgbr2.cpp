// kesgbr2(ctx, cell): the bars of a histogram cell, one filled and outlined
// rectangle per bin of the cell's stretch of the common bins, with their values
// above them when BARLABEL= asks for them.
#include <algorithm>
#include <cstring>

#include "devgraph/bar_geometry.h"
#include "devgraph/chart_access.h"
#include "devgraph/chart_layout.h"
#include "devgraph/gdev.h"
#include "host/host_services.h"
#include "kes_gram_names.h"
#include "util/kes_eps.h"
#include "util/kes_text.h"

namespace {

// Factor of a vertical scale (0 percent, 1 count, 2 proportion) from counts, and of
// BARLABEL= (1 count, 2 percent, 3 proportion).
double scale_factor(int vscale, int n) { return vscale == 1 ? 1.0 : vscale == 0 ? 100.0 / n : 1.0 / n; }
double label_factor(int barlabel, int n) { return barlabel == 1 ? 1.0 : barlabel == 2 ? 100.0 / n : 1.0 / n; }

}  // namespace

kes_bar_paint kes_bar_paint_of(kes_ctx* ctx) {
  const kes_preq* r = ctx->curreq;
  const kes_chart* c = &r->layout->c;
  const kes_colorset& k = c->colors;
  const kes_fillslot& slot = c->fill[0];
  kes_bar_paint p{};
  p.outline = k.outline;
  std::memset(p.pattern, ' ', 8);
  bool solid = false;
  const int slot_colour = gd_colour(ctx, slot.color);
  // Over a filled curve the bars are outlines only: the device's empty pattern
  // stands for the blank pattern word, which it would fill.
  if (r->curve_fill) p.pattern[0] = 'E';
  if (!r->curve_fill) {
    std::memcpy(p.pattern, slot.pattern, 8);
    if (kes_gname_is(p.pattern, "S")) solid = true;
    if (kes_gname_is(p.pattern, "E")) p.outline = slot_colour;
  }
  if (kes_pgiven(r->stmt, KES_PLOT_SLOT_CBARLINE)) {
    p.outline = k.outline;
    solid = true;
  }
  if (!solid && !r->curve_fill) {
    if (kes_gname_is(p.pattern, "E")) {
      p.fill = 0;
    } else {
      p.fill = slot_colour;
      p.outline = p.fill;  // a patterned bar is outlined in its own colour
    }
  } else {
    p.fill = r->curve_fill ? 0 : slot_colour;
  }
  return p;
}

bool kes_bars_drawn(kes_ctx* ctx, const kes_cell* cell, const kes_plotslot* s) {
  const kes_preq* r = ctx->curreq;
  // A cell without spread has no curve to hang its bars from: they stand on 0.
  return s->heights != nullptr && s->hmax > KES_EPS53 && !r->nobars && !s->bars_off && !(r->hang && !cell->hist_empty);
}

double kes_bar_label(kes_ctx* ctx, const kes_plotslot* s, int i, double left, double right, double top,
                     kes_gtext* t, char* buf) {
  const kes_preq* r = ctx->curreq;
  const kes_chart* c = &r->layout->c;
  // BARLABEL= keeps its code (1 count, 2 percent, 3 proportion) as the slot's number.
  const int barlabel = static_cast<int>(kes_pnumber(r->stmt, KES_PLOT_SLOT_BARLABEL));
  const int n = s->n > 0 ? s->n : 1;
  const double f = label_factor(barlabel, n) / scale_factor(r->vscale, n);
  std::memset(buf, ' ', 40);
  // Counts in their best form, percents and proportions with two decimals (a field
  // wide enough to keep them).
  xpfs(f * s->heights[i], -8, barlabel == 1 ? 99 : 2, buf);
  *t = kes_gtext{};
  std::memcpy(t->font, c->insetfont, 8);
  t->height = c->inset_h;
  t->colour = c->colors.on_wall;
  t->align = 1;
  t->len = wzstjus(buf, 40, 'l');
  t->text = buf;
  const double w = gd_measure(ctx, t, nullptr);
  t->x = (left + right - w) / 2;
  t->y = top + std::min(0.5 * c->inset_h, 1.0);
  return w;
}

std::vector<kes_text_gap> kes_bar_label_gaps(kes_ctx* ctx, kes_cell* cell) {
  std::vector<kes_text_gap> gaps;
  const kes_preq* r = ctx->curreq;
  if (cell == nullptr || r->type != KES_PLOT_HISTOGRAM || !kes_pgiven(r->stmt, KES_PLOT_SLOT_BARLABEL)) return gaps;
  const kes_plotslot* s = kes_gslot(ctx, cell);
  if (s->heights == nullptr || !(s->hmax > KES_EPS53) || !kes_bars_drawn(ctx, cell, s)) return gaps;
  for (int i = 0; i < s->nbins; ++i) {
    double left, base, right, top;
    if (!kes_bar_rect(ctx, s, i, &left, &base, &right, &top)) continue;
    char buf[40];
    kes_gtext t{};
    const double w = kes_bar_label(ctx, s, i, left, right, top, &t, buf);
    gaps.push_back(kes_gap_of(ctx, t, w));
  }
  return gaps;
}

bool kes_bar_rect(kes_ctx* ctx, const kes_plotslot* s, int i, double* left, double* base, double* right,
                  double* top) {
  const kes_layout* lay = ctx->curreq->layout;
  const kes_chart* c = &lay->c;
  const double step = c->barwidth + c->bargap;
  *left = c->ox + (s->firstbin + i) * step;
  *right = *left + c->barwidth;
  const double h = s->heights[i];
  if (!(0 - KES_SQRT_EPS53 < *left && *right < 100 + KES_SQRT_EPS53) || !(h > 0)) return false;
  // Bars stand on 0, which lies above the frame's foot when other cells hang theirs.
  *base = std::max(c->oy, lay->yoffset);
  *top = h * lay->yscale + lay->yoffset;
  return true;
}

void kesgbr2(kes_ctx* ctx, kes_cell* cell) {
  // A cell without spread (one value, or all values equal) still shows its bar: the
  // empty flag only keeps fitted curves out of it.
  if (cell == nullptr) return;
  kes_preq* r = ctx->curreq;
  kes_layout* lay = r->layout;
  kes_chart* c = &lay->c;
  const kes_plotslot* s = kes_gslot(ctx, cell);
  if (s->heights == nullptr || !(s->hmax > KES_EPS53)) return;
  const kes_colorset& k = c->colors;
  const kes_stmt* st = r->stmt;

  // 2. Outline and fill.
  const kes_bar_paint paint = kes_bar_paint_of(ctx);
  gd_width(ctx, k.outline_width);

  // 3. Bars, with their values above them when BARLABEL= asks for them.
  const bool labelled = kes_pgiven(st, KES_PLOT_SLOT_BARLABEL);
  const bool off = !kes_bars_drawn(ctx, cell, s);
  for (int i = 0; i < s->nbins && !off; ++i) {
    double left, base, right, top;
    if (!kes_bar_rect(ctx, s, i, &left, &base, &right, &top)) continue;
    gd_fill(ctx, left, base, right, top, paint.pattern, paint.fill, 6, paint.outline, k.outline_style,
            k.outline_width);
    if (!labelled) continue;
    char buf[40];
    kes_gtext t{};
    kes_bar_label(ctx, s, i, left, right, top, &t, buf);
    gd_text(ctx, t);
  }
  gd_width(ctx, 1);
}
