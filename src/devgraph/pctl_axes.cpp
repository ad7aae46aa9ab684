// kesgaxp, kesgaxq and the percent axes they draw (kesnlpx, kesnlpy, kesnlqx,
// pctlminor). Percents stand at their standardized quantiles under the cell's fit.
#include "devgraph/pctl_axes.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "devgraph/chart_access.h"
#include "devgraph/chart_layout.h"
#include "devgraph/chart_texts.h"
#include "devgraph/gdev.h"
#include "devgraph/ref_labels.h"
#include "devgraph/pctl_ticks.h"
#include "devgraph/value_runs.h"
#include "fit/kes_estframe.h"
#include "fit/kes_famfn.h"
#include "fitreport/kes_famsets.h"
#include "host/host_services.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"

namespace {

// One percent axis being drawn: its quantile function and range.
struct pctl_axis {
  kes_ctx* ctx;
  kes_plotslot* slot;
  const kes_famfn* fn;
  double qmin = 0, qmax = 1;
  double q(double percent) const { return fn->q(ctx, slot, percent / 100) + 0.0; }
  // A probability plot's range is the theoretical axis the cells share: the list's
  // ends under the widest of the cells' fitted shapes, where the points are placed.
  void from_list(const kes_preq* r) {
    const kes_plotslot* key = kes_gkeyslot(ctx);
    qmin = r->rotate ? key->vmin : key->hlow;
    qmax = r->rotate ? key->vmax : key->hhigh;
  }
};

bool make_axis(kes_ctx* ctx, kes_cell* cell, pctl_axis* a) {
  const kes_preq* r = ctx->curreq;
  a->ctx = ctx;
  a->slot = cell != nullptr ? kes_gslot(ctx, cell) : kes_gkeyslot(ctx);
  a->fn = kes_famdisp(r->dist);
  return a->fn != nullptr && a->fn->q != nullptr && r->pctl != nullptr && r->npctl > 0;
}

kes_gtext value_text(kes_ctx* ctx, int align) {
  const kes_chart* c = &ctx->curreq->layout->c;
  kes_gtext t{};
  std::memcpy(t.font, c->valfont, 8);
  t.height = c->text_h;
  t.colour = c->colors.text;
  t.align = align;
  return t;
}

int minor_count(const kes_preq* r, int slot, const kes_axis& ax) {
  if (kes_flag(r->stmt, KES_PLOT_FLAG_PCTLMINOR)) return 0;
  int m = 0;
  if (kes_pgiven(r->stmt, slot)) m = static_cast<int>(std::lround(kes_pnumber(r->stmt, slot)));
  else if (ax.minor_count > 0) m = ax.minor_count;
  return std::clamp(m, 0, 100);
}

// The right and top ends of the framed area.
double right_end(const kes_layout* lay) { return lay->c.ox + lay->c.width + lay->haxis.offset[1]; }
double top_end(const kes_layout* lay) { return lay->c.oy + lay->c.height + lay->vaxis.offset[1]; }

// Percent values written left to right along a horizontal axis at baseline y: a value
// that would run into the one before, or come closer to it than a blank, is left out
// with a note; on a page of several columns the values stop before the next column.
struct across_values {
  across_values(kes_ctx* ctx, double y) : ctx(ctx), y(y), next(kes_column_pitch(ctx->curreq->layout)) {}
  kes_ctx* ctx;
  double y;
  kes_value_run run;
  kes_next_cell next;
  bool first = true;
  double overhang = 0;
  // False when the values stop here.
  bool put(double x, double percent) {
    const kes_layout* lay = ctx->curreq->layout;
    const kes_chart* c = &lay->c;
    char buf[32];
    kes_gtext t = value_text(ctx, 1);
    t.text = buf;
    t.len = kes_pctl_text(percent, buf);
    const double len = gd_measure(ctx, &t, nullptr);
    double xl = x - len / 2;
    if (c->celldev) xl = gd_cell(ctx, xl, 1, 0);
    const double gap = gd_blank(ctx, t);
    if (ctx->curreq->ncols > 1) {
      if (first) overhang = (c->ox - lay->haxis.offset[0]) - (xl - len / 2);
      if (xl + len / 2 > right_end(lay) + c->hcellgap - overhang - 0.5 || !next.clear(xl, len, gap)) {
        kes_chart* cc = &ctx->curreq->layout->c;
        if (!cc->noted[KES_NOTE_HVALUES_STOP]) {
          xpmlog(KES_SET_PROC, KES_MSG_HVALUES_STOP_BEFORE_NEXT_COLUMN, t.len, buf);
          cc->noted[KES_NOTE_HVALUES_STOP] = 1;
        }
        return false;
      }
    }
    first = false;
    if (!run.admit(xl, len, gap)) {
      xpmlog(KES_SET_PLOT, KES_MSG_PERCENT_VALUE_WOULD_OVERLAP, t.len, buf);
      return true;
    }
    t.x = xl;
    t.y = c->celldev ? gd_cell(ctx, y, 2, 0) : y;
    gd_text(ctx, t);
    return true;
  }
};

// The minor percents of PCTLMINOR, on the percent axis of the plot: below the bottom
// or left of the left side of a probability plot, above the top or right of the right
// side of a QQ plot's percentile axis.
void pctlminor(kes_ctx* ctx, const pctl_axis& a) {
  const kes_preq* r = ctx->curreq;
  const kes_layout* lay = r->layout;
  const kes_chart* c = &lay->c;
  const bool qq = r->type == KES_PLOT_QQ;
  if (!r->rotate) {
    const double y0 = qq ? top_end(lay) : c->oy - lay->vaxis.offset[0];
    const double y1 = qq ? y0 + lay->haxis.minor_len : y0 - lay->haxis.minor_len;
    gd_width(ctx, lay->haxis.minor_width);
    for (double p : kes_pctl_minor([&](double u) { return a.fn->q(ctx, a.slot, u) + 0.0; }, a.qmin, a.qmax, c->ox,
                                   c->width)) {
      const double x = kes_pctl_at(a.q(p), a.qmin, a.qmax, c->ox, c->width);
      gd_line(ctx, x, y0, x, y1, 1, c->hx.minor_colour);
    }
  } else {
    const double x0 = qq ? right_end(lay) : c->ox - lay->haxis.offset[0];
    const double x1 = qq ? x0 + lay->vaxis.minor_len : x0 - lay->vaxis.minor_len;
    gd_width(ctx, lay->vaxis.minor_width);
    for (double p : kes_pctl_minor([&](double u) { return a.fn->q(ctx, a.slot, u) + 0.0; }, a.qmin, a.qmax, c->oy,
                                   c->height)) {
      const double y = kes_pctl_at(a.q(p), a.qmin, a.qmax, c->oy, c->height);
      gd_line(ctx, x0, y, x1, y, 1, c->vx.minor_colour);
    }
  }
}

// The grid of a QQ plot's percentile axis, when PCTLAXIS asks for one: its colour,
// line type and width, each else the page's.
struct pctl_grid {
  bool on;
  int colour, style, width;
};
pctl_grid qq_grid(kes_ctx* ctx, int axis_width) {
  const kes_preq* r = ctx->curreq;
  const kes_stmt* s = r->stmt;
  const kes_chart* c = &r->layout->c;
  pctl_grid g{kes_flag(s, KES_PLOT_FLAG_PCTLAXIS_GRID) || kes_pgiven(s, KES_PLOT_SLOT_PCTLAXIS_CGRID) ||
                  kes_pgiven(s, KES_PLOT_SLOT_PCTLAXIS_LGRID) || kes_pgiven(s, KES_PLOT_SLOT_PCTLAXIS_WGRID),
              c->colors.grid, 1, axis_width};
  char name[8];
  kes_gname_opt(s, KES_PLOT_SLOT_PCTLAXIS_CGRID, name);
  if (name[0] != ' ') g.colour = gd_colour(ctx, name);
  if (kes_pgiven(s, KES_PLOT_SLOT_PCTLAXIS_LGRID))
    g.style = std::clamp(static_cast<int>(std::lround(kes_pnumber(s, KES_PLOT_SLOT_PCTLAXIS_LGRID))), 1, 46);
  if (kes_pgiven(s, KES_PLOT_SLOT_PCTLAXIS_WGRID))
    g.width = static_cast<int>(std::lround(kes_pnumber(s, KES_PLOT_SLOT_PCTLAXIS_WGRID)));
  return g;
}

// The horizontal percent axis of a probability plot.
void kesnlpx(kes_ctx* ctx, pctl_axis a) {
  const kes_preq* r = ctx->curreq;
  const kes_layout* lay = r->layout;
  const kes_chart* c = &lay->c;
  const kes_axis& ax = lay->haxis;
  const double y0 = c->oy - lay->vaxis.offset[0], right = right_end(lay);
  gd_width(ctx, ax.width);
  gd_line(ctx, c->ox - ax.offset[0], y0, right, y0, c->hx.line_type, c->hx.line_colour);
  a.from_list(r);
  const int m = minor_count(r, KES_PLOT_SLOT_HMINOR, ax);
  const auto at = [&](double p) { return kes_pctl_at(a.q(p), a.qmin, a.qmax, c->ox, c->width); };
  // Each cell with shapes of its own shows its own percents; else the bottom row does.
  if (!c->edge[KES_EDGE_BOTTOM] && !r->pctl_per_cell) return;
  across_values values(ctx, y0 - (c->vgap_tv + ax.major_len + c->text_h));
  bool writing = !ax.value_none;
  for (int i = 0; i < r->npctl; ++i) {
    if (!kes_pctl_on(a.q(r->pctl[i]), a.qmin, a.qmax)) continue;
    const double x = at(r->pctl[i]);
    gd_width(ctx, ax.major_width);
    if (!ax.major_none) gd_line(ctx, x, y0, x, y0 - ax.major_len, 1, c->hx.major_colour);
    if (writing) writing = values.put(x, r->pctl[i]);
    if (i < r->npctl - 1 && m > 0 && a.q(r->pctl[i + 1]) <= a.qmax + KES_PCTL_SLACK) {
      gd_width(ctx, ax.minor_width);
      for (double p : kes_pctl_between(r->pctl[i], r->pctl[i + 1], m))
        gd_line(ctx, at(p), y0, at(p), y0 - ax.minor_len, 1, c->hx.minor_colour);
    }
  }
  if (kes_flag(r->stmt, KES_PLOT_FLAG_PCTLMINOR)) pctlminor(ctx, a);
}

// Whether a QQ plot's percents on its axis all stand at one place (a shape too small to
// part them): they would read as a single percent, so none is written or gridded, and
// the log says why where the values would be written.
bool percents_at_one_place(kes_ctx* ctx, const pctl_axis& a, bool writes) {
  const kes_preq* r = ctx->curreq;
  int on = 0;
  double first = 0;
  for (int i = 0; i < r->npctl; ++i) {
    const double q = a.q(r->pctl[i]);
    if (!kes_pctl_on(q, a.qmin, a.qmax)) continue;
    if (on++ == 0) first = q;
    else if (q != first) return false;
  }
  if (on < 2) return false;
  if (writes) xpmlog(KES_SET_PLOT, KES_MSG_PERCENTS_AT_ONE_PLACE, static_cast<int>(ctx->curname.len), ctx->curname.text);
  return true;
}

// The vertical percent axis: at the left of a rotated probability plot, or the
// right-hand percentile axis of a rotated QQ plot (its range the cell's vertical
// axis, its ticks pointing right from the frame's right side).
void kesnlpy(kes_ctx* ctx, pctl_axis a) {
  const kes_preq* r = ctx->curreq;
  const kes_layout* lay = r->layout;
  const kes_chart* c = &lay->c;
  const kes_axis& ax = lay->vaxis;
  const bool qq = r->type == KES_PLOT_QQ;
  const double x0 = c->ox - lay->haxis.offset[0], right = right_end(lay), top = top_end(lay);
  gd_width(ctx, ax.width);
  gd_line(ctx, x0, c->oy - ax.offset[0], x0, top, c->vx.line_type, c->vx.line_colour);
  pctl_grid grid{r->grid != 0, c->colors.grid, c->colors.grid_style, c->colors.grid_width};
  if (qq) {
    const kes_plotslot* key = kes_gkeyslot(ctx);
    a.qmin = key->vmin, a.qmax = key->vmax;
    grid = qq_grid(ctx, ax.width);
  } else {
    a.from_list(r);
  }
  const auto at = [&](double p) { return kes_pctl_at(a.q(p), a.qmin, a.qmax, c->oy, c->height); };
  const bool writes = c->edge[qq ? KES_EDGE_RIGHT_TICKS : KES_EDGE_LEFT_TICKS] || r->pctl_per_cell;
  if (qq && percents_at_one_place(ctx, a, writes)) return;
  if (grid.on) {
    gd_width(ctx, grid.width);
    for (int i = 0; i < r->npctl; ++i)
      if (!qq || kes_pctl_on(a.q(r->pctl[i]), a.qmin, a.qmax))
        gd_line(ctx, x0, at(r->pctl[i]), right, at(r->pctl[i]), grid.style, grid.colour);
    gd_width(ctx, ax.width);
  }
  // Each cell with shapes of its own shows its own percents; else the first (or, on a
  // QQ plot, the last) column does.
  if (!c->edge[qq ? KES_EDGE_RIGHT_TICKS : KES_EDGE_LEFT_TICKS] && !r->pctl_per_cell) return;
  const double base = qq ? right : x0;
  const double dir = qq ? 1 : -1;
  double vx = base + dir * (ax.major_len + c->hgap_tv);
  if (c->celldev) vx = gd_cell(ctx, vx, 1, 1);
  const int m = minor_count(r, KES_PLOT_SLOT_VMINOR, ax);
  double last = -HUGE_VAL;
  for (int i = 0; i < r->npctl; ++i) {
    if (!kes_pctl_on(a.q(r->pctl[i]), a.qmin, a.qmax)) continue;
    const double y = at(r->pctl[i]);
    gd_width(ctx, ax.major_width);
    if (!ax.major_none) gd_line(ctx, base, y, base + dir * ax.major_len, y, 1, c->vx.major_colour);
    if (!ax.value_none) {
      char buf[32];
      kes_gtext t = value_text(ctx, qq ? 1 : 2);
      t.text = buf;
      t.len = kes_pctl_text(r->pctl[i], buf);
      double b = kes_figures_baseline(y, c->text_h);
      if (c->celldev) b = gd_cell(ctx, b, 2, 0);
      if (b > last + 1.5 * c->text_h) {
        t.x = vx, t.y = b;
        gd_text(ctx, t);
        last = b;
      } else {
        xpmlog(KES_SET_PLOT, KES_MSG_PERCENT_VALUE_WOULD_OVERLAP, t.len, buf);
      }
    }
    if (i < r->npctl - 1 && m > 0 && kes_pctl_on(a.q(r->pctl[i + 1]), a.qmin, a.qmax)) {
      gd_width(ctx, ax.minor_width);
      for (double p : kes_pctl_between(r->pctl[i], r->pctl[i + 1], m))
        gd_line(ctx, base, at(p), base + dir * ax.minor_len, at(p), 1, c->vx.minor_colour);
    }
  }
  if (kes_flag(r->stmt, KES_PLOT_FLAG_PCTLMINOR)) pctlminor(ctx, a);
}

// The percentile axis across the top of a QQ plot, over the cell's quantile range.
void kesnlqx(kes_ctx* ctx, pctl_axis a) {
  const kes_preq* r = ctx->curreq;
  const kes_layout* lay = r->layout;
  const kes_chart* c = &lay->c;
  const kes_axis& ax = lay->haxis;
  const kes_plotslot* key = kes_gkeyslot(ctx);
  a.qmin = key->hlow, a.qmax = key->hhigh;
  const double top = top_end(lay);
  const auto at = [&](double p) { return kes_pctl_at(a.q(p), a.qmin, a.qmax, c->ox, c->width); };
  if (percents_at_one_place(ctx, a, c->edge[KES_EDGE_TOP] || r->pctl_per_cell)) return;
  const pctl_grid grid = qq_grid(ctx, ax.width);
  if (grid.on) {
    gd_width(ctx, grid.width);
    for (int i = 0; i < r->npctl; ++i)
      if (kes_pctl_on(a.q(r->pctl[i]), a.qmin, a.qmax))
        gd_line(ctx, at(r->pctl[i]), c->oy - lay->vaxis.offset[0], at(r->pctl[i]), top, grid.style, grid.colour);
  }
  // Each cell with shapes of its own shows its own percents; else the top row does.
  if (c->edge[KES_EDGE_TOP] || r->pctl_per_cell) {
    gd_width(ctx, ax.major_width);
    across_values values(ctx, top + ax.major_len + c->vgap_tv);
    bool writing = !ax.value_none;
    for (int i = 0; i < r->npctl; ++i) {
      if (!kes_pctl_on(a.q(r->pctl[i]), a.qmin, a.qmax)) continue;
      const double x = at(r->pctl[i]);
      gd_line(ctx, x, top, x, top + ax.major_len, 1, c->hx.major_colour);
      if (writing) writing = values.put(x, r->pctl[i]);
    }
    if (kes_flag(r->stmt, KES_PLOT_FLAG_PCTLMINOR)) pctlminor(ctx, a);
  }
  gd_width(ctx, 1);
}

// The frame's right and top sides in the horizontal axis' line.
void frame_sides(kes_ctx* ctx) {
  const kes_layout* lay = ctx->curreq->layout;
  const kes_chart* c = &lay->c;
  const double right = right_end(lay), top = top_end(lay);
  gd_line(ctx, right, c->oy - lay->vaxis.offset[0], right, top, c->hx.line_type, c->hx.line_colour);
  gd_line(ctx, c->ox - lay->haxis.offset[0], top, right, top, c->hx.line_type, c->hx.line_colour);
}

// The PCTLAXIS LABEL= text (at most 40 characters); its length, 0 when not given.
int pctl_label(const kes_preq* r, const char** text) {
  int len = 0;
  *text = kes_gtext_opt(r->stmt, KES_PLOT_SLOT_PCTLAXIS_LABEL, &len);
  return std::min(len, 40);
}

// The label of the right-hand percentile axis, turned to read upwards (or stacked),
// centred on the panel's height and shrunk to 92 % of it (96 % stacked).
void kesgv2l(kes_ctx* ctx) {
  const kes_preq* r = ctx->curreq;
  const kes_layout* lay = r->layout;
  const kes_chart* c = &lay->c;
  const char* s = nullptr;
  const int len = pctl_label(r, &s);
  if (len <= 0) return;
  const bool stacked = c->stacked || kes_flag(r->stmt, KES_PLOT_FLAG_TURNVLABELS);
  kes_gtext t{};
  std::memcpy(t.font, c->labfont[0] != ' ' ? c->labfont : c->valfont, 8);
  t.height = c->label_h;
  t.colour = c->colors.label;
  t.align = 1;
  t.text = s;
  t.len = len;
  const double span = lay->vaxis.offset[0] + c->height + lay->vaxis.offset[1];
  const double bottom = c->oy - lay->vaxis.offset[0];
  const double x = c->pagearea[2] - c->rmargin - (stacked ? c->vlabroom : 0);
  if (stacked) {
    double extent = len * t.height;
    if (extent > 0.96 * span) t.height *= 0.96 * span / extent, extent = 0.96 * span;
    const double top = bottom + (span + extent) / 2;
    for (int i = 0, line = 0; i < len; ++i) {
      if (s[i] == ' ') continue;
      kes_gtext ch = t;
      ch.text = s + i;
      ch.len = 1;
      ch.x = x, ch.y = top - (++line) * t.height;
      gd_text(ctx, ch);
    }
    return;
  }
  t.angle = 90, t.rotation = 0;
  double extent = gd_measure(ctx, &t, nullptr);
  if (extent > 0.92 * span && extent > 0) {
    t.height *= 0.92 * span / extent;
    extent = gd_measure(ctx, &t, nullptr);
  }
  t.x = x;
  t.y = bottom + (span - extent) / 2;
  if (c->celldev) t.y = gd_cell(ctx, t.y, 2, 0);
  gd_text(ctx, t);
}

}  // namespace

