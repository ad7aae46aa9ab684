// kesghrl(ctx, cell): the reference lines at the HREF= values of a cell, with their
// labels from the top or the bottom of the plot area (HREFLABPOS=), each where it
// reads.
#include <cstring>
#include <functional>
#include <vector>

#include "devgraph/bar_geometry.h"
#include "devgraph/chart_access.h"
#include "devgraph/chart_layout.h"
#include "devgraph/chart_texts.h"
#include "devgraph/fill_beneath.h"
#include "devgraph/gdev.h"
#include "devgraph/ref_labels.h"
#include "host/host_services.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"

void kesghrl(kes_ctx* ctx, kes_cell* cell, kes_ref_part part) { kesghrl_at(ctx, cell, kes_page_axes(ctx), part); }

void kesghrl_at(kes_ctx* ctx, kes_cell* cell, const kes_ref_axes& to, kes_ref_part part) {
  if (cell == nullptr || cell->varsums == nullptr) return;
  kes_preq* r = ctx->curreq;
  kes_layout* lay = r->layout;
  kes_chart* c = &lay->c;
  if (!(cell->varsums[ctx->curvar].n > KES_EPS53)) return;
  const double x1 = c->ox - lay->haxis.offset[0], y1 = c->oy - lay->vaxis.offset[0];
  const double x2 = c->ox + c->width + lay->haxis.offset[1];
  double y2 = c->oy + c->height + lay->vaxis.offset[1];
  if (kes_flag(r->stmt, KES_PLOT_FLAG_CPROP) && r->classvars != nullptr && r->classvars->count > 0) y2 -= c->propband;
  const bool key = cell == ctx->classvars->keycell;
  // The labels are placed first, so that no line runs through another text.
  const kes_ref_labels placed = kes_place_ref_labels(ctx, cell, to);
  bool noted = false;
  gd_width(ctx, c->colors.ref_width);
  for (int i = 0; i < r->nhref; ++i) {
    const double x = to.x(r->href[i]);
    if (!(x >= x1 && x <= x2)) {
      if (key && !noted && part != kes_ref_part::labels) xpmlog(KES_SET_PROC, KES_MSG_HREF_OUTSIDE_AXIS);
      noted = true;
      continue;
    }
    const std::size_t k = static_cast<std::size_t>(i);
    if (part != kes_ref_part::labels)
      kes_line_around(ctx, x, y1, x, y2, c->colors.href_style, c->colors.href, placed.gaps_but(placed.h_room[k]));
    const double w = placed.hw[k];
    if (w < 0 || part == kes_ref_part::lines) continue;
    kes_gtext t = placed.h[k];
    if (!c->colors.hreflab_own) t.colour = kes_readable_over(ctx, cell, t, w);
    gd_text(ctx, t);
  }
  gd_width(ctx, 1);
}
