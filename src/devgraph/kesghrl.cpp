// kesghrl(ctx, cell): the reference lines at the HREF= values of a cell, with their
// labels stacked from the top or the bottom of the plot area (HREFLABPOS=).
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

void kesghrl(kes_ctx* ctx, kes_cell* cell, kes_ref_part part) {
  const kes_layout* lay = ctx->curreq->layout;
  kesghrl_at(ctx, cell, [lay](double v) { return kes_page_x(lay, v); }, part);
}

void kesghrl_at(kes_ctx* ctx, kes_cell* cell, const std::function<double(double)>& to_device, kes_ref_part part) {
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
  int pos = kes_pgiven(r->stmt, KES_PLOT_SLOT_HREFLABPOS) ? static_cast<int>(kes_pnumber(r->stmt, KES_PLOT_SLOT_HREFLABPOS)) : 1;
  if (pos < 1 || pos > 4) pos = 1;
  const double h = c->inset_h;
  const double top = c->oy + c->height - h;
  // The labels are placed first, so that no line runs through another line's label.
  std::vector<kes_gtext> labels(static_cast<std::size_t>(r->nhref));
  std::vector<double> widths(labels.size(), -1);
  std::vector<kes_text_gap> gaps =
      part != kes_ref_part::labels ? kes_bar_label_gaps(ctx, cell) : std::vector<kes_text_gap>{};
  std::vector<int> gap_of(labels.size(), -1);
  bool placed = false;
  double y = 0;
  int k = 0;
  for (int i = 0; i < r->nhref && r->hreflabels != nullptr; ++i) {
    const double x = to_device(r->href[i]);
    if (!(x >= x1 && x <= x2)) continue;
    // Stacked labels start again at the top (or bottom) when they leave the area.
    if (!placed || y < c->oy || y > top) {
      y = pos <= 2 ? top : c->oy + 0.5 * h;
      k = 0;
      placed = true;
    }
    if (pos == 2) y = top - k++ * h;
    else if (pos == 4) y = c->oy + (k++ + 0.5) * h;
    kes_gtext& t = labels[static_cast<std::size_t>(i)];
    t = kes_ref_label(c, c->colors.hreflab, r->hreflabels[i].text);
    const double w = gd_measure(ctx, &t, nullptr);
    const double d = 0.5 * h * c->aspect;
    if (x + d + w < c->ox + c->width) t.align = 1, t.x = x + d;
    else t.align = 2, t.x = x - d;
    t.y = y;
    widths[static_cast<std::size_t>(i)] = w;
    gap_of[static_cast<std::size_t>(i)] = static_cast<int>(gaps.size());
    gaps.push_back(kes_gap_of(ctx, t, w));
  }
  bool noted = false;
  gd_width(ctx, c->colors.ref_width);
  for (int i = 0; i < r->nhref; ++i) {
    const double x = to_device(r->href[i]);
    if (!(x >= x1 && x <= x2)) {
      if (key && !noted && part != kes_ref_part::labels) xpmlog(KES_SET_PROC, KES_MSG_HREF_OUTSIDE_AXIS);
      noted = true;
      continue;
    }
    if (part != kes_ref_part::labels)
      kes_line_around(ctx, x, y1, x, y2, c->colors.href_style, c->colors.href,
                      kes_gaps_but(gaps, gap_of[static_cast<std::size_t>(i)]));
    const double w = widths[static_cast<std::size_t>(i)];
    if (w < 0 || part == kes_ref_part::lines) continue;
    kes_gtext t = labels[static_cast<std::size_t>(i)];
    if (!c->colors.hreflab_own) t.colour = kes_readable_over(ctx, cell, t, w);
    gd_text(ctx, t);
  }
  gd_width(ctx, 1);
}
