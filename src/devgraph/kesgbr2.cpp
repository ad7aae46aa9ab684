// kesgbr2(ctx, cell): the bars of a histogram cell, one filled and outlined
// rectangle per bin of the cell's stretch of the common bins, with their values
// above them when BARLABEL= asks for them.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "devgraph/bar_geometry.h"
#include "devgraph/box_moves.h"
#include "devgraph/chart_access.h"
#include "devgraph/chart_layout.h"
#include "devgraph/gdev.h"
#include "devgraph/ref_labels.h"
#include "host/host_services.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "util/kes_eps.h"
#include "util/kes_text.h"

namespace {

// Factor of a vertical scale (0 percent, 1 count, 2 proportion) from counts, and of
// BARLABEL= (1 count, 2 percent, 3 proportion).
double scale_factor(int vscale, int n) { return vscale == 1 ? 1.0 : vscale == 0 ? 100.0 / n : 1.0 / n; }
double label_factor(int barlabel, int n) { return barlabel == 1 ? 1.0 : barlabel == 2 ? 100.0 / n : 1.0 / n; }

// What stands over the cell's bar values and has no other place: its boxes (placed off
// them where the frame has room) and the ink of its reference labels (placed clear of
// them where a place is free).
std::vector<kes_room> covering(kes_ctx* ctx, kes_cell* cell, const std::vector<kes_bar_text>& values) {
  std::vector<kes_room> over = kes_box_rooms(ctx);
  const kes_preq* r = ctx->curreq;
  const bool labels = (r->nhref > 0 && r->hreflabels != nullptr) || (r->nvref > 0 && r->vreflabels != nullptr);
  if (values.empty() || !labels) return over;
  const kes_ref_labels placed = kes_place_ref_labels(ctx, cell, kes_page_axes(ctx));
  const auto ink = [&](const std::vector<int>& own, const std::vector<kes_gtext>& texts) {
    for (std::size_t k = 0; k < own.size() && k < texts.size(); ++k) {
      if (own[k] < 0) continue;
      // The label's room less its air: half a blank beyond each end, a quarter of its
      // height over it.
      kes_room g = placed.rooms[static_cast<std::size_t>(own[k])];
      const double side = 0.5 * gd_blank(ctx, texts[k]);
      over.push_back({g.x0 + side, g.y0, g.x1 - side, g.y1 - 0.25 * texts[k].height});
    }
  };
  ink(placed.h_room, placed.h);
  ink(placed.v_room, placed.v);
  return over;
}

}  // namespace

kes_bar_paint kes_bar_paint_of(kes_ctx* ctx) {
  const kes_preq* r = ctx->curreq;
  const kes_chart* c = &r->layout->c;
  const kes_colorset& k = c->colors;
  const kes_fillslot& slot = c->fill[0];
  kes_bar_paint p{};
  p.outline = k.outline;
  std::memset(p.pattern, ' ', 8);
  bool solid = false;
  const int slot_colour = gd_colour(ctx, slot.color);
  // Over a filled curve the bars are outlines only: the device's empty pattern
  // stands for the blank pattern word, which it would fill.
  if (r->curve_fill) p.pattern[0] = 'E';
  if (!r->curve_fill) {
    std::memcpy(p.pattern, slot.pattern, 8);
    if (kes_gname_is(p.pattern, "S")) solid = true;
    if (kes_gname_is(p.pattern, "E")) p.outline = slot_colour;
  }
  if (kes_pgiven(r->stmt, KES_PLOT_SLOT_CBARLINE)) {
    p.outline = k.outline;
    solid = true;
  }
  if (!solid && !r->curve_fill) {
    if (kes_gname_is(p.pattern, "E")) {
      p.fill = 0;
    } else {
      p.fill = slot_colour;
      p.outline = p.fill;  // a patterned bar is outlined in its own colour
    }
  } else {
    p.fill = r->curve_fill ? 0 : slot_colour;
  }
  return p;
}

bool kes_bars_drawn(kes_ctx* ctx, const kes_cell* cell, const kes_plotslot* s) {
  const kes_preq* r = ctx->curreq;
  // A cell without spread has no curve to hang its bars from: they stand on 0.
  return s->heights != nullptr && s->hmax > KES_EPS53 && !r->nobars && !s->bars_off && !(r->hang && !cell->hist_empty);
}

