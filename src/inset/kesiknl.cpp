// kesiknl: the rows of a kernel block of an inset (the kernel's type, C value,
// bandwidth and AMISE), and the value of one kernel sub-keyword.
#include <climits>

#include "fit/kes_estframe.h"
#include "host/step_codes.h"
#include "inset/inset_build.h"
#include "kes_msg_names.h"
#include "records/kes_cell.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"

double kes_inset_kernel_value(const kes_curve* k, int sub) {
  switch (sub) {
    case 1: return k->kernel.c;
    case 2: return k->kernel.h;
    case 3: return k->kernel.amise;
    default: return kes_fit_missing();
  }
}

int kes_inset_kernel_text(const kes_curve* k, int sub, char* text) {
  // The bandwidth and AMISE are in the values' unit (and its inverse): their own digits.
  const double v = kes_inset_kernel_value(k, sub);
  if (sub == 2 || sub == 3) return kes_inset_placed_text(v, INT_MIN, text);
  return kes_inset_value_text(v, KES_IF_BEST, nullptr, ' ', text);
}

int kesiknl(const kes_stmt* stmt, kes_inset** last, kes_insetbox* box, kes_cell* cell, kes_ctx* ctx, int kernel) {
  (void)stmt;
  kes_plotslot* slot = kes_plot_slot(ctx, ctx->curreq, cell);
  if (slot == nullptr || slot->curves == nullptr || kernel < 0 || kernel >= slot->ncurves) {
    kes_inset_skip_block(box);
    return 0;
  }
  kes_curve* k = &slot->curves[kernel];
  const bool margin = (box->position[0] == 'T' || box->position[0] == 'B') && box->position[1] == 'M';
  const kes_inset_block blk = kes_inset_block_open(box);
  const int close_code = blk.close_code;
  const bool defaults = blk.defaults;
  const kes_fmtentry* all = kes_inset_all_format(box);
  int made = 0;
  auto add = [&](int sub, bool explicit_row) -> bool {
    const int kind = made == 0 ? (explicit_row ? KES_IK_FIRST_HDR : KES_IK_KERNEL_FIRST)
                               : (margin ? KES_IK_FIRST_HDR : KES_IK_NEXT_HDR);
    kes_inset* row = kes_inset_row(ctx, box, last, kind);
    if (row == nullptr) return false;
    ++made;
    box->block_header = 1;
    row->subcode = KES_DIST_KERNEL;
    row->curve = k;
    char label[KES_INSET_TEXT];
    const int ll = explicit_row ? kes_inset_user_label(box, label) : -1;
    if (ll >= 0) {
      for (int i = 0; i < KES_INSET_TEXT; ++i) row->label[i] = label[i];
      row->label_len = ll;
    } else {
      row->label_len =
          kes_inset_msg(row->label, KES_INSET_TEXT, KES_SET_LABEL, kesknlmsg(sub, sub == 0 ? k->kernel.type : 0));
    }
    bool user = false;
    const kes_fmtentry* fmt = explicit_row ? kes_inset_user_format(box, &user) : nullptr;
    if (sub == 0) {
      row->value_len = 0;
      return true;
    }
    const kes_fmtentry* f = user ? fmt : all;
    row->value_len = f != nullptr ? kes_inset_value_text(kes_inset_kernel_value(k, sub), KES_IF_USER, f, ' ', row->value)
                                  : kes_inset_kernel_text(k, sub, row->value);
    return true;
  };
  if (defaults) {
    for (int sub = 0; sub < 4; ++sub)
      if (!add(sub, false)) return KES_RC_OUT_OF_MEMORY;
    ++box->cursor;
    return 0;
  }
  for (int code = kes_inset_code(box, ++box->cursor); code != close_code && code != KES_IC_END;
       code = kes_inset_code(box, ++box->cursor))
    if (!add(code, true)) return KES_RC_OUT_OF_MEMORY;
  return 0;
}
