// kesipos: a free corner for every box without a position, and one box per position.
#include <cstring>

#include "host/host_services.h"
#include "inset/inset_build.h"
#include "kes_msg_names.h"
#include "records/kes_ctx.h"
#include "records/stmt_slots.h"

namespace {
constexpr const char* kCorners[4] = {"NW      ", "NE      ", "SW      ", "SE      "};
}

void kesipos(kes_ctx* ctx) {
  bool taken[4] = {};
  for (kes_insetbox* b = ctx->insets; b != nullptr; b = b->next)
    for (int k = 0; k < 4; ++k)
      if (std::memcmp(b->position, kCorners[k], 8) == 0) taken[k] = true;
  for (kes_insetbox* b = ctx->insets; b != nullptr; b = b->next) {
    // A disabled box needs no corner and leaves it to the boxes after it.
    if (b->pos_kind != KES_IPOS_NONE || !b->enabled) continue;
    int k = 0;
    while (k < 4 && taken[k]) ++k;
    if (k == 4) {
      if (kes_inset_once(ctx, KES_IN_CORNERS)) xpmlog(KES_SET_LABEL, KES_MSG_NO_CORNER_PLOT_AREA);
      b->enabled = 0;
      continue;
    }
    std::memcpy(b->position, kCorners[k], 8);
    b->pos_kind = KES_IPOS_WORD;
    b->auto_pos = 1;
    taken[k] = true;
  }
  for (kes_insetbox* b = ctx->insets; b != nullptr; b = b->next) {
    if (!b->enabled || std::memcmp(b->position, "USER    ", 8) == 0) continue;
    for (kes_insetbox* later = b->next; later != nullptr; later = later->next) {
      if (!later->enabled || std::memcmp(later->position, b->position, 8) != 0) continue;
      later->enabled = 0;
      if (kes_inset_once(ctx, KES_IN_DUPLICATE)) xpmlog(KES_SET_LABEL, KES_MSG_TWO_INSETS_ASK_SAME);
    }
  }
}
