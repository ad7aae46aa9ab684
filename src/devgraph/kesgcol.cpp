// kesgcol(ctx): the colours and line attributes of a page: every element takes its
// statement option, else the style's element when a style is in force, else the
// device's own default; then the axes' colours and their texts' colours.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>

#include "devgraph/chart_access.h"
#include "devgraph/chart_layout.h"
#include "devgraph/gdev.h"
#include "host/host_services.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "util/readable_colour.h"

namespace {

constexpr int kMaxLineType = 46;

struct resolver {
  kes_ctx* ctx;
  const kes_stmt* st;
  bool style;

  // The colour number of a name option, when given.
  bool option(int slot, int* out) const {
    if (!kes_pgiven(st, slot)) return false;
    char name[8];
    kes_gname_opt(st, slot, name);
    *out = gd_colour(ctx, name);
    return true;
  }
  bool style_colour(int (*get)(kes_ctx*, const char*, char*), const char* element, int* out) const {
    if (!style) return false;
    char name[8];
    std::memset(name, ' ', 8);
    if (get(ctx, element, name) == 0) return false;
    *out = gd_colour(ctx, name);
    return true;
  }
  int style_number(int (*get)(kes_ctx*, const char*, int*), const char* element, int fallback) const {
    int v = fallback;
    if (style && get(ctx, element, &v) != 0) return v;
    return fallback;
  }
};

// A line type option used when it lies in 1..46; otherwise the note, once per request.
int line_type(const kes_stmt* st, int slot, const char* option, int fallback, std::uint8_t* noted) {
  if (!kes_pgiven(st, slot)) return fallback;
  const double v = std::trunc(kes_pnumber(st, slot));
  if (v >= 1 && v <= kMaxLineType) return static_cast<int>(v);
  if (!*noted) {
    xpmlog(KES_SET_GRAPH, KES_MSG_LINE_TYPE_OUT_OF_RANGE, option);
    *noted = 1;
  }
  return fallback;
}

// The axis colour (CAXIS=, else the style's, else the foreground) and whether CAXIS=
// gave it; the axis lines and tick marks take their own colours, else the axis'.
struct axis_colour {
  int axis;
  bool caxis;
};
axis_colour axis_lines(const resolver& rs, int fg) {
  kes_ctx* ctx = rs.ctx;
  const kes_preq* r = ctx->curreq;
  kes_layout* lay = r->layout;
  kes_chart* c = &lay->c;
  int axis = fg;
  const bool caxis = rs.option(KES_PLOT_SLOT_CAXIS, &axis);
  if (!caxis) rs.style_colour(gd_style_contrast, "GraphAxisLines", &axis);
  kes_axis* ax[2] = {&lay->haxis, &lay->vaxis};
  kes_axisdraw* ad[2] = {&c->hx, &c->vx};
  if (caxis) {
    ad[0]->line_colour = ad[1]->line_colour = axis;
  } else {
    const bool own[2] = {!kes_gblank(ax[0]->color), !kes_gblank(ax[1]->color)};
    for (int i = 0; i < 2; ++i) {
      const kes_axis* src = own[i] ? ax[i] : (!r->noframe && own[1 - i] ? ax[1 - i] : nullptr);
      ad[i]->line_colour = src != nullptr ? gd_colour(ctx, src->color) : axis;
    }
  }
  for (int i = 0; i < 2; ++i) {
    const auto tick = [&](const char* own) {
      if (!kes_gblank(own)) return gd_colour(ctx, own);
      if (!caxis && !kes_gblank(ax[i]->color)) return gd_colour(ctx, ax[i]->color);
      return axis;
    };
    ad[i]->major_colour = tick(ax[i]->major_color);
    ad[i]->minor_colour = tick(ax[i]->minor_color);
  }
  return {axis, caxis};
}

// The texts' colours: CTEXT=, else the device's text colour, else the style's
// elements; the side and top texts their own options. True when the program or the
// device chose the text colour.
bool text_colours(const resolver& rs, kes_colorset& k, int fg) {
  k.text = fg;
  bool text_explicit = rs.option(KES_PLOT_SLOT_CTEXT, &k.text);
  if (!text_explicit && rs.ctx->device != nullptr) {
    char opt[8];
    if (gd_text_colour(rs.ctx, opt) && !kes_gblank(opt)) {
      k.text = gd_colour(rs.ctx, opt);
      text_explicit = true;
    }
  }
  if (!text_explicit) rs.style_colour(gd_style_colour, "GraphValueText", &k.text);
  k.label = k.data = k.text;
  if (!text_explicit) {
    rs.style_colour(gd_style_colour, "GraphLabelText", &k.label);
    rs.style_colour(gd_style_colour, "GraphDataText", &k.data);
  }
  k.side = k.top = k.text;
  rs.option(KES_PLOT_SLOT_CTEXTSIDE, &k.side);
  rs.option(KES_PLOT_SLOT_CTEXTTOP, &k.top);
  return text_explicit;
}

// The reference lines and their labels, the walls, the proportion bar and the panel
// label backgrounds.
void reference_and_fill_colours(const resolver& rs, kes_colorset& k, int fg, int contrast) {
  k.hreflab = k.vreflab = k.text;
  k.href = k.vref = fg;
  if (rs.option(KES_PLOT_SLOT_CHREF, &k.href)) k.hreflab = k.href;
  else rs.style_colour(gd_style_contrast, "GraphReference", &k.href);
  if (rs.option(KES_PLOT_SLOT_CVREF, &k.vref)) k.vreflab = k.vref;
  else rs.style_colour(gd_style_contrast, "GraphReference", &k.vref);

  k.frame_fill = contrast;
  if (!rs.option(KES_PLOT_SLOT_CFRAME, &k.frame_fill) && rs.style) {
    k.frame_fill = -1;
    rs.style_colour(gd_style_background, "GraphWalls", &k.frame_fill);
  }
  k.prop = contrast;
  if (kes_pgiven(rs.st, KES_PLOT_SLOT_CPROP_COLOR)) {
    char p[8];
    kes_gname_opt(rs.st, KES_PLOT_SLOT_CPROP_COLOR, p);
    k.prop = kes_gname_is(p, "EMPTY") || kes_gname_is(p, "NONE") ? -1 : gd_colour(rs.ctx, p);
  } else {
    rs.style_colour(gd_style_colour, "GraphData1", &k.prop);
  }
  k.top_header = k.side_header = contrast;
  rs.option(KES_PLOT_SLOT_CFRAMETOP, &k.top_header);
  rs.option(KES_PLOT_SLOT_CFRAMESIDE, &k.side_header);
}

// The bar outlines' colour, width and style, and the grid's.
void outline_and_grid(const resolver& rs, kes_chart* c, int fg, int contrast) {
  kes_colorset& k = c->colors;
  const kes_stmt* st = rs.st;
  const kes_symattr* e0 = c->symattr;
  k.outline = e0 != nullptr ? gd_colour(rs.ctx, e0->color) : fg;
  if (!rs.option(KES_PLOT_SLOT_CBARLINE, &k.outline) && e0 != nullptr && e0->defined == 0)
    rs.style_colour(gd_style_colour, "GraphOutlines", &k.outline);
  k.outline_width = e0 != nullptr ? e0->line_width : 1;
  if (kes_pgiven(st, KES_PLOT_SLOT_WBARLINE)) k.outline_width = static_cast<int>(kes_pnumber(st, KES_PLOT_SLOT_WBARLINE));
  else if (e0 == nullptr || e0->defined == 0) k.outline_width = rs.style_number(gd_style_linewidth, "GraphOutlines", k.outline_width);
  k.outline_style = rs.style_number(gd_style_linestyle, "GraphOutlines", 1);

  // Grid: it recedes behind the data, so without CGRID= it takes the device's light
  // contrast colour rather than the axis colour.
  k.grid = contrast;
  if (!rs.option(KES_PLOT_SLOT_CGRID, &k.grid)) rs.style_colour(gd_style_colour, "GraphGridLines", &k.grid);
  k.grid_style = rs.style_number(gd_style_linestyle, "GraphGridLines", 1);
  if (kes_pgiven(st, KES_PLOT_SLOT_LGRID)) {
    const double v = std::trunc(kes_pnumber(st, KES_PLOT_SLOT_LGRID));
    k.grid_style = static_cast<int>(v < 1 ? 1 : v > kMaxLineType ? kMaxLineType : v);
  }
  const kes_axis* hax = &rs.ctx->curreq->layout->haxis;
  k.grid_width = rs.style_number(gd_style_linewidth, "GraphGridLines", hax->width > 0 ? hax->width : 1);
  if (kes_pgiven(st, KES_PLOT_SLOT_WGRID)) k.grid_width = static_cast<int>(kes_pnumber(st, KES_PLOT_SLOT_WGRID));
}

// The axes' line types and widths (one axis' own value serves both unless NOFRAME),
// the reference lines' width and types, and the frame lines'.
void axis_and_frame_lines(const resolver& rs, const axis_colour& ac) {
  const kes_preq* r = rs.ctx->curreq;
  kes_layout* lay = r->layout;
  kes_chart* c = &lay->c;
  kes_colorset& k = c->colors;
  kes_axis* ax[2] = {&lay->haxis, &lay->vaxis};
  kes_axisdraw* ad[2] = {&c->hx, &c->vx};
  if (!r->noframe) {
    if (ad[1]->line_type >= 1) ad[0]->line_type = ad[1]->line_type;
    else if (ad[0]->line_type >= 1) ad[1]->line_type = ad[0]->line_type;
    if (ax[1]->width > 0) ax[0]->width = ax[1]->width;
    else if (ax[0]->width > 0) ax[1]->width = ax[0]->width;
  }
  for (int i = 0; i < 2; ++i) {
    if (ad[i]->line_type < 1) ad[i]->line_type = rs.style_number(gd_style_linestyle, "GraphAxisLines", 1);
    if (ax[i]->width < 0) ax[i]->width = static_cast<short>(rs.style_number(gd_style_linewidth, "GraphAxisLines", 1));
  }
  k.ref_width = rs.style_number(gd_style_linewidth, "GraphReference", ax[0]->width);
  const int ref_style = rs.style_number(gd_style_linestyle, "GraphReference", 2);
  k.href_style = line_type(rs.st, KES_PLOT_SLOT_LHREF, "LHREF=", ref_style, &c->lhref_noted);
  k.vref_style = line_type(rs.st, KES_PLOT_SLOT_LVREF, "LVREF=", ref_style, &c->lvref_noted);

  k.frame = ac.axis;
  if (!ac.caxis) rs.style_colour(gd_style_contrast, "GraphBorderLines", &k.frame);
  k.frame_width = kes_pgiven(rs.st, KES_PLOT_SLOT_WAXIS)
                      ? ax[0]->width
                      : rs.style_number(gd_style_linewidth, "GraphBorderLines", ax[0]->width);
  k.frame_style = rs.style_number(gd_style_linestyle, "GraphBorderLines", 1);
}

// Texts over the program's own fills: cell notes and bar labels over the walls
// (CFRAME=), the panel labels over their bands (CFRAMESIDE=, CFRAMETOP=). Reference
// labels stand over bars as often as over the walls: their drawers choose by what
// lies beneath each, unless the program gave them a colour (CTEXT=, CHREF=, CVREF=).
void texts_over_fills(const resolver& rs, kes_colorset& k, bool text_chosen) {
  k.on_wall = k.text;
  k.hreflab_own = text_chosen || kes_pgiven(rs.st, KES_PLOT_SLOT_CHREF);
  k.vreflab_own = text_chosen || kes_pgiven(rs.st, KES_PLOT_SLOT_CVREF);
  if (text_chosen) return;
  if (kes_pgiven(rs.st, KES_PLOT_SLOT_CFRAME)) k.on_wall = kes_readable_colour(k.text, k.frame_fill);
  if (kes_pgiven(rs.st, KES_PLOT_SLOT_CFRAMESIDE) && !kes_pgiven(rs.st, KES_PLOT_SLOT_CTEXTSIDE))
    k.side = kes_readable_colour(k.side, k.side_header);
  if (kes_pgiven(rs.st, KES_PLOT_SLOT_CFRAMETOP) && !kes_pgiven(rs.st, KES_PLOT_SLOT_CTEXTTOP))
    k.top = kes_readable_colour(k.top, k.top_header);
}

}  // namespace