std::vector<kes_bar_text> kes_bar_texts(kes_ctx* ctx, kes_cell* cell, int* left_out) {
  std::vector<kes_bar_text> out;
  const kes_preq* r = ctx->curreq;
  if (cell == nullptr || r->type != KES_PLOT_HISTOGRAM || !kes_pgiven(r->stmt, KES_PLOT_SLOT_BARLABEL)) return out;
  const kes_plotslot* s = kes_gslot(ctx, cell);
  if (s->heights == nullptr || !(s->hmax > KES_EPS53) || !kes_bars_drawn(ctx, cell, s)) return out;
  const kes_chart* c = &r->layout->c;
  // BARLABEL= keeps its code (1 count, 2 percent, 3 proportion) as the slot's number.
  const int barlabel = static_cast<int>(kes_pnumber(r->stmt, KES_PLOT_SLOT_BARLABEL));
  const int n = s->n > 0 ? s->n : 1;
  const double f = label_factor(barlabel, n) / scale_factor(r->vscale, n);
  std::vector<double> tops, bases, centres;
  for (int i = 0; i < s->nbins; ++i) {
    double left, base, right, top;
    if (!kes_bar_rect(ctx, s, i, &left, &base, &right, &top)) continue;
    char buf[40];
    std::memset(buf, ' ', 40);
    // Counts in their best form, percents and proportions with two decimals (a field
    // wide enough to keep them).
    xpfs(f * s->heights[i], -8, barlabel == 1 ? 99 : 2, buf);
    kes_bar_text b{};
    std::memcpy(b.t.font, c->insetfont, 8);
    b.t.height = c->inset_h;
    b.t.colour = c->colors.on_wall;
    b.t.align = 1;
    b.chars.assign(buf, static_cast<std::size_t>(wzstjus(buf, 40, 'l')));
    out.push_back(b);
    tops.push_back(top);
    bases.push_back(base);
    centres.push_back((left + right) / 2);
  }
  std::vector<double> widths;
  for (kes_bar_text& b : out) {
    b.t.text = b.chars.c_str(), b.t.len = static_cast<int>(b.chars.size());
    widths.push_back(gd_measure(ctx, &b.t, nullptr));
  }
  const double air = out.empty() ? 0 : gd_blank(ctx, out.front().t);
  // The values shrink no further than the least height that reads (in twentieths, as
  // their sizes go), however small their full size.
  const double reads = c->inset_h > 0 ? std::ceil(20 * gd_least_text(ctx) / c->inset_h) / 20 : 0;
  const double least = std::max(0.8, reads), least_two = std::max(0.6, reads);
  const std::vector<bool> keep = kes_values_kept(centres, widths, tops, air, air, least, least_two);
  std::size_t kept = 0;
  for (std::size_t i = 0; i < out.size(); ++i)
    if (keep[i]) {
      if (kept != i) out[kept] = std::move(out[i]);
      tops[kept] = tops[i], bases[kept] = bases[i], centres[kept] = centres[i], widths[kept++] = widths[i];
    }
  if (left_out != nullptr) *left_out = static_cast<int>(out.size() - kept);
  out.resize(kept), tops.resize(kept), bases.resize(kept), centres.resize(kept), widths.resize(kept);
  // Moved records point at their own chars again.
  for (kes_bar_text& b : out) b.t.text = b.chars.c_str();
  const kes_values_set set = kes_set_values(centres, widths, air, least, least_two);
  const double height = c->inset_h * set.scale;
  std::vector<kes_room> rooms;
  std::vector<double> lengths;
  for (std::size_t i = 0; i < out.size(); ++i) {
    kes_bar_text& b = out[i];
    b.t.height = height;
    lengths.push_back(gd_measure(ctx, &b.t, nullptr));
    b.t.x = centres[i] - lengths[i] / 2;
    b.t.y = tops[i] + std::min(0.5 * height, 1.0);
    rooms.push_back(kes_gap_of(ctx, b.t, lengths[i]));
  }
  const std::vector<double> rise = kes_value_rises(rooms, set.two_rows, true);
  const double top = c->oy + c->height + r->layout->vaxis.offset[1];
  for (std::size_t i = 0; i < out.size(); ++i) {
    kes_bar_text& b = out[i];
    // A text that would leave the frame goes down into its bar instead, just under the
    // bar's top, where the bar holds it (bars as tall as the frame leave no room over
    // them); a bar too short for it keeps it standing on the bar.
    if (rooms[i].y1 + rise[i] <= top) {
      b.t.y += rise[i];
    } else if (rise[i] > 0) {
      const double drop = rooms[i].y1 - rooms[i].y0 + 2 * (b.t.y - tops[i]);
      if (rooms[i].y0 - drop >= bases[i]) b.t.y -= drop;
    }
    b.room = kes_gap_of(ctx, b.t, lengths[i]);
  }
  // A text dropped into its bar may still meet a neighbour risen over it: the later of
  // two texts whose inks meet is left out, counted with the thinned ones.
  std::vector<kes_room> inks;
  for (const kes_bar_text& b : out) {
    const double m = 0.5 * gd_blank(ctx, b.t);
    inks.push_back({b.room.x0 + m, b.room.y0 + m, b.room.x1 - m, b.room.y1 - m});
  }
  const std::vector<bool> apart = kes_texts_apart(inks);
  std::size_t placed = 0;
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (!apart[i]) continue;
    if (placed != i) out[placed] = std::move(out[i]);
    ++placed;
  }
  if (left_out != nullptr) *left_out += static_cast<int>(out.size() - placed);
  out.resize(placed);
  for (kes_bar_text& b : out) b.t.text = b.chars.c_str();
  return out;
}

