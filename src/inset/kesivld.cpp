// kesivld: the boxes of a cell placed inside its frame: at a compass position, at
// user coordinates (percent of the frame, or data values), shrunk when they cross the
// frame, disabled when they overlap an earlier box; margin boxes follow the panel.
#include <cmath>
#include <cstring>

#include "fit/kes_estframe.h"
#include "fit/kes_famfn.h"
#include "fitreport/kes_famsets.h"
#include "host/host_graph.h"
#include "host/host_services.h"
#include "inset/inset_build.h"
#include "inset/inset_device.h"
#include "inset/inset_place.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "records/kes_cell.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_layout.h"
#include "records/kes_plotslot.h"
#include "records/stmt_slots.h"
#include "util/kes_text.h"

namespace {

bool is(const kes_insetbox* b, const char* w) {
  char word[8];
  std::memset(word, ' ', 8);
  std::memcpy(word, w, std::strlen(w));
  return std::memcmp(b->position, word, 8) == 0;
}
bool ref(const kes_insetbox* b, const char* w) { return std::memcmp(b->refpoint, w, 2) == 0; }

double outer_width(const kes_insetbox* b) { return b->box_width + 2 * b->hmargin; }

void set_left(kes_insetbox* b, double left) { b->left = left, b->right = left + outer_width(b); }
void set_right(kes_insetbox* b, double right) { b->right = right, b->left = right - outer_width(b); }
void set_top(kes_insetbox* b, double top) { b->top = top, b->bottom = top - b->box_height; }
void set_bottom(kes_insetbox* b, double bottom) { b->bottom = bottom, b->top = bottom + b->box_height; }
void set_hcentre(kes_insetbox* b, double c) { set_left(b, c - 0.5 * outer_width(b)); }
void set_vcentre(kes_insetbox* b, double c) { set_top(b, c + 0.5 * b->box_height); }

// The box in device-text mode: its height from the text cells.
void cell_height(kes_insetbox* b) {
  const double c = ggcell(0, 1.0, 2, 1);
  b->cell_height = c > 0 ? c : b->text_height;
  b->vmargin = 0.5 * b->cell_height;
  b->box_height = (b->nrows + 1) * b->cell_height + (b->header_len > 0 ? 2 * b->cell_height : 0);
}

// The percent coordinate of a DATA position on the probability axis as the axis'
// standardized quantile, through the family of the key cell's curve.
bool percent_to_quantile(kes_ctx* ctx, double pct, double* out) {
  const kes_preq* rq = ctx->curreq;
  kes_cell* key = rq->classvars != nullptr ? rq->classvars->keycell : nullptr;
  kes_plotslot* slot = kes_plot_slot(ctx, rq, key);
  const kes_curve* c = kes_fit_curve(slot);
  const kes_famfn* fn = c != nullptr ? kes_famdisp(c->dist) : nullptr;
  if (fn == nullptr || fn->q == nullptr) {
    *out = pct;
    return true;
  }
  *out = fn->q(ctx, slot, pct / 100.0);
  return !std::isnan(*out);
}

// A "USER" box: the point from the coordinates, then the reference corner.
bool place_user(kes_ctx* ctx, kes_insetbox* b, const kes_inset_frame& f) {
  double x = b->x, y = b->y;
  if (b->coord_kind == KES_ICOORD_PERCENT) {
    bool ok = true;
    if (!(x > 0 && x < 100)) {
      if (kes_inset_once(ctx, KES_IN_X_PCT)) xpmlog(KES_SET_LABEL, KES_MSG_INSET_X_NOT_A_PERCENT);
      ok = false;
    }
    if (!(y > 0 && y < 100)) {
      if (kes_inset_once(ctx, KES_IN_Y_PCT)) xpmlog(KES_SET_LABEL, KES_MSG_INSET_Y_NOT_A_PERCENT);
      ok = false;
    }
    if (!ok) return false;
    x = f.L + x / 100 * (f.R - f.L);
    y = f.B + y / 100 * (f.T - f.B);
  } else {
    const kes_preq* rq = ctx->curreq;
    const bool prob = rq->type == KES_PLOT_PROB;
    const bool vertical = prob && kes_flag(rq->stmt, KES_PLOT_FLAG_ROTATE);
    double* pct = !prob ? nullptr : vertical ? &y : &x;
    if (pct != nullptr) {
      // Every family converts, the Johnson families included.
      if (!(*pct > 0 && *pct < 100) || !percent_to_quantile(ctx, *pct, pct)) {
        xpmlog(KES_SET_LABEL, vertical ? KES_MSG_INSET_Y_OUTSIDE_PLOT : KES_MSG_INSET_X_OUTSIDE_PLOT);
        return false;
      }
    }
    x = std::ldexp(x, f.xexp) * f.xscale + f.xoffset;
    y = std::ldexp(y, f.yexp) * f.yscale + f.yoffset;
    bool ok = true;
    if (x < f.L || x > f.R) {
      if (kes_inset_once(ctx, KES_IN_X_DATA)) xpmlog(KES_SET_LABEL, KES_MSG_INSET_X_OUTSIDE_PLOT);
      ok = false;
    }
    if (y < f.B || y > f.T) {
      if (kes_inset_once(ctx, KES_IN_Y_DATA)) xpmlog(KES_SET_LABEL, KES_MSG_INSET_Y_OUTSIDE_PLOT);
      ok = false;
    }
    if (!ok) return false;
  }
  if (ref(b, "TR")) set_right(b, x), set_top(b, y);
  else if (ref(b, "TL")) set_left(b, x), set_top(b, y);
  else if (ref(b, "BR")) set_right(b, x), set_bottom(b, y);
  else {
    std::memcpy(b->refpoint, "BL      ", 8);
    set_left(b, x), set_bottom(b, y);
  }
  return true;
}

// The device text grid for the anchored edge.
void snap(kes_insetbox* b, const kes_inset_frame& f, bool top_anchor) {
  const double c = b->cell_height;
  if (top_anchor) {
    double top = ggcell(0, b->top, 2, 0) + 0.5 * c;
    if (top >= f.T) top -= c;
    set_top(b, top);
  } else {
    double bottom = ggcell(0, b->bottom, 2, 0) - 0.5 * c;
    while (!(bottom > f.B + b->shadow)) bottom += c;
    set_bottom(b, bottom);
  }
}

}  // namespace

