// kesgmar(ctx): the fonts, text heights, margins, gaps, tick units, axis offsets and
// tick lengths of the current request's chart on the current destination, and the
// decimals and widest texts of the tick values of both axes. No result: what does not
// fit is found by the page geometry that follows.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "devgraph/chart_access.h"
#include "devgraph/chart_layout.h"
#include "devgraph/gdev.h"
#include "devgraph/panel_labels.h"
#include "devgraph/pctl_ticks.h"
#include "devgraph/tick_text.h"
#include "host/host_services.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "records/kes_curve.h"
#include "util/kes_text.h"

namespace {

constexpr int kMeasureEvery = 1001;  // at most about 1000 tick values are measured

bool blank_font(const char* f) { return f[0] == ' ' || f[0] == '\0'; }

// The default graphics font of a device with hardware character cells. (The
// locale's text for it is read by the driver's locale routines, a layer above this
// one; the device charts take the locale's own fallback name.)
void locale_font(char* out) {
  std::memset(out, ' ', 8);
  std::memcpy(out, "SIMPLEX", 7);
}

// The length of "X" in a font and height; the font and height come back as the
// device reports them.
void measure_x(kes_ctx* ctx, char* font, double* height) {
  kes_gtext t{};
  std::memcpy(t.font, font, 8);
  t.height = static_cast<float>(*height);
  t.align = 1;
  t.text = "X";
  t.len = 1;
  gd_measure(ctx, &t, nullptr);
  std::memcpy(font, t.font, 8);
  *height = t.height;
}

void fonts(kes_ctx* ctx, kes_chart* c, const kes_gdevice& dev, bool* lab_found, double* lab_size, bool* val_found,
           double* val_size) {
  const kes_stmt* st = ctx->curreq->stmt;
  std::memset(c->labfont, ' ', 8), std::memset(c->valfont, ' ', 8), std::memset(c->datafont, ' ', 8);
  char fontres[8];
  std::memset(fontres, ' ', 8);
  if (c->style) {
    double data_size = 0;
    *lab_found = gd_style_font(ctx, "GraphLabelText", c->labfont, lab_size) != 0;
    *val_found = gd_style_font(ctx, "GraphValueText", c->valfont, val_size) != 0;
    gd_style_font(ctx, "GraphDataText", c->datafont, &data_size);
  }
  int len = 0;
  if (const char* f = kes_gtext_opt(st, KES_PLOT_SLOT_FONT, &len); len > 0) gd_font(ctx, f, len, fontres);
  if (!vzatl(' ', fontres, 8)) {
    std::memcpy(c->labfont, fontres, 8), std::memcpy(c->valfont, fontres, 8);
  } else if (!blank_font(dev.textfont)) {
    std::memcpy(c->labfont, dev.textfont, 8), std::memcpy(c->valfont, dev.textfont, 8);
  }
  c->celldev = vzatl(' ', c->valfont, 8) && dev.hwcells;
  if (c->celldev && ctx->curreq->classvars != nullptr && ctx->curreq->classvars->count > 0) {
    locale_font(c->labfont);
    xpmlog(KES_SET_LAYOUT, KES_MSG_DEVICE_NO_FONT_COMPARATIVE, 8, c->labfont);
    std::memcpy(c->valfont, c->labfont, 8);
    c->celldev = 0;
  }
  c->stacked = vzatl(' ', c->valfont, 8) || kes_gname_is(c->valfont, "NONE");
  if (!blank_font(dev.textfont)) std::memcpy(c->datafont, dev.textfont, 8);
  else if (!c->style) {
    if (!c->stacked) std::memcpy(c->datafont, c->valfont, 8);
    else if (c->celldev) locale_font(c->datafont);
  }
  if (const char* f = kes_gtext_opt(st, KES_PLOT_SLOT_INFONT, &len); len > 0) gd_font(ctx, f, len, c->insetfont);
  else if (!blank_font(dev.textfont)) std::memcpy(c->insetfont, dev.textfont, 8);
  else std::memcpy(c->insetfont, c->valfont, 8);
}

// Widest of the request's percent values as an axis writes them (-1 without any).
double widest_percent(kes_ctx* ctx, const kes_chart* c) {
  const kes_preq* r = ctx->curreq;
  char buf[KES_TICK_TEXT];
  double widest = -1.0;
  for (int i = 0; i < r->npctl; ++i) {
    kes_gtext g{};
    std::memcpy(g.font, c->valfont, 8);
    g.height = c->text_h;
    g.align = 1;
    g.len = kes_pctl_text(r->pctl[i], buf);
    g.text = buf;
    widest = std::max(widest, gd_measure(ctx, &g, nullptr));
  }
  return widest;
}

// Widest vertical tick value, and the form of the vertical values.
double vertical_values(kes_ctx* ctx, kes_chart* c, const host_varinfo* info, int zcompress) {
  const kes_preq* r = ctx->curreq;
  const kes_plotslot* key = kes_gkeyslot(ctx);
  char buf[KES_TICK_TEXT];
  double widest = -1.0;
  const auto measure = [&](int len) {
    kes_gtext g{};
    std::memcpy(g.font, c->valfont, 8);
    g.height = c->text_h;
    g.align = 1;
    g.len = len;
    g.text = buf;
    widest = std::max(widest, gd_measure(ctx, &g, nullptr));
  };
  // A rotated probability plot's vertical axis carries its percents.
  if (r->type == KES_PLOT_PROB && r->rotate) return widest_percent(ctx, c);
  const double s = key->vmin, t = key->vmax, d = key->vstep;
  const double e = std::max(std::fabs(s), std::fabs(t)) * KES_SQRT_EPS53 * 1000;
  const bool fmt = c->vx.format != 0;
  const bool pctlscale = r->pctlscale && r->rotate;
  c->vstyle = (fmt || pctlscale) ? kes_own_tick_style() : kes_axis_tick_style(s, t, d, e);
  if (!(d > 0) || t + e < s) return widest;
  const bool percents = !fmt && kes_pctlscale_text(ctx, kes_glayout(ctx)->vaxis, s, buf) >= 0;
  for (long i = 0, last = kes_tick_steps(s, t, d); i <= last; ++i) {
    const double v = kes_tick_snap(kes_tick_at(s, d, i), e);
    int len = percents ? kes_pctlscale_text(ctx, kes_glayout(ctx)->vaxis, v, buf) : -1;
    if (len < 0) len = kes_tick_text(v, fmt ? info : nullptr, c->vstyle, zcompress, buf);
    measure(len);
  }
  return widest;
}

void offsets(kes_ctx* ctx, kes_chart* c, kes_axis* hx, kes_axis* vx, double h0) {
  const kes_preq* r = ctx->curreq;
  const kes_stmt* st = r->stmt;
  const double a = c->aspect;
  double& hb = hx->offset[0];
  double& ha = hx->offset[1];
  double& vb = vx->offset[0];
  double& va = vx->offset[1];
  const bool ha_given = ha >= 0, va_given = va >= 0;
  if (!c->celldev) {
    const double i = c->inset_h;
    const double room = kes_pslot(st, KES_PLOT_SLOT_BARLABEL)->given ? i + std::min(0.5 * i, 1.0) : 0.0;
    if (hb < 0) hb = 0.3 * h0;
    if (vb >= 0) {
      if (!va_given) va = vb + room;
    } else {
      vb = 0;
      if (!va_given) va = 0.3 * h0 / a + room;
    }
    c->propband = 1.5;
    const bool cls = r->classvars != nullptr && r->classvars->count > 0;
    if (cls && r->nrows != 0 && !r->novtick) va = std::max(va, 1.5 * h0 - c->vcellgap);
    if (cls && kes_flag(st, KES_PLOT_FLAG_CPROP)) va += c->propband;
  } else {
    if (vb >= 0) {
      vb = gd_cell(ctx, vb, 2, 0) + 0.5 * c->ch;
      hb = hb >= 0 ? gd_cell(ctx, hb, 1, 0) + vb * a : 0.5 * c->ch * a;
      if (!va_given) va = vb;
    } else {
      vb = 0;
      if (!va_given) va = 0.5 * c->ch;
      hb = hb >= 0 ? gd_cell(ctx, hb, 1, 0) + va * a : va * a;
    }
    c->propband = vb;
  }
  if (r->type != KES_PLOT_HISTOGRAM) vb = va;
  if (!ha_given) ha = hb;
}

// Step 3: the label, value and inset text heights, each from HEIGHT= (INHEIGHT= for
// insets), else the device's text height, else the font's size, else the cell
// height; then measured in the chart's fonts. The label height before measuring.
// A text height of 0 or below would collapse the texts onto their baselines: such a
// HEIGHT= or INHEIGHT= is refused, saying so, and counts as not given.
bool positive_height(kes_ctx* ctx, const kes_stmt* st, int slot, const char* option) {
  if (!kes_pslot(st, slot)->given) return false;
  const double h = kes_pnumber(st, slot);
  if (h > 0) return true;
  xspplace(st, slot);
  xpmlog(KES_SET_PROC, KES_MSG_TEXT_HEIGHT_NOT_POSITIVE, option, h, kes_plot_statements[ctx->curreq->type]);
  return false;
}

double heights(kes_ctx* ctx, kes_chart* c, const kes_stmt* st, const kes_gdevice& dev, bool lab_found,
               double lab_size, bool val_found, double val_size) {
  const bool height_given = positive_height(ctx, st, KES_PLOT_SLOT_HEIGHT, "HEIGHT");
  const bool inheight_given = positive_height(ctx, st, KES_PLOT_SLOT_INHEIGHT, "INHEIGHT");
  const auto chain = [&](bool found, double size) {
    if (height_given) return kes_pnumber(st, KES_PLOT_SLOT_HEIGHT);
    if (dev.text_height > 0) return dev.text_height;
    if (found && size > 0) return size;
    return dev.ch;
  };
  // Every room of the page is made for these heights: one below the least that reads
  // is raised here, so that every text is drawn at the height its room was made for.
  const auto readable = [least = gd_least_text(ctx)](double h) { return std::max(h, least); };
  c->label_h = readable(chain(lab_found, lab_size));
  const double h0 = c->label_h;
  c->text_h = readable(chain(val_found, val_size));
  if (inheight_given) c->inset_h = readable(kes_pnumber(st, KES_PLOT_SLOT_INHEIGHT));
  else if (val_found && val_size > 0 && !height_given) c->inset_h = readable(val_size);
  else c->inset_h = h0;
  measure_x(ctx, c->labfont, &c->label_h);
  measure_x(ctx, c->valfont, &c->text_h);
  measure_x(ctx, c->insetfont, &c->inset_h);
  return h0;
}

// Step 6: which axis shows its values in the variable's format; info gets the
// variable's description.
void format_flags(kes_ctx* ctx, kes_chart* c, host_varinfo* info) {
  const kes_preq* r = ctx->curreq;
  const bool has_format =
      xvname(ctx->data, ctx->varnums != nullptr ? ctx->varnums[ctx->curvar] : ctx->curvar, info) == 0 &&
      kes_has_format(*info);
  c->hx.format = c->vx.format = 0;
  if (!has_format) return;
  const bool rotate = kes_flag(r->stmt, KES_PLOT_FLAG_ROTATE);
  if (r->type == KES_PLOT_QQ || r->type == KES_PLOT_PROB) {
    // The two-parameter Weibull's data axis holds log(value - threshold), which the
    // variable's format does not describe.
    if (r->dist != KES_DIST_WEIBULL2) (rotate ? c->hx.format : c->vx.format) = 1;
  } else if (r->type != KES_PLOT_PP) {
    c->hx.format = 1;
  }
}

// Steps 11 and 12: tick lengths not given, the gaps between ticks and their values,
// and the gap between text lines.
void tick_gaps(kes_chart* c, kes_axis* hx, kes_axis* vx, double h0) {
  const double a = c->aspect;
  if (vx->major_len < 0) vx->major_len = std::min(0.4 * c->ch, 1.0);
  if (hx->major_len < 0) hx->major_len = vx->major_len / a;
  if (vx->minor_len < 0) vx->minor_len = 0.5 * vx->major_len;
  if (hx->minor_len < 0) hx->minor_len = 0.5 * hx->major_len;
  if (c->celldev) {
    c->hgap_tv = 0.5 * c->cw - vx->major_len - hx->offset[0];
    for (int i = 0; c->hgap_tv < 0.25 && i < 1000 && c->cw > 0; ++i) c->hgap_tv += c->cw;
    c->vgap_tv = c->ch - hx->major_len;
    c->linegap = 0;
  } else {
    c->vgap_tv = 0.5 * c->ch;
    c->hgap_tv = c->vgap_tv * a;
    // The lowest vertical tick value stands centred on its tick at the plot area's
    // foot, its ink reaching about 0.6 of its height below: the horizontal values keep
    // below it where the text is tall (HEIGHT=) beside the character cell.
    c->vgap_tv = std::max(c->vgap_tv, 0.6 * c->text_h - vx->offset[0] - hx->major_len);
    c->linegap = 0.2 * h0;
  }
}

// Step 13: the rooms at the side and on top for the panels' level labels (and their
// variables' labels), and on top for a QQ plot's percentile axis.
void label_rooms(kes_ctx* ctx, kes_chart* c, double h0, double gm) {
  const kes_preq* r = ctx->curreq;
  const double a = c->aspect;
  const double b = 1.6 * h0;
  const kes_classvars* cv = r->classvars;
  const int ncls = cv != nullptr ? cv->count : 0;
  c->lroom = c->troom = 0;
  if (ncls == 1 && kes_levels_at_side(ctx)) {
    // Panels in rows carry their levels at the side, panels in columns on top.
    c->lroom = b * a + c->htick_unit;
    if (cv->var[0].label_shown) c->lroom += b * a + gm;
  } else if (ncls == 1) {
    c->troom = b + c->vtick_unit;
    if (cv->var[0].label_shown) c->troom += b + gm / a;
  } else if (ncls == 2) {
    c->lroom = b * a + c->htick_unit;
    c->troom = b + c->vtick_unit;
    if (cv->var[0].label_shown) c->lroom += b * a + gm;
    if (cv->var[1].label_shown) c->troom += b + gm / a;
  }

  // The percentile axis of a QQ plot across the top: its ticks and values (and its
  // LABEL= line) above the plot.
  if (r->type == KES_PLOT_QQ && r->pctlaxis && !r->rotate) {
    c->troom += r->layout->haxis.major_len + c->vgap_tv + c->text_h;
    if (kes_pgiven(r->stmt, KES_PLOT_SLOT_PCTLAXIS_LABEL)) c->troom += h0 + c->vtick_unit;
  }
}

// Step 14: the form of the horizontal tick values and the widest of them (every
// kMeasureEvery-th measured); *first and *last get the widths of the first and the
// last measured.
void horizontal_values(kes_ctx* ctx, kes_chart* c, const host_varinfo* info, double* first,
                       double* last) {
  const kes_preq* r = ctx->curreq;
  const kes_axis* hx = &r->layout->haxis;
  const kes_plotslot* key = kes_gkeyslot(ctx);
  // An unrotated probability plot's horizontal axis carries its percents.
  const bool percents = r->type == KES_PLOT_PROB && !r->rotate && r->npctl > 0;
  const int n = percents ? r->npctl : key->npoints;
  const double s = percents ? r->pctl[0] : key->hlow, t = percents ? r->pctl[n - 1] : key->hhigh, d = key->width;
  const int k = n / kMeasureEvery + 1;
  const double e = std::max(std::fabs(s), std::fabs(t)) * KES_SQRT_EPS53 * 1000;
  c->hstyle = kes_own_tick_style();
  if (!c->hx.format && !percents && !(r->pctlscale && !r->rotate))
    c->hstyle = kes_axis_tick_style(s + hx->nseq * d, t, d, e, k);
  *first = labwidth(ctx, info, c->hx.format, s, 0);
  double widest = *first;
  *last = *first;
  for (int i = k; i < n; i += k) {
    const double v = percents ? r->pctl[i] : kes_tick_at(s, d, i);
    *last = labwidth(ctx, info, c->hx.format, v, i);
    widest = std::max(widest, *last);
  }
  c->hwidest = c->hwidest_ticks = widest;
}

}  // namespace

