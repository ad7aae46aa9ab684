// kesgvrl(ctx, cell): the reference lines at the VREF= values of a cell with their
// labels, under the line in the lower half of the plot area and above it in the
// upper half, at the left (VREFLABPOS=1) or the right (2), each where it reads.
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

void kesgvrl(kes_ctx* ctx, kes_cell* cell, kes_ref_part part) { kesgvrl_at(ctx, cell, kes_page_axes(ctx), part); }

void kesgvrl_at(kes_ctx* ctx, kes_cell* cell, const kes_ref_axes& to, kes_ref_part part) {
  if (cell == nullptr || cell->varsums == nullptr) return;
  kes_preq* r = ctx->curreq;
  kes_layout* lay = r->layout;
  kes_chart* c = &lay->c;
  if (!(cell->varsums[ctx->curvar].n > KES_EPS53)) return;
  const kes_stmt* st = r->stmt;
  const double given = kes_pgiven(st, KES_PLOT_SLOT_VREFLABPOS) ? kes_pnumber(st, KES_PLOT_SLOT_VREFLABPOS) : 1;
  // Another position draws the lines without their labels, and says so once.
  if (given != 1 && given != 2 && !c->vreflabpos_noted && part != kes_ref_part::labels) {
    xpmlog(KES_SET_GRAPH, KES_MSG_VREFLABPOS_INVALID, given);
    c->vreflabpos_noted = 1;
  }
  const double x1 = c->ox - lay->haxis.offset[0], y1 = c->oy - lay->vaxis.offset[0];
  const double x2 = c->ox + c->width + lay->haxis.offset[1], y2 = c->oy + c->height + lay->vaxis.offset[1];
  const bool key = cell == ctx->classvars->keycell;
  // The labels are placed first, so that no line runs through another text.
  const kes_ref_labels placed = kes_place_ref_labels(ctx, cell, to);
  bool noted = false;
  gd_width(ctx, c->colors.ref_width);
  for (int i = 0; i < r->nvref; ++i) {
    const double y = to.y(r->vref[i]);
    if (!(y >= y1 && y <= y2)) {
      if (key && !noted && part != kes_ref_part::labels) xpmlog(KES_SET_LAYOUT, KES_MSG_VREF_OUTSIDE_AXIS);
      noted = true;
      continue;
    }
    const std::size_t k = static_cast<std::size_t>(i);
    if (part != kes_ref_part::labels)
      kes_line_around(ctx, x1, y, x2, y, c->colors.vref_style, c->colors.vref, placed.gaps_but(placed.v_room[k]));
    const double w = placed.vw[k];
    if (w < 0 || part == kes_ref_part::lines) continue;
    kes_gtext t = placed.v[k];
    if (!c->colors.vreflab_own) t.colour = kes_readable_over(ctx, cell, t, w);
    gd_text(ctx, t);
  }
  gd_width(ctx, 1);
}
