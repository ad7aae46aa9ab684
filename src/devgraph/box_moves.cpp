// A box at a compass position that would cover a bar's value text moves to the first
// free position where it covers none, inside the frame and clear of the other boxes;
// where there is none it keeps its own.
#include "devgraph/box_moves.h"

#include <cstring>
#include <vector>

#include "devgraph/bar_geometry.h"
#include "host/kes_text_room.h"
#include "inset/inset_place.h"
#include "inset/kes_inset.h"
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

void kes_boxes_off_values(kes_ctx* ctx, kes_cell* cell) {
  const std::vector<kes_text_gap> texts = kes_bar_label_gaps(ctx, cell);
  if (texts.empty()) return;
  const kes_inset_frame f = kes_inset_frame_of(ctx, cell);
  for (kes_insetbox* b = ctx->insets; b != nullptr; b = b->next) {
    // A blanked box has registered its area where it stands.
    if (!b->enabled || !compass(b) || std::memcmp(b->fill, "BLANK   ", 8) == 0) continue;
    if (!kes_meets_any(room_of(b), texts)) continue;
    const kes_insetbox own = *b;
    bool moved = false;
    for (const char* w : kWords) {
      if (std::memcmp(own.position, w, 8) == 0 || taken(ctx, b, w)) continue;
      std::memcpy(b->position, w, 8);
      // The placement of one box alone: every other keeps its rectangle.
      kes_insetbox* next = b->next;
      b->next = nullptr;
      kes_insetbox* list = ctx->insets;
      ctx->insets = b;
      kes_inset_positions(ctx, f);
      ctx->insets = list;
      b->next = next;
      if (clear(ctx, b, f, texts)) {
        moved = true;
        break;
      }
      *b = own;
    }
    if (!moved) *b = own;
  }
}
