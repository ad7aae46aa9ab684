// axisfnt(ctx, axis, draw, info, mode): the extents of an axis' texts across and
// along the axis, which the margins and the page geometry keep room for: the label
// lines of its axis definition (or the default label), its definition and explicit
// tick-value texts, and its default value and label records.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "devgraph/axis_value.h"
#include "devgraph/chart_access.h"
#include "devgraph/chart_layout.h"
#include "devgraph/chart_texts.h"
#include "devgraph/gdev.h"
#include "plotdata/kes_axislabels.h"
#include "devgraph/tick_text.h"
#include "kes_gram_names.h"
#include "records/kes_axis.h"

namespace {

bool blank_font(const char* f) { return f[0] == ' ' || f[0] == '\0'; }

// The text record as a text to measure, with the layout's defaults for what the
// record does not give.
kes_gtext piece_text(const host_gtext& p, const char* font, double height) {
  kes_gtext t{};
  std::memcpy(t.font, p.font_given && !blank_font(p.font) ? p.font : font, 8);
  t.height = p.height_given && p.height > 0 ? p.height : height;
  t.align = 1;
  t.text = p.text;
  t.len = p.text != nullptr ? p.length : 0;
  return t;
}

// The vertical label's orientation: 1 rotated 90 degrees, 2 given angle, 3
// horizontal, 4 stacked.
int vertical_mode(const kes_axis& ax, const kes_axisdraw& d, bool turn) {
  if (ax.label_orient >= 1 && ax.label_orient <= 4) return ax.label_orient;
  return d.stacked || turn ? 4 : 1;
}

void set_transform(kes_gtext* t, int mode, const kes_axis& ax) {
  if (mode == 1) t->angle = 90, t->rotation = 0;
  else if (mode == 2) t->angle = ax.label_angle, t->rotation = ax.label_rot;
  else if (mode == 4) t->angle = -90, t->rotation = 90;
}

}  // namespace