void kes_pctl_top_label(kes_ctx* ctx) {
  const kes_preq* r = ctx->curreq;
  if (r->type != KES_PLOT_QQ || !r->pctlaxis || r->rotate) return;
  const char* s = nullptr;
  const int len = pctl_label(r, &s);
  if (len <= 0) return;
  const kes_layout* lay = r->layout;
  const kes_chart* c = &lay->c;
  const int cols = std::max(c->pcol, 1), rows = std::max(r->nrows, 1);
  const double col_pitch = lay->haxis.offset[0] + c->width + lay->haxis.offset[1];
  const double row_pitch = c->vcellgap + lay->vaxis.offset[0] + c->height + lay->vaxis.offset[1];
  const double span = (cols - 1) * c->hcellgap + cols * col_pitch;
  kes_gtext t{};
  std::memcpy(t.font, c->labfont[0] != ' ' ? c->labfont : c->valfont, 8);
  t.height = c->label_h;
  t.colour = c->colors.label;
  t.align = 4;
  t.text = s;
  t.len = len;
  t.x = c->anchors[0] + span / 2;
  t.y = c->anchors[3] + (rows - 1) * row_pitch + row_pitch - c->vcellgap + lay->haxis.major_len + c->value_h +
        2 * c->vgap_tv;
  if (c->celldev) t.x = gd_cell(ctx, t.x, 1, 0), t.y = gd_cell(ctx, t.y, 2, 0);
  gd_text(ctx, t);
}

