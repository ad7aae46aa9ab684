// A box at a compass position that would cover a text of its cell (a bar's value, a
// reference label) moves to the first free position where it covers none, inside the
// frame and clear of the other boxes, one off the data first; a box over the data
// moves where one is off both. A box that stays over the data is filled with the
// page's colour unless its fill is given.
#include "devgraph/box_moves.h"

#include <array>
#include <cmath>
#include <cstring>
#include <set>
#include <vector>

#include "devgraph/bar_geometry.h"
#include "devgraph/chart_access.h"
#include "devgraph/chart_layout.h"
#include "devgraph/ref_labels.h"
#include "fit/kes_estframe.h"
#include "host/kes_text_room.h"
#include "inset/inset_place.h"
#include "inset/kes_inset.h"
#include "plotdata/kes_points.h"
#include "records/kes_curve.h"
#include "records/kes_ctx.h"

namespace {

constexpr const char* kWords[] = {"NW      ", "NE      ", "SW      ", "SE      ",
                                  "N       ", "S       ", "E       ", "W       "};

bool compass(const kes_insetbox* b) {
  for (const char* w : kWords)
    if (std::memcmp(b->position, w, 8) == 0) return true;
  return false;
}

kes_room room_of(const kes_insetbox* b) {
  return {b->left, b->shadow > 0 ? b->shadow_bottom : b->bottom, b->shadow > 0 ? b->shadow_right : b->right, b->top};
}

// The box stands inside the frame, covers no text and meets no other enabled box.
bool clear(const kes_ctx* ctx, const kes_insetbox* b, const kes_inset_frame& f, const std::vector<kes_room>& texts) {
  const kes_room r = room_of(b);
  if (!(r.x0 > f.L && r.x1 < f.R && r.y0 > f.B && r.y1 < f.T) || kes_meets_any(r, texts)) return false;
  for (const kes_insetbox* o = ctx->insets; o != nullptr; o = o->next)
    if (o != b && o->enabled && !kes_inset_margin_word(o->position)) {
      const kes_room q = room_of(o);
      // Touching counts, as the placement's own overlap rule has it.
      if (!(q.x0 > r.x1 || q.x1 < r.x0 || q.y0 > r.y1 || q.y1 < r.y0)) return false;
    }
  return true;
}

// No fill word: the box is drawn empty.
bool blank_fill(const kes_insetbox* b) {
  for (int i = 0; i < 8; ++i)
    if (b->fill[i] != ' ' && b->fill[i] != '\0') return false;
  return true;
}

bool taken(const kes_ctx* ctx, const kes_insetbox* b, const char* word) {
  for (const kes_insetbox* o = ctx->insets; o != nullptr; o = o->next)
    if (o != b && o->enabled && std::memcmp(o->position, word, 8) == 0) return true;
  return false;
}

}  // namespace

std::vector<kes_room> kes_box_rooms(const kes_ctx* ctx) {
  std::vector<kes_room> rooms;
  for (const kes_insetbox* b = ctx->insets; b != nullptr; b = b->next)
    if (b->enabled && !kes_inset_margin_word(b->position)) rooms.push_back(room_of(b));
  return rooms;
}