void kesgcol(kes_ctx* ctx) {
  kes_preq* r = ctx->curreq;
  kes_layout* lay = r->layout;
  kes_chart* c = &lay->c;
  kes_colorset& k = c->colors;
  const kes_stmt* st = r->stmt;
  const resolver rs{ctx, st, c->style != 0};

  char name[8];
  gd_colour_name(ctx, 1, name);
  const int fg = gd_colour(ctx, name);
  // The contrast fill: device colour 3, else 2, else the foreground.
  int contrast = fg;
  for (int i : {3, 2}) {
    gd_colour_name(ctx, i, name);
    if (!kes_gblank(name)) {
      contrast = gd_colour(ctx, name);
      break;
    }
  }

  const axis_colour ac = axis_lines(rs, fg);
  const bool text_chosen = text_colours(rs, k, fg);
  reference_and_fill_colours(rs, k, fg, contrast);
  texts_over_fills(rs, k, text_chosen);
  outline_and_grid(rs, c, fg, contrast);
  axis_and_frame_lines(rs, ac);
  k.fill2 = 0;
  k.fill2_char = 'N';

  // Bar fills: a blank colour takes the outline's.
  if (r->type == KES_PLOT_HISTOGRAM) {
    const kes_symattr* e0 = c->symattr;
    char outline[8];
    if (kes_pgiven(st, KES_PLOT_SLOT_CBARLINE)) kes_gname_opt(st, KES_PLOT_SLOT_CBARLINE, outline);
    else std::memcpy(outline, e0 != nullptr ? e0->color : "        ", 8);
    for (auto& f : c->fill)
      if (kes_gblank(f.color)) std::memcpy(f.color, outline, 8);
  }

  axiscol(ctx, &lay->haxis, c->hx.line_colour);
  axiscol(ctx, &lay->vaxis, c->vx.line_colour);
}