bool kes_inset_margin_word(const char* w) {
  return (w[0] == 'T' || w[0] == 'B' || w[0] == 'L' || w[0] == 'R') && w[1] == 'M' && w[2] == ' ';
}

void kes_inset_follow(kes_insetbox* b) {
  b->shadow_right = b->right + b->shadow;
  b->shadow_bottom = b->bottom - b->shadow;
  if (b->header_len > 0) {
    b->rule_left = b->left;
    b->rule_right = b->right;
    b->rule_y = b->devtext ? b->top - 2 * b->cell_height : b->top - b->text_height - 2 * b->vmargin;
  }
}

void kes_inset_scale(kes_insetbox* b, double s, bool columns, bool shadow) {
  double* const fields[] = {&b->text_height, &b->box_width,  &b->hmargin,           &b->colspace,
                            &b->box_height,  &b->vmargin,    &b->rowgap,            &b->block_header_width,
                            &b->block_label_width, &b->blank_width, &b->sample_width};
  for (double* x : fields) *x *= s;
  if (columns) b->label_width *= s, b->value_width *= s;
  if (shadow) b->shadow *= s;
}

void kes_inset_positions(kes_ctx* ctx, const kes_inset_frame& f) {
  for (kes_insetbox* b = ctx->insets; b != nullptr; b = b->next) {
    if (!b->enabled || kes_inset_margin_word(b->position)) continue;
    if (b->devtext) cell_height(b);
    const bool corner = is(b, "NW") || is(b, "NE") || is(b, "SW") || is(b, "SE");
    const bool left_side = is(b, "NW") || is(b, "SW") || is(b, "W");
    double gx = (left_side || is(b, "N") || is(b, "S")) ? f.hbefore : f.hafter;
    if (gx > 0.02 * (f.R - f.L)) gx = 0.02 * (f.R - f.L);
    double gy = gx / (f.aspect > 0 ? f.aspect : 1.0);
    if (corner && gx > 5 && gy > 5) gx = 2 * f.aspect, gy = 2;
    if ((is(b, "N") || is(b, "S")) && gy > 5) gy = 2;
    if ((is(b, "E") || is(b, "W")) && gx > 5) gx = 2 * f.aspect;
    const double hc = f.plot_left + 0.5 * f.plot_width, vc = f.plot_bottom + 0.5 * f.plot_height;
    bool top_anchor = true, bottom_anchor = false;
    if (is(b, "NW")) set_left(b, f.L + gx), set_top(b, f.T - gy);
    else if (is(b, "SW")) set_left(b, f.L + gx), set_bottom(b, f.B + gy), bottom_anchor = true;
    else if (is(b, "NE")) set_right(b, f.R - gx), set_top(b, f.T - gy);
    else if (is(b, "SE")) set_right(b, f.R - gx), set_bottom(b, f.B + gy), bottom_anchor = true;
    else if (is(b, "N")) set_hcentre(b, hc), set_top(b, f.T - gy);
    else if (is(b, "S")) set_hcentre(b, hc), set_bottom(b, f.B + gy), bottom_anchor = true;
    else if (is(b, "W")) set_left(b, f.L + gx), set_vcentre(b, vc);
    else if (is(b, "E")) set_right(b, f.R - gx), set_vcentre(b, vc);
    else if (is(b, "USER")) {
      if (!place_user(ctx, b, f)) {
        b->enabled = 0;
        continue;
      }
      top_anchor = false, bottom_anchor = true;
    } else {
      if (kes_inset_once(ctx, KES_IN_WORD)) {
        xspplace(b->stmt, KES_INSET_SLOT_POSITION);
        xpmlog(KES_SET_LABEL, KES_MSG_POSITION_NOT_INSET_POSITION, wzstrip(b->position, 8), b->position);
      }
      b->enabled = 0;
      continue;
    }
    if (b->shadow > 0 && !is(b, "USER")) {
      if (is(b, "NE") || is(b, "SE") || is(b, "E")) set_left(b, b->left - b->shadow);
      if (bottom_anchor) set_bottom(b, b->bottom + b->shadow);
      if (is(b, "N") || is(b, "S")) set_left(b, b->left - 0.5 * b->shadow);
    }
    if (b->devtext && (top_anchor || bottom_anchor) && !(is(b, "W") || is(b, "E"))) snap(b, f, !bottom_anchor);
    kes_inset_follow(b);
  }
}