void kesgaxp(kes_ctx* ctx, kes_preq* r, kes_cell* cell) {
  kes_layout* lay = r->layout;
  const kes_chart* c = &lay->c;
  pctl_axis a{};
  const bool percents = make_axis(ctx, cell, &a);
  if (percents) a.from_list(r);
  gd_width(ctx, lay->haxis.width);
  if (percents) {
    if (r->rotate) kesnlpy(ctx, a);
    else kesnlpx(ctx, a);
  }
  gd_width(ctx, lay->haxis.width);
  if (!r->noframe) frame_sides(ctx);
  // Reference values on the percent axis are percents, placed at their quantiles.
  if (r->nhref > 0) {
    if (!r->rotate && percents)
      kesghrl_at(ctx, cell, {[&](double v) { return kes_pctl_at(a.q(v), a.qmin, a.qmax, c->ox, c->width); },
                             kes_page_axes(ctx).y});
    else if (r->rotate)
      kesghrl(ctx, cell);
  }
  if (r->rotate) keslinx(ctx, 1);
  else kesliny(ctx, 1);
  if (r->nvref > 0) {
    if (r->rotate && percents)
      kesgvrl_at(ctx, cell, {kes_page_axes(ctx).x,
                             [&](double v) { return kes_pctl_at(a.q(v), a.qmin, a.qmax, c->oy, c->height); }});
    else if (!r->rotate)
      kesgvrl(ctx, cell);
  }
  if (r->rotate && c->edge[KES_EDGE_LEFT_LABEL] && !r->novlabel && !lay->vaxis.label_none) kesgvlb(ctx);
  gd_width(ctx, 1);
}

void kesgaxq(kes_ctx* ctx, kes_preq* r, kes_cell* cell) {
  kes_layout* lay = r->layout;
  gd_width(ctx, lay->haxis.width);
  keslinx(ctx, r->rotate);
  if (r->pctlaxis) {
    pctl_axis a{};
    if (make_axis(ctx, cell, &a)) {
      if (r->rotate) kesnlpy(ctx, a);
      else kesnlqx(ctx, a);
    }
    if (r->rotate && r->layout->c.edge[KES_EDGE_RIGHT_LABEL]) kesgv2l(ctx);
    // The frame carries the percentile axis.
    r->noframe = 0;
  }
  if (r->nhref > 0) kesghrl(ctx, cell);
  kesliny(ctx, !r->rotate);
  if (r->nvref > 0) kesgvrl(ctx, cell);
  gd_width(ctx, 1);
}
