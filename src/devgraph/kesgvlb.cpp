// kesgvlb(ctx): the vertical axis label beside the vertical axis of the current
// cell: VAXISLABEL=, else the axis definition's LABEL lines, else the vertical
// scale's name; rotated 90 degrees unless the definition or TURNVLABELS say
// otherwise, and shrunk when it is longer than the axis.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "devgraph/chart_access.h"
#include "devgraph/chart_layout.h"
#include "devgraph/chart_texts.h"
#include "devgraph/gdev.h"
#include "plotdata/kes_axislabels.h"
#include "host/host_services.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "records/kes_axis.h"

namespace {

void transform(kes_gtext* t, int mode, const kes_axis& ax) {
  if (mode == 1) t->angle = 90, t->rotation = 0;
  else if (mode == 4) t->angle = -90, t->rotation = 90;
  else if (mode == 2) t->angle = ax.label_angle, t->rotation = ax.label_rot;
}

kes_gtext piece(const kes_gtext& base, const host_gtext& p) {
  kes_gtext q = base;
  if (p.font_given && p.font[0] != ' ') std::memcpy(q.font, p.font, 8);
  if (p.height_given && p.height > 0) q.height = p.height;
  q.colour = p.colnum;
  q.text = p.text;
  q.len = p.text != nullptr ? p.length : 0;
  return q;
}

// The box a text takes on the page, widened by what it holds already; the text's
// corners (as gd_measure gives them) in `corner`.
struct text_box {
  double x0 = INFINITY, y0 = INFINITY, x1 = -INFINITY, y1 = -INFINITY;
};
void widen(kes_ctx* ctx, kes_gtext* q, text_box* b, double* corner) {
  gd_measure(ctx, q, corner);
  for (int i = 0; i < 4; ++i) {
    b->x0 = std::min(b->x0, corner[2 * i]), b->x1 = std::max(b->x1, corner[2 * i]);
    b->y0 = std::min(b->y0, corner[2 * i + 1]), b->y1 = std::max(b->y1, corner[2 * i + 1]);
  }
}

// The box a line of pieces takes when laid from (x, y) along its direction, each piece
// starting where the one before ends; drawn when `draw` is set.
text_box lay_line(kes_ctx* ctx, const kes_gtext& base, const kes_textline& line, double factor, double x, double y,
                  bool draw) {
  text_box b;
  for (const host_gtext* p = line.first; p != nullptr; p = p->next) {
    kes_gtext q = piece(base, *p);
    q.height *= factor;
    q.x = x;
    q.y = y;
    double corner[8];
    widen(ctx, &q, &b, corner);
    if (draw) gd_text(ctx, q);
    x = corner[2], y = corner[3];  // the end of its baseline
  }
  return b;
}

// LABEL lines at the definition's own angle and rotation (mode 2): each line is centred
// on the axis, the first ending at x and each further one outward of the one before, so
// that none reaches over the tick values; lines taller than `room` shrink alike.
void angled_lines(kes_ctx* ctx, const kes_gtext& base, const kes_textline* lines, double x, double mid, double room,
                  double gap) {
  double tallest = 0;
  for (const kes_textline* line = lines; line != nullptr; line = line->next) {
    const text_box b = lay_line(ctx, base, *line, 1, 0, 0, false);
    tallest = std::max(tallest, b.y1 - b.y0);
  }
  const double factor = tallest > room && tallest > 0 ? room / tallest : 1;
  for (const kes_textline* line = lines; line != nullptr; line = line->next) {
    const text_box b = lay_line(ctx, base, *line, factor, 0, 0, false);
    if (!(b.x1 >= b.x0)) continue;  // a line without pieces
    lay_line(ctx, base, *line, factor, x - b.x1, mid - (b.y0 + b.y1) / 2, true);
    x -= (b.x1 - b.x0) + gap;
  }
}

}  // namespace