namespace {

// What a box keeps off in its cell: the bars' value texts, the reference labels (placed
// anew around the boxes where they stand) and, where it can, the data (the bars, a
// Q-Q or probability plot's points, a CDF plot's steps, or a P-P plot's diagonal).
struct cell_texts {
  std::vector<kes_room> values, bars;
};

// The rooms of a Q-Q or probability plot's points (a fitted cell draws them) or of a
// CDF plot's empirical steps, on a grid of a quarter of a device unit so that many
// values take no more rooms than the frame has places.
std::vector<kes_room> marks_of(kes_ctx* ctx, kes_cell* cell) {
  const kes_preq* r = ctx->curreq;
  const kes_layout* lay = r->layout;
  std::set<std::array<long, 4>> cells;
  const auto put = [&](double x0, double y0, double x1, double y1) {
    if (!(std::isfinite(x0) && std::isfinite(y0) && std::isfinite(x1) && std::isfinite(y1))) return;
    x0 = kes_page_x(lay, x0), x1 = kes_page_x(lay, x1), y0 = kes_page_y(lay, y0), y1 = kes_page_y(lay, y1);
    // Off the page's units entirely: no box stands there.
    if (!(std::fabs(x0) < 1e6 && std::fabs(x1) < 1e6 && std::fabs(y0) < 1e6 && std::fabs(y1) < 1e6)) return;
    cells.insert({static_cast<long>(std::floor(4 * std::min(x0, x1))), static_cast<long>(std::floor(4 * std::min(y0, y1))),
                  static_cast<long>(std::ceil(4 * std::max(x0, x1))), static_cast<long>(std::ceil(4 * std::max(y0, y1)))});
  };
  if (r->type == KES_PLOT_CDF) {
    if (cell->hist_empty || kes_flag(r->stmt, KES_PLOT_FLAG_NOECDF)) return {};
    double last[2] = {NAN, NAN};
    kesecdfpts_pieces(ctx, cell, KES_ECDF_STEP_POINTS, [&](double* xy, long, int n) {
      for (int i = 0; i < n; ++i) {
        put(last[0], last[1], xy[2 * i], xy[2 * i + 1]);
        last[0] = xy[2 * i], last[1] = xy[2 * i + 1];
      }
    });
  } else {
    const kes_plotslot* s = kes_gslot(ctx, cell);
    const kes_curve* curve = s != nullptr ? kes_fit_curve(const_cast<kes_plotslot*>(s)) : nullptr;
    if (curve == nullptr || !curve->fitted) return {};
    kespoints_pieces(ctx, cell, [&](double* xy, long, int n) {
      for (int i = 0; i < n; ++i) put(xy[2 * i], xy[2 * i + 1], xy[2 * i], xy[2 * i + 1]);
    });
  }
  std::vector<kes_room> rooms;
  rooms.reserve(cells.size());
  // A marker reaches about half a unit about its point.
  const double m = r->type == KES_PLOT_CDF ? 0 : 0.5;
  for (const auto& c : cells) rooms.push_back({c[0] / 4.0 - m, c[1] / 4.0 - m, c[2] / 4.0 + m, c[3] / 4.0 + m});
  return rooms;
}

cell_texts texts_of(kes_ctx* ctx, kes_cell* cell) {
  cell_texts out;
  out.values = kes_bar_label_gaps(ctx, cell);
  const kes_preq* r = ctx->curreq;
  if (r->type == KES_PLOT_PP && cell != nullptr) {
    // A P-P plot's points and line hug the diagonal of its plot area (both axes run 0
    // to 1): a band about it stands for them.
    const kes_chart* c = &r->layout->c;
    const double bx = 0.04 * c->width, by = 0.04 * c->height;
    for (int i = 0; i <= 50; ++i) {
      const double x = c->ox + c->width * i / 50.0, y = c->oy + c->height * i / 50.0;
      out.bars.push_back({x - bx, y - by, x + bx, y + by});
    }
    return out;
  }
  if (cell != nullptr && (r->type == KES_PLOT_QQ || r->type == KES_PLOT_PROB || r->type == KES_PLOT_CDF)) {
    out.bars = marks_of(ctx, cell);
    return out;
  }
  if (r->type != KES_PLOT_HISTOGRAM || cell == nullptr) return out;
  const kes_plotslot* s = kes_gslot(ctx, cell);
  if (s == nullptr || s->heights == nullptr || !kes_bars_drawn(ctx, cell, s)) return out;
  for (int i = 0; i < s->nbins; ++i) {
    double left, base, right, top;
    if (kes_bar_rect(ctx, s, i, &left, &base, &right, &top) && top > base) out.bars.push_back({left, base, right, top});
  }
  return out;
}

// Whether the reference labels, placed with every box where it now stands, keep off
// every box and off each other (a box that leaves them too few rows puts them over
// each other).
bool labels_clear(kes_ctx* ctx, kes_cell* cell) {
  const kes_preq* r = ctx->curreq;
  if ((r->nhref <= 0 || r->hreflabels == nullptr) && (r->nvref <= 0 || r->vreflabels == nullptr)) return true;
  const kes_ref_labels placed = kes_place_ref_labels(ctx, cell, kes_page_axes(ctx));
  const std::vector<kes_room> boxes = kes_box_rooms(ctx);
  std::vector<kes_room> labels;
  for (const std::vector<int>* own : {&placed.h_room, &placed.v_room})
    for (int k : *own)
      if (k >= 0) labels.push_back(placed.rooms[static_cast<std::size_t>(k)]);
  for (std::size_t i = 0; i < labels.size(); ++i) {
    if (kes_meets_any(labels[i], boxes)) return false;
    for (std::size_t j = i + 1; j < labels.size(); ++j)
      if (kes_rooms_meet(labels[i], labels[j])) return false;
  }
  return true;
}

bool covers_text(kes_ctx* ctx, kes_cell* cell, const kes_insetbox* b, const cell_texts& t) {
  return kes_meets_any(room_of(b), t.values) || !labels_clear(ctx, cell);
}

// Box b placed alone at the position word: every other keeps its rectangle.
void place_at(kes_ctx* ctx, kes_insetbox* b, const char* word, const kes_inset_frame& f) {
  std::memcpy(b->position, word, 8);
  kes_insetbox* next = b->next;
  b->next = nullptr;
  kes_insetbox* list = ctx->insets;
  ctx->insets = b;
  kes_inset_positions(ctx, f);
  ctx->insets = list;
  b->next = next;
}

}  // namespace