void axisfnt(kes_ctx* ctx, kes_axis* ax, kes_axisdraw* d, const host_varinfo*, int mode) {
  kes_chart* c = kes_chart_of(ctx);
  const kes_stmt* st = ctx->curreq->stmt;
  const bool angled = mode == 0 && ax->value_orient == 2;
  d->value_extent = d->label_extent = d->widest_value = d->widest_label = 0;

  // Label pieces: the stacked form only while no piece names a font of its own.
  d->stacked = c->stacked;
  for (kes_textline* l = ax->label_lines; l != nullptr; l = l->next)
    for (host_gtext* p = l->first; p != nullptr; p = p->next)
      if (p->font_given && !blank_font(p->font)) d->stacked = 0;

  // Label lines.
  const bool turn = kes_flag(st, KES_PLOT_FLAG_TURNVLABELS);
  const bool rotate = kes_flag(st, KES_PLOT_FLAG_ROTATE);
  const int lm = mode == 0 ? 0 : vertical_mode(*ax, *d, turn);
  // A piece's length along its line and its extent across it.
  const auto measure = [&](kes_gtext t, double* along, double* across) {
    if (mode == 0) {
      *along += gd_measure(ctx, &t, nullptr);
      *across = std::max(*across, t.height);
      return;
    }
    double b[8] = {};
    set_transform(&t, lm, *ax);
    const double len = gd_measure(ctx, &t, lm == 3 ? nullptr : b);
    if (lm == 3) {
      *along += len;
      *across = std::max(*across, t.height);
    } else if (lm == 1) {
      *along += b[0] - b[4];
      *across = std::max(*across, b[5] - b[1]);
    } else if (lm == 4) {
      *along += b[4] - b[0];
      *across = std::max(*across, b[1] - b[5]);
    } else if (ax->label_angle > 0) {
      *along += b[2] - b[6];
      *across = std::max(*across, b[5] - b[1]);
    } else {
      *along += b[4] - b[0];
      *across = std::max(*across, b[7] - b[3]);
    }
  };
  // Lines at an angle stand side by side outward from the vertical axis (kesgvlb): the
  // room is for all of them, not the widest.
  const bool side_by_side = mode == 1 && lm == 2;
  const auto add_line = [&](double along, double across, bool first) {
    d->widest_label = side_by_side ? d->widest_label + along + (first ? 0 : c->linegap)
                                   : std::max(d->widest_label, along);
    d->label_extent += across;
  };
  char deflabel[KES_LABEL_BUFFER];
  int nlines = 0;
  int given_len = 0;
  const char* given = side_by_side ? kes_gtext_opt(st, KES_PLOT_SLOT_VAXISLABEL, &given_len) : nullptr;
  if (given != nullptr && given_len > 0) {
    // VAXISLABEL= is drawn at the definition's angle in place of its LABEL lines: the
    // room is the text's own.
    kes_gtext t = kes_label_text(c, *ax);
    t.align = 1;
    t.text = given;
    t.len = std::min(given_len, KES_LABEL_BUFFER);
    double along = 0, across = 0;
    measure(t, &along, &across);
    add_line(along, across, true);
    nlines = 1;
  }
  for (kes_textline* l = nlines > 0 ? nullptr : ax->label_lines; l != nullptr; l = l->next, ++nlines) {
    double along = 0, across = 0;
    for (host_gtext* p = l->first; p != nullptr; p = p->next) {
      kes_gtext t = piece_text(*p, c->valfont, c->label_h);
      if (t.len <= 0) {
        // Measured with the default label, which the piece does not keep.
        t.len = rotate ? keshlab(ctx, deflabel) : kesvlab(ctx, deflabel);
        t.text = deflabel;
      }
      measure(t, &along, &across);
    }
    add_line(along, across, nlines == 0);
  }
  if (nlines > 1) d->label_extent += (nlines - 1) * c->linegap * (mode == 1 ? c->aspect : 1.0);
  if (d->label_extent == 0) d->label_extent = c->label_h;

  // Definition value texts: per tick its items stacked, each item's pieces side by side.
  if (ax->tick_texts != nullptr) {
    for (int i = 0; i < ax->max_tick; ++i) {
      double sum = 0, widest = 0;
      for (kes_textline* item = ax->tick_texts[i]; item != nullptr; item = item->next) {
        if (item != ax->tick_texts[i] && kes_tick_head(*ax, item)) break;
        double h = 0, w = 0;
        for (host_gtext* p = item->first; p != nullptr; p = p->next) {
          kes_gtext t = piece_text(*p, c->valfont, c->label_h);
          h = std::max(h, t.height);
          if (t.len <= 0) {
            t.text = "Sg", t.len = 2;
            gd_measure(ctx, &t, nullptr);
          } else {
            w += gd_measure(ctx, &t, nullptr);
          }
        }
        sum += h;
        widest = std::max(widest, w);
      }
      d->value_extent = std::max(d->value_extent, sum);
      d->widest_value = std::max(d->widest_value, widest);
    }
  }
  // Explicit value texts.
  if (ax->seq_texts != nullptr) {
    for (int i = 0; i < ax->nseq; ++i) {
      if (ax->seq_texts[i] == nullptr) continue;
      kes_gtext t = piece_text(*ax->seq_texts[i], c->valfont, c->label_h);
      if (angled) {
        double b[8] = {};
        t.angle = ax->value_angle;
        gd_measure(ctx, &t, b);
        d->value_extent = std::max(d->value_extent, ax->value_angle > 0 ? b[5] - b[1] : b[7] - b[3]);
        d->widest_value = std::max(d->widest_value, ax->value_angle > 0 ? b[3] - b[7] : b[5] - b[1]);
      } else {
        const double len = gd_measure(ctx, &t, nullptr);
        d->value_extent = std::max(d->value_extent, t.height);
        d->widest_value = std::max(d->widest_value, len);
      }
    }
  }
  // The default value record: the value font and text height when it names none.
  if (host_gtext* v = ax->value_default; v != nullptr) {
    if (blank_font(v->font)) std::memcpy(v->font, c->valfont, 8);
    if (!(v->height > 0)) v->height = static_cast<float>(c->text_h);
  }
  if (!angled) {
    d->value_extent = std::max(d->value_extent, c->text_h);
  } else {
    const kes_plotslot* key = kes_gkeyslot(ctx);
    char buf[KES_TICK_TEXT];
    long guard = 0;
    const kes_tick_style style = kes_axis_tick_style(key->hlow, key->hhigh, key->width, 0);
    for (double v = key->hlow; v <= key->hhigh && key->width > 0 && guard < 100000; v += key->width, ++guard) {
      kes_gtext t{};
      std::memcpy(t.font, c->valfont, 8);
      t.height = c->text_h;
      t.angle = ax->value_angle;
      t.len = kes_tick_text(v, nullptr, style, 0, buf);
      t.text = buf;
      double b[8] = {};
      gd_measure(ctx, &t, b);
      d->value_extent = std::max(d->value_extent, ax->value_angle > 0 ? b[5] - b[1] : b[7] - b[3]);
    }
  }
  // The default label record.
  if (host_gtext* l = ax->label_default; l != nullptr) {
    if (blank_font(l->font)) std::memcpy(l->font, c->labfont, 8);
    if (!(l->height > 0)) l->height = static_cast<float>(c->label_h);
    d->label_extent = std::max(d->label_extent, static_cast<double>(l->height));
  } else {
    d->label_extent = std::max(d->label_extent, c->label_h);
  }
}