void kes_inset_fit(kes_ctx* ctx, const kes_inset_frame& f) {
  for (kes_insetbox* b = ctx->insets; b != nullptr; b = b->next) {
    if (!b->enabled || kes_inset_margin_word(b->position)) continue;
    auto outside = [&] {
      return !(b->left > f.L) || !(b->right + b->shadow < f.R) || !(b->bottom - b->shadow > f.B) || !(b->top < f.T);
    };
    if (!outside()) continue;
    if (b->devtext) {
      kes_inset_default_font(b);
      const int fl = kes_inset_font_len(b);
      if (is(b, "USER")) xpmlog(KES_SET_LABEL, KES_MSG_INSET_AT_XY_FONT, b->x, b->y, fl, b->font);
      else xpmlog(KES_SET_LABEL, KES_MSG_INSET_AT_POSITION_FONT, wzstrip(b->position, 8), b->position, fl, b->font);
      b->devtext = 0;
      kes_inset_row_spacing(b);
      kes_inset_measure_rows(b, false);
    }
    double total = 1;
    const bool user = is(b, "USER");
    // One case of the table: the box shrinks by s keeping `kept` on the case's axis,
    // and on the other axis keeps its low edge, its centre or its high edge.
    enum { LOW, MID, HIGH };
    auto shrink = [&](double s, bool horizontal, int other) {
      const double lo = horizontal ? b->bottom : b->left, hi = horizontal ? b->top : b->right;
      kes_inset_scale(b, s, false, horizontal);
      total *= s;
      if (horizontal) {
        if (other == LOW) set_bottom(b, lo);
        else if (other == MID) set_vcentre(b, 0.5 * (lo + hi));
        else set_top(b, hi);
      } else {
        if (other == LOW) set_left(b, lo);
        else if (other == MID) set_hcentre(b, 0.5 * (lo + hi));
        else set_right(b, hi);
      }
    };
    auto hfactor = [](double a, double w, double m) { return a / (w + m * (2 + a / (w + 2 * m))); };
    auto vfactor = [](double a, double h, double v) { return a / (h + v * a / h); };
    // Left: the right edge stays.
    if (!(b->left > f.L)) {
      const double right = b->right;
      shrink(hfactor(right - f.L, b->box_width, b->hmargin), true,
             (user && ref(b, "BR")) || is(b, "S") || is(b, "SE") ? LOW : is(b, "E") ? MID : HIGH);
      set_right(b, right);
    }
    // Right: the left edge stays.
    if (!(b->right + b->shadow < f.R)) {
      const double left = b->left;
      shrink(hfactor(f.R - left, b->box_width + b->shadow, b->hmargin), true,
             (user && ref(b, "BL")) || is(b, "S") || is(b, "SW") ? LOW : is(b, "W") ? MID : HIGH);
      set_left(b, left);
    }
    // Top: the bottom edge stays.
    if (!(b->top < f.T)) {
      const double bottom = b->bottom;
      shrink(vfactor(f.T - bottom, b->box_height, b->vmargin), false,
             (user && ref(b, "TL")) || is(b, "NW") || is(b, "W") ? LOW : is(b, "N") ? MID : HIGH);
      set_bottom(b, bottom);
    }
    // Bottom: the top edge stays.
    if (!(b->bottom - b->shadow > f.B)) {
      const double top = b->top;
      shrink(vfactor(top - f.B, b->box_height + b->shadow, b->vmargin), false,
             (user && ref(b, "BL")) || is(b, "SW") || is(b, "W") ? LOW : is(b, "S") ? MID : HIGH);
      set_top(b, top);
    }
    kes_inset_follow(b);
    const int pct = static_cast<int>(std::lround(total * 100));
    if (b->text_height < kes_inset_least_text(ctx)) {
      // Shrunk so far its texts could not be read: the box is left out instead.
      b->enabled = 0;
      if (!kes_inset_once(ctx, user ? KES_IN_TOO_SMALL_USER : KES_IN_TOO_SMALL)) continue;
      if (b->stmt != nullptr) xspplace(b->stmt, KES_STMT_KEYWORD);
      if (user) xpmlog(KES_SET_LABEL, KES_MSG_INSET_AT_XY_TOO_SMALL, b->x, b->y, pct);
      else xpmlog(KES_SET_LABEL, KES_MSG_INSET_AT_POSITION_TOO_SMALL, wzstrip(b->position, 8), b->position, pct);
      continue;
    }
    if (user) {
      if (kes_inset_once(ctx, KES_IN_SHRUNK_USER)) xpmlog(KES_SET_LABEL, KES_MSG_INSET_AT_XY_SHRUNK, b->x, b->y, pct);
    } else if (kes_inset_once(ctx, KES_IN_SHRUNK)) {
      xpmlog(KES_SET_LABEL, KES_MSG_INSET_AT_POSITION_SHRUNK, wzstrip(b->position, 8), b->position, pct);
    }
  }
}