void kesgmar(kes_ctx* ctx) {
  kes_preq* r = ctx->curreq;
  kes_layout* lay = r->layout;
  kes_chart* c = &lay->c;
  const kes_stmt* st = r->stmt;
  kes_gdevice dev{};
  gd_device(ctx, &dev);

  // 1. Cell and aspect.
  c->cw = dev.cw, c->ch = dev.ch, c->aspect = dev.aspect > 0 ? dev.aspect : 1.0;
  std::memset(c->noted, 0, sizeof c->noted);
  c->style = dev.style != 0;
  const double a = c->aspect;

  // 2. Fonts.
  bool lab_found = false, val_found = false;
  double lab_size = 0, val_size = 0;
  fonts(ctx, c, dev, &lab_found, &lab_size, &val_found, &val_size);

  // 3. Heights.
  const double h0 = heights(ctx, c, st, dev, lab_found, lab_size, val_found, val_size);

  // 4. Cell gaps.
  double g = 0.75;
  const bool intertile = kes_pslot(st, KES_PLOT_SLOT_INTERTILE)->given;
  if (intertile) g = std::max(0.0, kes_pnumber(st, KES_PLOT_SLOT_INTERTILE));
  c->hcellgap = g;
  c->vcellgap = g / a;
  // Shapes fitted per cell give every row of a probability plot its own percent axis,
  // and of a QQ plot its own percentile axis: the rows keep room between them for its
  // ticks and values.
  const bool own_percents = r->pctl_per_cell && (r->type == KES_PLOT_PROB || (r->type == KES_PLOT_QQ && r->pctlaxis));
  if (own_percents && !r->rotate && r->nrows != 1) c->vcellgap += 2 * h0;
  const double gm = std::min(g, 0.75);

  // 5. Initial margins.
  const bool bottom0 = c->pagearea[1] == 0;
  c->lmargin = c->celldev ? c->cw : 1.0;
  if (c->celldev) c->bmargin = bottom0 ? c->ch : 0;
  else c->bmargin = bottom0 ? 1.0 / a : 0.25 * c->ch;
  c->rmargin = c->lmargin2 = c->lmargin;
  c->tmargin = c->bmargin2 = c->bmargin;

  // 6. Format flags.
  host_varinfo info{};
  format_flags(ctx, c, &info);

  // 7. Axis labels.
  axisfnt(ctx, &lay->haxis, &c->hx, &info, 0);
  axisfnt(ctx, &lay->vaxis, &c->vx, &info, 1);

  // 8. Vertical label room and tick units.
  c->vlabroom = c->vx.widest_label > 0 ? c->vx.widest_label : c->celldev ? c->cw : h0 * a;
  if (c->celldev) {
    c->vtick_unit = c->ch;
    c->htick_unit = c->cw;
  } else {
    c->htick_unit = 0.5 * h0;
    c->vtick_unit = c->htick_unit / a;
  }

  // 9. Vertical tick values.
  const int zcompress = kes_zcompress(ctx);
  kes_gkeyslot(ctx)->vwidest = vertical_values(ctx, c, &info, zcompress);

  // 10. Axis offsets.
  kes_axis* hx = &lay->haxis;
  kes_axis* vx = &lay->vaxis;
  offsets(ctx, c, hx, vx, h0);

  // 11 and 12. Tick lengths, tick-value gaps and line gap.
  tick_gaps(c, hx, vx, h0);

  // 13. Rooms for panel labels.
  label_rooms(ctx, c, h0, gm);

  // 14. Horizontal tick values: the widths of the first and the last.
  double first = 0, last = 0;
  horizontal_values(ctx, c, &info, &first, &last);
  c->hend_w[0] = first, c->hend_w[1] = last;

  // Shapes fitted per cell give every column of a rotated probability plot its own
  // percent axis: the columns keep room between them for its ticks and values.
  if (r->type == KES_PLOT_PROB && r->pctl_per_cell && r->rotate && r->ncols > 1 && !r->novtick)
    c->hcellgap += kes_gkeyslot(ctx)->vwidest + c->hgap_tv + vx->major_len;
  // A rotated QQ plot's own percentile axes stand right of each column.
  if (own_percents && r->type == KES_PLOT_QQ && r->rotate && r->ncols > 1)
    c->hcellgap += widest_percent(ctx, c) + c->hgap_tv + vx->major_len;

  // 15. Right margin and panel gap (not for bars labelled at their midpoints).
  if (!(r->type == KES_PLOT_HISTOGRAM && !r->endpoints)) {
    if (hx->offset[1] < last / 2) c->rmargin += last / 2 - hx->offset[1];
    if (r->ncols > 1 && !intertile) {
      const double need = first / 2 + last / 2 + 0.55;
      if (hx->offset[1] + c->hcellgap + hx->offset[0] < need) c->hcellgap += need - (hx->offset[1] + c->hcellgap + hx->offset[0]);
    }
  }
}