void kesgvlb(kes_ctx* ctx) {
  kes_preq* r = ctx->curreq;
  kes_layout* lay = r->layout;
  kes_chart* c = &lay->c;
  const kes_axis& ax = lay->vaxis;
  const kes_stmt* st = r->stmt;

  // 1. Orientation.
  int mode = ax.label_orient;
  if (mode < 1 || mode > 4) mode = c->vx.stacked || kes_flag(st, KES_PLOT_FLAG_TURNVLABELS) ? 4 : 1;
  const double fraction = mode == 4 ? 0.96 : 0.92;
  kes_gtext t = kes_label_text(c, ax);
  t.align = 1;
  transform(&t, mode, ax);

  const double span = c->height + ax.offset[0] + ax.offset[1];
  double x = c->vx.start[0] - c->htick_unit;
  if (!r->novtick) x -= kes_gkeyslot(ctx)->vwidest + c->hgap_tv + ax.major_len;
  const double mid = (c->oy - ax.offset[0]) + span / 2;

  // 2. The definition's LABEL lines, side by side outward from the axis.
  int len = 0;
  const char* given = kes_gtext_opt(st, KES_PLOT_SLOT_VAXISLABEL, &len);
  if (len == 0 && ax.label_text && !ax.label_none && ax.label_lines != nullptr) {
    if (mode == 2) {
      angled_lines(ctx, t, ax.label_lines, x, mid, fraction * span, c->linegap);
      return;
    }
    // Lengths come measured across the page; turned upward they run in the axis' own
    // (vertical) measure.
    const double along_scale = mode == 3 ? 1.0 : 1.0 / c->aspect;
    double factor = 1;
    double longest = 0;
    for (const kes_textline* line = ax.label_lines; line != nullptr; line = line->next) {
      double along = 0;
      for (const host_gtext* p = line->first; p != nullptr; p = p->next) {
        kes_gtext q = piece(t, *p);
        along += gd_measure(ctx, &q, nullptr) * along_scale;
      }
      longest = std::max(longest, along);
    }
    if (longest > fraction * span && longest > 0) factor = fraction * span / longest;
    for (const kes_textline* line = ax.label_lines; line != nullptr; line = line->next) {
      double along = 0, across = 0;
      for (const host_gtext* p = line->first; p != nullptr; p = p->next) {
        kes_gtext q = piece(t, *p);
        q.height *= factor;
        along += gd_measure(ctx, &q, nullptr) * along_scale;
        across = std::max(across, q.height);
      }
      // Lines run upward (mode 1) or across; each is centred on the axis.
      double pos = mode == 1 ? mid - along / 2 : mid;
      const double lx = mode == 3 ? x - along : x;
      for (const host_gtext* p = line->first; p != nullptr; p = p->next) {
        kes_gtext q = piece(t, *p);
        q.height *= factor;
        q.x = mode == 3 ? lx + (pos - mid) : lx;
        q.y = mode == 1 ? pos : mid;
        const double w = gd_measure(ctx, &q, nullptr) * along_scale;
        gd_text(ctx, q);
        pos += w;
      }
      x -= (mode == 1 ? across * c->aspect : across) + c->linegap;
    }
    return;
  }

  // 3. The default text.
  const bool rotate = kes_flag(st, KES_PLOT_FLAG_ROTATE);
  char buf[KES_LABEL_BUFFER];
  bool default_text = false;  // VAXISLABEL= is drawn as given
  if (len > 0) {
    len = std::min(len, KES_LABEL_BUFFER);
    std::memcpy(buf, given, static_cast<size_t>(len));
  } else {
    len = rotate ? keshlab(ctx, buf) : kesvlab(ctx, buf);
    default_text = true;
  }
  if (len <= 0) return;
  t.text = buf;
  t.len = len;
  double measured = 0, extent = 0;
  const auto measure = [&] {
    double box[8] = {};
    measured = gd_measure(ctx, &t, mode == 3 ? nullptr : box);
    // The extent along the axis, in its own (vertical) measure: the turned text's box.
    extent = mode == 3 ? t.height : mode == 4 ? t.len * t.height : std::fabs(box[3] - box[1]);
    if (mode == 2) extent = std::fabs(box[5] - box[1]);
  };
  measure();

  // 4. A default text longer than the axis tries its shorter forms first.
  if (default_text && extent > span) {
    if (r->type == KES_PLOT_CDF || r->type == KES_PLOT_PP) {
      const int name_len = ctx->curname.len;
      for (const int msg : {KES_MSG_EMPIRICAL_CDF, KES_MSG_CDF}) {
        t.len = xpmstr(buf, KES_LABEL_BUFFER, KES_SET_PLOT, msg, name_len, ctx->curname.text);
        measure();
        if (extent <= span) break;
      }
      if (extent > span) {
        t.len = xpmstr(buf, KES_LABEL_BUFFER, KES_SET_PLOT, KES_MSG_CDF_SHORT);
        measure();
      }
    } else if ((r->type == KES_PLOT_QQ || r->type == KES_PLOT_PROB) && !rotate &&
               kes_label_by_name(ctx, c, kesvlab, buf, &t.len)) {
      measure();
    }
  }

  // 5. Shrink to the axis.
  if (extent > fraction * span && extent > 0) {
    const double f = fraction * span / extent;
    t.height *= f;
    extent *= f;
    if (!c->noted[KES_NOTE_VSHRINK]) {
      xpmlog(KES_SET_PROC, KES_MSG_VAXIS_LABEL_SCALED, static_cast<int>(std::lround(100 * f)));
      c->noted[KES_NOTE_VSHRINK] = 1;
    }
  }
  // 6. Place it. At its own angle (mode 2) it stands as a LABEL line does: its box ends
  // at x, outward of the tick values, centred on the axis.
  if (mode == 2) {
    t.x = 0, t.y = 0;
    text_box b;
    double corner[8];
    widen(ctx, &t, &b, corner);
    t.x = x - b.x1;
    t.y = mid - (b.y0 + b.y1) / 2;
    if (c->celldev) t.y = gd_cell(ctx, t.y, 2, 0);
    gd_text(ctx, t);
    return;
  }
  if (mode == 4) x -= c->vlabroom;
  if (mode == 3) x -= measured;
  double y = mid;
  if (mode == 4) y += extent / 2;
  else if (mode == 1) y -= extent / 2;
  if (c->celldev) y = gd_cell(ctx, y, 2, 0);
  t.x = x;
  t.y = y;
  gd_text(ctx, t);
}
