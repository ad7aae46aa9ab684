// kessrnk: the first box of each side margin runs along the plot frame; one taller
// than the frame is shrunk as a whole.
#include <cmath>

#include "host/host_graph.h"
#include "host/host_services.h"
#include "inset/inset_build.h"
#include "inset/inset_device.h"
#include "inset/inset_place.h"
#include "kes_msg_names.h"
#include "records/kes_ctx.h"
#include "records/stmt_slots.h"

int kes_inset_side_fit(kes_ctx* ctx, double bottom, double top) {
  bool done[2] = {};
  for (kes_insetbox* b = ctx->insets; b != nullptr; b = b->next) {
    if (!b->enabled || !kes_inset_margin_word(b->position) || (b->position[0] != 'L' && b->position[0] != 'R'))
      continue;
    const int side = b->position[0] == 'L' ? 0 : 1;
    if (done[side]) continue;
    done[side] = true;
    b->bottom = bottom + b->shadow;
    b->top = top;
    double H = b->box_height;
    if (b->devtext) {
      b->cell_height = ggcell(0, 1.0, 2, 1);
      H = 2 * b->vmargin + b->nrows * b->cell_height + (b->header_len > 0 ? 2 * b->cell_height : 0);
    }
    const double room = b->top - b->bottom;
    if (room < H) {
      if (b->devtext) {
        kes_inset_default_font(b);
        xpmlog(KES_SET_LABEL, side == 0 ? KES_MSG_INSET_LEFT_MARGIN_FONT : KES_MSG_INSET_RIGHT_MARGIN_FONT,
               kes_inset_font_len(b), b->font);
        b->devtext = 0;
        kes_inset_row_spacing(b);
        kes_inset_measure_rows(b, false);
        H = b->box_height;
      }
      const double s = room / H;
      const double old_right = b->right;
      kes_inset_scale(b, s, false, true);
      if (side == 0) b->left = b->right - b->box_width - 2 * b->hmargin;
      else b->right = b->left + b->box_width + 2 * b->hmargin;
      if (side == 0 && b->shadow > 0) {
        // The shadow ends where the box ended.
        b->right = old_right - b->shadow;
        b->left = b->right - b->box_width - 2 * b->hmargin;
      }
      b->margin_scale *= s;
    }
    kes_inset_follow(b);
    if (b->text_height < kes_inset_least_text(ctx)) {
      // Shrunk so far its texts could not be read: the box is left out instead.
      b->enabled = 0;
      if (b->stmt != nullptr) xspplace(b->stmt, KES_STMT_KEYWORD);
      xpmlog(KES_SET_LABEL, side == 0 ? KES_MSG_INSET_LEFT_MARGIN_TOO_SMALL : KES_MSG_INSET_RIGHT_MARGIN_TOO_SMALL,
             static_cast<int>(b->margin_scale * 100));
      continue;
    }
    if (b->margin_scale < 1)
      xpmlog(KES_SET_LABEL, side == 0 ? KES_MSG_INSET_LEFT_MARGIN_SHRUNK : KES_MSG_INSET_RIGHT_MARGIN_SHRUNK,
             static_cast<int>(b->margin_scale * 100));
  }
  return 0;
}

int kessrnk(kes_ctx* ctx) {
  const kes_inset_frame f = kes_inset_frame_of(ctx, nullptr);
  return kes_inset_side_fit(ctx, f.B, f.T);
}