std::vector<kes_text_gap> kes_bar_label_gaps(kes_ctx* ctx, kes_cell* cell) {
  std::vector<kes_text_gap> gaps;
  for (const kes_bar_text& b : kes_bar_texts(ctx, cell)) gaps.push_back(b.room);
  return gaps;
}

bool kes_bar_rect(kes_ctx* ctx, const kes_plotslot* s, int i, double* left, double* base, double* right,
                  double* top) {
  const kes_layout* lay = ctx->curreq->layout;
  const kes_chart* c = &lay->c;
  const double step = c->barwidth + c->bargap;
  *left = c->ox + (s->firstbin + i) * step;
  *right = *left + c->barwidth;
  const double h = s->heights[i];
  if (!(0 - KES_SQRT_EPS53 < *left && *right < 100 + KES_SQRT_EPS53) || !(h > 0)) return false;
  // Bars stand on 0, which lies above the frame's foot when other cells hang theirs.
  *base = std::max(c->oy, lay->yoffset);
  *top = h * lay->yscale + lay->yoffset;
  return true;
}

void kesgbr2(kes_ctx* ctx, kes_cell* cell) {
  // A cell without spread (one value, or all values equal) still shows its bar: the
  // empty flag only keeps fitted curves out of it.
  if (cell == nullptr) return;
  kes_preq* r = ctx->curreq;
  kes_layout* lay = r->layout;
  kes_chart* c = &lay->c;
  const kes_plotslot* s = kes_gslot(ctx, cell);
  if (s->heights == nullptr || !(s->hmax > KES_EPS53)) return;
  const kes_colorset& k = c->colors;

  // 2. Outline and fill.
  const kes_bar_paint paint = kes_bar_paint_of(ctx);
  gd_width(ctx, k.outline_width);

  // 3. Bars, then their values above them when BARLABEL= asks for them.
  const bool off = !kes_bars_drawn(ctx, cell, s);
  for (int i = 0; i < s->nbins && !off; ++i) {
    double left, base, right, top;
    if (!kes_bar_rect(ctx, s, i, &left, &base, &right, &top)) continue;
    gd_fill(ctx, left, base, right, top, paint.pattern, paint.fill, 6, paint.outline, k.outline_style,
            k.outline_width);
  }
  int left_out = 0;
  const std::vector<kes_bar_text> values = kes_bar_texts(ctx, cell, &left_out);
  // A box or reference label that found no place off the values stays over them: the
  // values it covers are left out, not written under it (the others keep their places).
  const std::vector<kes_room> over = covering(ctx, cell, values);
  int covered = 0;
  for (const kes_bar_text& b : values) {
    if (kes_meets_any(b.room, over)) {
      ++covered;
      continue;
    }
    gd_text(ctx, b.t);
  }
  const int total = static_cast<int>(values.size()) + left_out;
  if (left_out > 0) xpmlog(KES_SET_PROC, KES_MSG_BAR_VALUES_LEFT_OUT, left_out, total);
  if (covered > 0) xpmlog(KES_SET_PROC, KES_MSG_BAR_VALUES_UNDER_BOX, covered, total);
  gd_width(ctx, 1);
}