void kes_inset_overlaps(kes_ctx* ctx) {
  for (kes_insetbox* b = ctx->insets; b != nullptr; b = b->next) {
    if (!b->enabled) continue;
    for (kes_insetbox* o = b->next; o != nullptr; o = o->next) {
      if (!o->enabled) continue;
      const bool apart = o->left > b->right || o->right < b->left || o->bottom > b->top || o->top < b->bottom;
      if (apart) continue;
      o->enabled = 0;
      // Said where the INSET statement of the box left out stands.
      if (o->stmt != nullptr) xspplace(o->stmt, KES_STMT_KEYWORD);
      xpmlog(KES_SET_LABEL, KES_MSG_INSET_OVERLAPS_EARLIER_INSET);
    }
  }
}

kes_inset_frame kes_inset_frame_of(kes_ctx* ctx, kes_cell* cell) {
  kes_inset_frame f{};
  const kes_preq* rq = ctx->curreq;
  const kes_layout* lay = rq != nullptr ? rq->layout : nullptr;
  const auto* dev = static_cast<const gdevice*>(ctx->device);
  f.aspect = dev != nullptr && dev->aspect > 0 ? dev->aspect : 1.0;
  if (lay == nullptr) {
    f.R = f.T = 100;
    f.plot_width = f.plot_height = 100;
    f.xscale = f.yscale = 1;
    return f;
  }
  const kes_chart& c = lay->c;
  if (c.aspect > 0) f.aspect = c.aspect;
  auto off = [](double x) { return x > 0 ? x : 0.0; };
  f.hbefore = off(lay->haxis.offset[0]), f.hafter = off(lay->haxis.offset[1]);
  f.vbefore = off(lay->vaxis.offset[0]), f.vafter = off(lay->vaxis.offset[1]);
  f.plot_left = c.ox, f.plot_width = c.width;
  f.plot_bottom = c.oy, f.plot_height = c.height;
  f.L = f.plot_left - f.hbefore;
  f.R = f.plot_left + f.plot_width + f.hafter;
  f.B = f.plot_bottom - f.vbefore;
  f.T = f.plot_bottom + f.plot_height + f.vafter;
  if (cell != nullptr && rq->classvars != nullptr && rq->classvars->count > 0 && kes_flag(rq->stmt, KES_PLOT_FLAG_CPROP) &&
      c.propband > 0)
    f.T -= c.propband;
  f.xscale = lay->xscale, f.xoffset = lay->xoffset, f.yscale = lay->yscale, f.yoffset = lay->yoffset;
  f.xexp = lay->xexp, f.yexp = lay->yexp;
  return f;
}

