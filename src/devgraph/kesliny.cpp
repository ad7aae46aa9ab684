// kesliny(ctx, use_format): the vertical axis of the current cell: ticks and tick
// values, the right and top sides of the frame, the axis line and the vertical label.
#include <algorithm>
#include <cmath>

#include "devgraph/axis_value.h"
#include "devgraph/chart_access.h"
#include "devgraph/chart_layout.h"
#include "devgraph/chart_texts.h"
#include "devgraph/gdev.h"
#include "devgraph/tick_text.h"
#include "devgraph/value_runs.h"
#include "host/kes_checked.h"
#include "kes_gram_names.h"

void kesliny(kes_ctx* ctx, int use_format) {
  kes_preq* r = ctx->curreq;
  kes_layout* lay = r->layout;
  kes_chart* c = &lay->c;
  const kes_axis& ax = lay->vaxis;
  const kes_axis& hx = lay->haxis;
  const kes_axisdraw& d = c->vx;
  const kes_plotslot* key = kes_gkeyslot(ctx);
  const double start = key->vmin, end = key->vmax, step = key->vstep;
  const double top = c->oy + c->height + ax.offset[1];
  const double x = d.start[0];

  if (c->edge[KES_EDGE_LEFT_TICKS] && !r->novtick && end > start && step > 0) {
    // 1. Ticks.
    const double inc = kes_step_length(step, c->height, start, end);
    const double limit = c->oy + c->height + KES_TICK_SLACK;
    int m = 0;
    if (kes_pgiven(r->stmt, KES_PLOT_SLOT_VMINOR)) m = static_cast<int>(std::lround(kes_pnumber(r->stmt, KES_PLOT_SLOT_VMINOR)));
    else if (ax.minor_count > 0) m = ax.minor_count;
    m = std::clamp(m, 0, 100);
    const long n = kes_tick_count(c->height, inc);
    // A cell that stands its bars on 0 starts at the first tick not below it.
    const long first = c->stands && start < 0 ? static_cast<long>(std::ceil(-start / step - 1e-9)) : 0;
    long i = first;
    for (double y = c->oy + first * inc; y <= limit && i < n; y = c->oy + (++i) * inc) {
      gd_width(ctx, ax.major_width);
      if (!ax.major_none) gd_line(ctx, x, y, x - ax.major_len, y, 1, d.major_colour);
      if (!ax.minor_none && m > 0 && y + inc <= limit) {
        gd_width(ctx, ax.minor_width);
        for (int j = 1; j <= m; ++j) {
          const double yy = y + j * inc / (m + 1);
          gd_line(ctx, x, yy, x - ax.minor_len, yy, 1, d.minor_colour);
        }
      }
    }
    // 2. Tick values.
    if (!ax.value_none) {
      const double h = c->text_h;
      // A value takes its height and, below its baseline, a descender's room the
      // height leaves out: stacked values keep that room between them.
      const double room = c->celldev ? 0 : 0.25 * h;
      double vx = x - (ax.major_len + c->hgap_tv);
      if (c->celldev) vx = gd_cell(ctx, vx, 1, 1);
      const double e = std::fabs(end) * KES_EPS53 * 1000;
      kes_gtext t{};
      t.align = 2;
      char buf[KES_TICK_TEXT];
      const int skip = kes_label_step(h + room, inc);
      kes_next_cell next(kes_row_pitch(lay));
      for (i = first; c->oy + i * inc <= limit && i < n; i += skip + 1) {
        const double v = kes_tick_snap(kes_tick_at(start, step, i), e);
        kes_axis_value_text(ctx, ax, static_cast<int>(i), v, use_format != 0, c->vstyle, &t, buf);
        t.x = vx;
        t.y = kes_figures_baseline(c->oy + i * inc, h);
        if (c->celldev) t.y = gd_cell(ctx, t.y, 2, 0);
        // In a page of several rows values stop short of the next row's first.
        if (r->nrows > 1 && !next.clear(t.y, h, room)) break;
        gd_text(ctx, t);
      }
    }
  }

  // 3. Frame: the right and top sides.
  gd_width(ctx, ax.width);
  const double right = c->ox + c->width + hx.offset[1];
  if (!r->noframe) {
    gd_line(ctx, right, std::min(c->hx.start[1], d.start[1]), right, top, c->hx.line_type, c->hx.line_colour);
    gd_line(ctx, std::min(c->hx.start[0], d.start[0]), top, right, top, c->hx.line_type, c->hx.line_colour);
  }
  // 4. Axis line.
  gd_line(ctx, x, d.start[1], x, top, d.line_type, d.line_colour);
  // 5. Label.
  if (c->edge[KES_EDGE_LEFT_LABEL] && !r->novlabel && !ax.label_none) kesgvlb(ctx);
  gd_width(ctx, 1);
}
