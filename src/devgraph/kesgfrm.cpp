// kesgfrm(ctx, request, cell): the fill of a cell's framed area (the walls): CFRAME=,
// a per-level colour, or the style's walls; and the proportion bar of comparative
// cells (CPROP).
#include <cstring>

#include "devgraph/chart_access.h"
#include "devgraph/chart_layout.h"
#include "devgraph/gdev.h"
#include "kes_gram_names.h"

namespace {

void solid(kes_ctx* ctx, double x1, double y1, double x2, double y2, int colour) {
  char s[8];
  std::memset(s, ' ', 8);
  s[0] = 'S';
  gd_fill(ctx, x1, y1, x2, y2, s, colour, 0, 1, 1, 1);
}

}  // namespace

void kesgfrm(kes_ctx* ctx, kes_preq* r, kes_cell* cell) {
  kes_layout* lay = r->layout;
  kes_chart* c = &lay->c;
  const double x1 = c->ox - lay->haxis.offset[0], y1 = c->oy - lay->vaxis.offset[0];
  const double x2 = c->ox + c->width + lay->haxis.offset[1], y2 = c->oy + c->height + lay->vaxis.offset[1];
  if (r->frame_fill == 1) {
    if (c->colors.frame_fill >= 0) solid(ctx, x1, y1, x2, y2, c->colors.frame_fill);
  } else if (r->frame_fill == 2) {
    if (cell != nullptr) {
      const kes_plotslot* s = kes_gslot(ctx, cell);
      if (!kes_gname_is(s->frame_colour, "EMPTY")) solid(ctx, x1, y1, x2, y2, s->frame_colour_no);
    }
  } else if (c->style && c->colors.frame_fill >= 0) {
    solid(ctx, x1, y1, x2, y2, c->colors.frame_fill);
  }

  // The proportion bar of a comparative cell.
  const bool cprop = kes_flag(r->stmt, KES_PLOT_FLAG_CPROP);
  if (!cprop || r->classvars == nullptr || r->classvars->count == 0 || cell == nullptr || !(c->propband > 0)) return;
  const kes_plotslot* s = kes_gslot(ctx, cell);
  const int total = r->total != nullptr ? r->total[ctx->curvar] : 0;
  if (total <= 0) return;
  gd_width(ctx, kes_pgiven(r->stmt, KES_PLOT_SLOT_WAXIS) ? static_cast<int>(kes_pnumber(r->stmt, KES_PLOT_SLOT_WAXIS)) : 1);
  const double b = c->propband;
  const double xp = x1 + (x2 - x1) * s->n / total;
  if (c->colors.prop >= 0) solid(ctx, x1, y2 - b, xp, y2, c->colors.prop);
  gd_line(ctx, xp, y2 - b, xp, y2, 1, c->vx.line_colour);
  gd_line(ctx, x1, y2 - b, x2, y2 - b, 1, c->hx.line_colour);
  gd_width(ctx, 1);
}
