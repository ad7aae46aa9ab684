// kes_fill_beneath: the fill under a point of a cell (fill_beneath.h).
#include "devgraph/fill_beneath.h"

#include "devgraph/bar_geometry.h"
#include "devgraph/chart_access.h"
#include "devgraph/gdev.h"
#include "util/readable_colour.h"

namespace {

int wall_beneath(const kes_preq* r, double x, double y) {
  const kes_layout* lay = r->layout;
  const kes_chart* c = &lay->c;
  if (!(r->frame_fill == 1 || c->style) || c->colors.frame_fill < 0) return -1;
  const bool on = x >= c->ox - lay->haxis.offset[0] && x <= c->ox + c->width + lay->haxis.offset[1] &&
                  y >= c->oy - lay->vaxis.offset[0] && y <= c->oy + c->height + lay->vaxis.offset[1];
  return on ? c->colors.frame_fill : -1;
}

}  // namespace

int kes_fill_beneath(kes_ctx* ctx, kes_cell* cell, double x, double y) {
  const kes_preq* r = ctx->curreq;
  if (r->type == KES_PLOT_HISTOGRAM && cell != nullptr) {
    const kes_plotslot* s = kes_gslot(ctx, cell);
    const kes_bar_paint paint = kes_bar_paint_of(ctx);
    if (paint.fill > 0 && !kes_gname_is(paint.pattern, "E") && kes_bars_drawn(ctx, cell, s))
      for (int i = 0; i < s->nbins; ++i) {
        double left, base, right, top;
        if (kes_bar_rect(ctx, s, i, &left, &base, &right, &top) && x >= left && x <= right && y >= base && y <= top)
          return paint.fill;
      }
  }
  return wall_beneath(r, x, y);
}

int kes_readable_over(kes_ctx* ctx, kes_cell* cell, const kes_gtext& t, double w) {
  const double x = t.align == 1 ? t.x + 0.5 * w : t.align == 2 ? t.x - 0.5 * w : t.x;
  // The middle of the letters, a third of the height above the baseline.
  const double y = t.y + t.height / 3;
  return kes_readable_colour(t.colour, kes_fill_beneath(ctx, cell, x, y));
}