int kesivld(kes_ctx* ctx, kes_cell* cell, const double* offsets) {
  // Areas a previous cell registered are gone before this cell's boxes take theirs.
  kes_inset_release(ctx);
  for (kes_insetbox* b = ctx->insets; b != nullptr; b = b->next) {
    if (!kes_inset_margin_word(b->position) || offsets == nullptr) continue;
    const double dx = b->position[0] == 'R' ? -offsets[0] : b->position[0] == 'L' ? offsets[0] : 0;
    const double dy = b->position[0] == 'T' ? -offsets[1] : b->position[0] == 'B' ? offsets[1] : 0;
    b->left += dx, b->right += dx, b->shadow_right += dx, b->rule_left += dx, b->rule_right += dx;
    b->top += dy, b->bottom += dy, b->shadow_bottom += dy, b->rule_y += dy;
  }
  kesipos(ctx);
  const kes_inset_frame f = kes_inset_frame_of(ctx, cell);
  kes_inset_positions(ctx, f);
  kes_inset_fit(ctx, f);
  kes_inset_overlaps(ctx);
  for (kes_insetbox* b = ctx->insets; b != nullptr; b = b->next) {
    if (!b->enabled || std::memcmp(b->fill, "BLANK   ", 8) != 0) continue;
    const double area[4] = {b->left, b->shadow > 0 ? b->shadow_bottom : b->bottom,
                            b->shadow > 0 ? b->shadow_right : b->right, b->top};
    int id = 0;
    void* handle = nullptr;
    if (ggrba(0, area, &id, &handle, 7) == 0) {
      b->blank_id = static_cast<std::int16_t>(id);
      b->blank_ptr = handle;
      b->blank_registered = 1;
    }
  }
  return 0;
}

