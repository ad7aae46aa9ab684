// keslinx(ctx, use_format): the horizontal axis of the current cell: its line, major
// and minor ticks and tick values. Values that would crowd each other are thinned:
// every (step + 1)-th tick carries one, the ticks between become minor ones.
#include <algorithm>
#include <cmath>

#include "devgraph/axis_value.h"
#include "devgraph/chart_access.h"
#include "devgraph/chart_layout.h"
#include "devgraph/gdev.h"
#include "devgraph/tick_text.h"
#include "devgraph/value_runs.h"
#include "host/host_services.h"
#include "host/kes_checked.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"

void keslinx(kes_ctx* ctx, int use_format) {
  kes_preq* r = ctx->curreq;
  kes_layout* lay = r->layout;
  kes_chart* c = &lay->c;
  const kes_axis& ax = lay->haxis;
  const kes_axisdraw& d = c->hx;
  const kes_plotslot* key = kes_gkeyslot(ctx);
  const bool hist = r->type == KES_PLOT_HISTOGRAM;
  const double right = c->ox + c->width;

  // 1. Axis line.
  gd_width(ctx, ax.width);
  gd_line(ctx, d.start[0], d.start[1], right + ax.offset[1], d.start[1], d.line_type, d.line_colour);
  if (!c->edge[KES_EDGE_BOTTOM]) return;

  // 3. Tick spacing, data range and increment.
  const double start = key->hlow, end = key->hhigh, step = key->width;
  double inc = 0, x0 = c->ox;
  if (hist) {
    inc = c->barwidth + c->bargap;
    if (!r->endpoints) x0 += c->barwidth / 2;
  } else if (end > start) {
    inc = kes_step_length(step, c->width, start, end);
  }
  if (!(inc > 0)) return;

  // 4. Thinning: values along one baseline stand at least a blank apart.
  double w = c->celldev ? c->cw : c->cw / 2;
  if (!ax.value_none) {
    kes_gtext probe{};
    char pbuf[KES_TICK_TEXT];
    kes_axis_value_text(ctx, ax, 0, start, use_format != 0, c->hstyle, &probe, pbuf);
    w = std::max(w, gd_blank(ctx, probe));
  }
  int skip = kes_label_step(w + c->hwidest_ticks, inc);
  const double limit = right + KES_TICK_SLACK;
  const long n = kes_tick_count(limit - x0, inc);
  const double e = std::max(std::fabs(start), std::fabs(end)) * KES_SQRT_EPS53 * 1000;
  c->hstep = skip;

  // 5. Minor ticks.
  int m = 0;
  if (kes_pgiven(r->stmt, KES_PLOT_SLOT_HMINOR)) m = static_cast<int>(std::lround(kes_pnumber(r->stmt, KES_PLOT_SLOT_HMINOR)));
  else if (ax.minor_count > 0) m = ax.minor_count;
  m = std::clamp(m, 0, 100);
  const double minor = inc / (m + 1);

  // 6. Ticks.
  const double y = d.start[1];
  long i = 0;
  for (double x = x0; x <= limit && i < n; x = x0 + (++i) * inc) {
    gd_width(ctx, ax.major_width);
    const bool major = skip == 0 || i % (skip + 1) == 0;
    if (major) {
      if (!ax.major_none) gd_line(ctx, x, y, x, y - ax.major_len, 1, d.major_colour);
      if (skip == 0 && !ax.minor_none && x + inc <= limit && m > 0) {
        gd_width(ctx, ax.minor_width);
        for (int j = 1; j <= m; ++j) gd_line(ctx, x + j * minor, y, x + j * minor, y - ax.minor_len, 1, d.minor_colour);
      }
    } else if (!ax.minor_none) {
      gd_width(ctx, ax.minor_width);
      gd_line(ctx, x, y, x, y - ax.minor_len, 1, d.minor_colour);
    }
  }

  // 7. Tick values.
  if (ax.value_none) return;
  kes_gtext t{};
  t.align = 4;
  if (ax.value_orient == 2) {
    t.angle = ax.value_angle;
    if (ax.value_angle > 0) t.align = 2;
    else if (ax.value_angle < 0) t.align = 1;
  }
  double base = y - (ax.major_len + c->vgap_tv);
  if (ax.value_orient != 2) base -= c->text_h;
  if (c->celldev) base = gd_cell(ctx, base, 2, 0);
  // 8. Zero snapping (e, above).
  char buf[KES_TICK_TEXT];
  double overhang = 0;
  kes_next_cell next(kes_column_pitch(lay));
  i = 0;
  for (double x = x0; x <= limit && i < n; i += skip + 1, x = x0 + i * inc) {
    const double v = kes_tick_snap(kes_tick_at(start, step, i), e);
    kes_axis_value_text(ctx, ax, static_cast<int>(i), v, use_format != 0, c->hstyle, &t, buf);
    const double len = gd_measure(ctx, &t, nullptr);
    // 10. In a page of several columns values never run into the next column, and
    // values along one baseline stop more than a blank before its first.
    if (r->ncols > 1) {
      if (i == 0) overhang = d.start[0] - (x - len / 2);
      if (x + len / 2 > right + ax.offset[1] + c->hcellgap - overhang - 0.5 ||
          (t.angle == 0 && !next.clear(x - len / 2, len, gd_blank(ctx, t)))) {
        if (!c->noted[KES_NOTE_HVALUES_STOP]) {
          xpmlog(KES_SET_PROC, KES_MSG_HVALUES_STOP_BEFORE_NEXT_COLUMN, t.len, t.text);
          c->noted[KES_NOTE_HVALUES_STOP] = 1;
        }
        break;
      }
    }
    t.x = x;
    t.y = base;
    gd_text(ctx, t);
  }
}
