// kesgvrl(ctx, cell): the reference lines at the VREF= values of a cell with their
// labels, under the line in the lower half of the plot area and above it in the
// upper half, at the left (VREFLABPOS=1) or the right (2).
#include <cstring>
#include <functional>
#include <vector>

#include "devgraph/bar_geometry.h"
#include "devgraph/chart_access.h"
#include "devgraph/chart_layout.h"
#include "devgraph/chart_texts.h"
#include "devgraph/fill_beneath.h"
#include "devgraph/gdev.h"
#include "host/host_services.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"

void kesgvrl(kes_ctx* ctx, kes_cell* cell, kes_ref_part part) {
  const kes_layout* lay = ctx->curreq->layout;
  kesgvrl_at(ctx, cell, [lay](double v) { return kes_page_y(lay, v); }, part);
}

void kesgvrl_at(kes_ctx* ctx, kes_cell* cell, const std::function<double(double)>& to_device, kes_ref_part part) {
  if (cell == nullptr || cell->varsums == nullptr) return;
  kes_preq* r = ctx->curreq;
  kes_layout* lay = r->layout;
  kes_chart* c = &lay->c;
  if (!(cell->varsums[ctx->curvar].n > KES_EPS53)) return;
  const kes_stmt* st = r->stmt;
  const double given = kes_pgiven(st, KES_PLOT_SLOT_VREFLABPOS) ? kes_pnumber(st, KES_PLOT_SLOT_VREFLABPOS) : 1;
  // Another position draws the lines without their labels, and says so once.
  const bool labels_ok = given == 1 || given == 2;
  if (!labels_ok && !c->vreflabpos_noted && part != kes_ref_part::labels) {
    xpmlog(KES_SET_GRAPH, KES_MSG_VREFLABPOS_INVALID, given);
    c->vreflabpos_noted = 1;
  }
  const double x1 = c->ox - lay->haxis.offset[0], y1 = c->oy - lay->vaxis.offset[0];
  const double x2 = c->ox + c->width + lay->haxis.offset[1], y2 = c->oy + c->height + lay->vaxis.offset[1];
  const double h = c->inset_h;
  const double inset = 0.5 * c->label_h * c->aspect;
  const bool key = cell == ctx->classvars->keycell;
  // The labels are placed first, so that no line runs through another line's label.
  std::vector<kes_gtext> labels(static_cast<std::size_t>(r->nvref));
  std::vector<double> widths(labels.size(), -1);
  std::vector<kes_text_gap> gaps =
      part != kes_ref_part::labels ? kes_bar_label_gaps(ctx, cell) : std::vector<kes_text_gap>{};
  std::vector<int> gap_of(labels.size(), -1);
  for (int i = 0; i < r->nvref && r->vreflabels != nullptr && labels_ok; ++i) {
    const double y = to_device(r->vref[i]);
    if (!(y >= y1 && y <= y2)) continue;
    kes_gtext& t = labels[static_cast<std::size_t>(i)];
    t = kes_ref_label(c, c->colors.vreflab, r->vreflabels[i].text);
    t.align = given == 1 ? 1 : 2;
    t.x = given == 1 ? x1 + inset : x2 - inset;
    if (y < c->oy + 0.5 * c->height) t.y = y - h <= y1 ? y + 0.5 * h : y - h;
    else t.y = y + h > y2 ? y - h : y + 0.5 * h;
    const double w = gd_measure(ctx, &t, nullptr);
    widths[static_cast<std::size_t>(i)] = w;
    gap_of[static_cast<std::size_t>(i)] = static_cast<int>(gaps.size());
    gaps.push_back(kes_gap_of(ctx, t, w));
  }
  bool noted = false;
  gd_width(ctx, c->colors.ref_width);
  for (int i = 0; i < r->nvref; ++i) {
    const double y = to_device(r->vref[i]);
    if (!(y >= y1 && y <= y2)) {
      if (key && !noted && part != kes_ref_part::labels) xpmlog(KES_SET_LAYOUT, KES_MSG_VREF_OUTSIDE_AXIS);
      noted = true;
      continue;
    }
    if (part != kes_ref_part::labels)
      kes_line_around(ctx, x1, y, x2, y, c->colors.vref_style, c->colors.vref,
                      kes_gaps_but(gaps, gap_of[static_cast<std::size_t>(i)]));
    const double w = widths[static_cast<std::size_t>(i)];
    if (w < 0 || part == kes_ref_part::lines) continue;
    kes_gtext t = labels[static_cast<std::size_t>(i)];
    if (!c->colors.vreflab_own) t.colour = kes_readable_over(ctx, cell, t, w);
    gd_text(ctx, t);
  }
  gd_width(ctx, 1);
}