void kes_boxes_off_values(kes_ctx* ctx, kes_cell* cell) {
  const cell_texts texts = texts_of(ctx, cell);
  const kes_inset_frame f = kes_inset_frame_of(ctx, cell);
  for (kes_insetbox* b = ctx->insets; b != nullptr; b = b->next) {
    // A blanked box has registered its area where it stands.
    if (!b->enabled || !compass(b) || std::memcmp(b->fill, "BLANK   ", 8) == 0) continue;
    const bool over_text = covers_text(ctx, cell, b, texts), over_data = kes_meets_any(room_of(b), texts.bars);
    if (!over_text && !over_data) continue;
    const kes_insetbox own = *b;
    // The first free position off every text and the data; else, for a box over a
    // text, the first off every text.
    kes_insetbox off_texts{};
    bool found = false, found_off_texts = false;
    for (const char* w : kWords) {
      if (std::memcmp(own.position, w, 8) == 0 || taken(ctx, b, w)) continue;
      place_at(ctx, b, w, f);
      if (clear(ctx, b, f, texts.values) && !covers_text(ctx, cell, b, texts)) {
        if (!kes_meets_any(room_of(b), texts.bars)) {
          found = true;
          break;
        }
        if (!found_off_texts) off_texts = *b, found_off_texts = true;
      }
      *b = own;
    }
    if (found) continue;
    if (over_text && found_off_texts) *b = off_texts;
    else *b = own;
  }
  // A box that stays over the data takes the page's colour as its fill where none is
  // given, so that the bars' edges, points and lines do not run through its texts.
  for (kes_insetbox* b = ctx->insets; b != nullptr; b = b->next)
    if (b->enabled && !kes_inset_margin_word(b->position) && !b->fill_given && blank_fill(b) &&
        kes_meets_any(room_of(b), texts.bars)) {
      std::memcpy(b->fill, "WHITE   ", 8);
      if (!b->header_fill_given) std::memcpy(b->header_fill, b->fill, 8);
    }
}
