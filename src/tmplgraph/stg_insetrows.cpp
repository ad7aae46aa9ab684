// The label-only rows of the CLASS form of template insets: rows named by an inset
// data set (kesstgidat, kesdatarows), the rows of a distribution block (kesstgidst)
// and of a kernel block (kesstgiknl), made on the key cell's curves. Each row keeps
// what its values are made from in every cell: the statistic or sub-code, the user
// format, and the curve (by its index in the curve array).
#include <cstring>

#include "fit/kes_estframe.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "inset/inset_build.h"
#include "inset/inset_data.h"
#include "inset/kes_inset.h"
#include "kes_msg_names.h"
#include "records/family_names.h"
#include "records/kes_cell.h"
#include "records/kes_cells.h"
#include "records/kes_classvars.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"
#include "records/pool_alloc.h"
#include "records/stmt_slots.h"
#include "tmplgraph/stg_insets.h"
#include "util/kes_text.h"

namespace {
bool prob_or_qq(const kes_preq* rq) { return rq->type == KES_PLOT_PROB || rq->type == KES_PLOT_QQ; }

kes_cell* key_cell(kes_ctx* ctx) {
  const kes_classvars* cv = ctx->curreq->classvars;
  return cv != nullptr ? cv->keycell : nullptr;
}

kes_inset* new_row(kes_ctx* ctx, kes_insetbox* box, kes_inset** last, int kind, int subcode, kes_curve* c) {
  kes_inset* r = kes_inset_row(ctx, box, last, kind);
  if (r == nullptr) return nullptr;
  r->subcode = static_cast<std::uint8_t>(subcode);
  r->curve = c;
  return r;
}

// A row's label: the user label when a 100 follows the cursor, else message 431/number.
void label_row(kes_insetbox* box, kes_inset* r, int number, bool user_allowed) {
  char label[KES_INSET_TEXT];
  const int ll = user_allowed ? kes_inset_user_label(box, label) : -1;
  if (ll >= 0) {
    std::memcpy(r->label, label, KES_INSET_TEXT);
    r->label_len = ll;
  } else {
    r->label_len = kes_inset_msg(r->label, KES_INSET_TEXT, KES_SET_LABEL, number);
  }
}

// The row's user format, when a 200 follows the cursor.
void format_row(kes_insetbox* box, kes_inset* r) {
  bool taken = false;
  r->fmt = kes_inset_user_format(box, &taken);
}

}  // namespace

int kesdatarows(kes_ctx* ctx, kes_insetbox* box, kes_inset** last, const kes_textdesc* texts) {
  kes_idata* d = box->idata;
  if (d == nullptr || kes_idata_rewind(ctx, d) != 0) return 0;
  while (kes_idata_next(d)) {
    if (!kes_idata_matches_texts(ctx, d, texts, d->nclass)) continue;
    char label[KES_INSET_TEXT];
    const int ll = kes_idata_label(d, label);
    bool found = false;
    for (const kes_inset* r = box->rows; r != nullptr && !found; r = r->next)
      found = r->kind == KES_IK_DATA && r->label_len == ll && std::memcmp(r->label, label, static_cast<size_t>(ll)) == 0;
    if (found) continue;
    kes_inset* r = new_row(ctx, box, last, KES_IK_DATA, 0, nullptr);
    if (r == nullptr) return KES_RC_OUT_OF_MEMORY;
    std::memcpy(r->label, label, KES_INSET_TEXT);
    r->label_len = ll;
  }
  return 0;
}

int kesstgidat(kes_ctx* ctx, kes_stgraph* g, kes_inset** last) {
  (void)g;
  kes_insetbox* box = ctx->insets;
  bool failed = false;
  auto* d = static_cast<kes_idata*>(kes_zalloc(kes_inset_pool(ctx), sizeof(kes_idata), 0x2002, &failed));
  if (d == nullptr) return KES_RC_OUT_OF_MEMORY;
  const int rc = kes_idata_open(ctx, box->stmt, d);
  if (rc != 0) return rc;
  box->idata = d;
  const kes_classvars* cv = ctx->curreq->classvars;
  // The CLASS combinations that have cells, in level order.
  return kes_each_cell(cv, [&](const kes_cell* c, const kes_cell* level) {
    const kes_textdesc t[2] = {level->fmt, cv->count < 2 ? kes_textdesc{} : c->fmt};
    return kesdatarows(ctx, box, last, t) != 0 ? KES_RC_OUT_OF_MEMORY : 0;
  });
}

int kesstgidst(kes_ctx* ctx, int family, kes_inset** last) {
  kes_insetbox* box = ctx->insets;
  const kes_preq* rq = ctx->curreq;
  kes_plotslot* slot = kes_plot_slot(ctx, rq, key_cell(ctx));
  const bool pq = prob_or_qq(rq);
  if (pq && slot != nullptr && slot->line) box->line = 1;
  const kes_inset_block blk = kes_inset_block_open(box);
  int ndefault = kesnparms(family);
  if (pq && !box->line) ndefault -= 2;
  kes_inset_subnotes noted;
  int added = 0, shown = 0;
  const int ncurves = slot != nullptr && slot->curves != nullptr ? slot->ncurves : 0;
  for (int ci = 0; ci < ncurves; ++ci) {
    kes_curve* c = &slot->curves[ci];
    if (c->dist != family) continue;
    ++shown;
    kes_inset_block_restart(box, blk);
    kes_inset* h = new_row(ctx, box, last, KES_IK_FIRST, family, c);
    if (h == nullptr) return -1;
    h->label_len = kes_inset_msg(h->label, KES_INSET_TEXT, KES_SET_LABEL, kes_family_name(family));
    ++added;
    box->block_header = 1;
    if (blk.defaults) {
      for (int k = 0; k < ndefault; ++k) {
        const int sub = kesalloff(family, k);
        kes_inset* r = new_row(ctx, box, last, KES_IK_NEXT, family, c);
        if (r == nullptr) return -1;
        r->item = static_cast<std::uint8_t>(sub);
        r->label_len = kes_inset_msg(r->label, KES_INSET_TEXT, KES_SET_LABEL, kesdistmsg(family, sub));
        ++added;
      }
      continue;
    }
    for (int sub = kes_inset_code(box, ++box->cursor); sub != blk.close_code && sub != KES_IC_END;
         sub = kes_inset_code(box, ++box->cursor)) {
      if (!kes_inset_sub_shown(ctx, rq, box, c, family, sub, &noted)) continue;
      kes_inset* r = new_row(ctx, box, last, KES_IK_NEXT, family, c);
      if (r == nullptr) return -1;
      r->item = static_cast<std::uint8_t>(sub);
      label_row(box, r, kesdistmsg(family, sub), true);
      format_row(box, r);
      ++added;
    }
  }
  if (shown == 0 || blk.defaults) kes_inset_block_close(box, blk);
  return added;
}

int kesstgiknl(kes_ctx* ctx, int kernel, kes_inset** last) {
  kes_insetbox* box = ctx->insets;
  kes_plotslot* slot = kes_plot_slot(ctx, ctx->curreq, key_cell(ctx));
  kes_curve* k = slot != nullptr && slot->curves != nullptr && kernel >= 0 && kernel < slot->ncurves ? &slot->curves[kernel] : nullptr;
  const kes_inset_block blk = kes_inset_block_open(box);
  const int close_code = blk.close_code;
  const bool defaults = blk.defaults;
  kes_inset* h = new_row(ctx, box, last, KES_IK_FIRST, KES_DIST_KERNEL, k);
  if (h == nullptr) return KES_RC_OUT_OF_MEMORY;
  box->block_header = 1;
  h->label_len = kes_inset_msg(h->label, KES_INSET_TEXT, KES_SET_LABEL, KES_MSG_KERNEL_NAME);
  const int type = k != nullptr ? k->kernel.type : 0;
  if (defaults) {
    // The kernel's type follows the header's own label.
    char tname[KES_INSET_TEXT];
    const int tl = kes_inset_msg(tname, KES_INSET_TEXT, KES_SET_LABEL, kesknlmsg(0, type));
    char joined[KES_INSET_HEADER];
    const int jl = wzstcat(joined, KES_INSET_HEADER, ' ', 2, h->label, h->label_len, tname, tl);
    std::memcpy(h->label, joined, KES_INSET_TEXT);
    h->label_len = wzstrip(h->label, jl < KES_INSET_TEXT ? jl : KES_INSET_TEXT);
    for (int sub = 1; sub <= 3; ++sub) {
      kes_inset* r = new_row(ctx, box, last, KES_IK_NEXT, KES_DIST_KERNEL, k);
      if (r == nullptr) return KES_RC_OUT_OF_MEMORY;
      r->item = static_cast<std::uint8_t>(sub);
      r->label_len = kes_inset_msg(r->label, KES_INSET_TEXT, KES_SET_LABEL, kesknlmsg(sub, 0));
    }
    ++box->cursor;
    return 0;
  }
  for (int sub = kes_inset_code(box, ++box->cursor); sub != close_code && sub != KES_IC_END;
       sub = kes_inset_code(box, ++box->cursor)) {
    kes_inset* r = new_row(ctx, box, last, KES_IK_NEXT, KES_DIST_KERNEL, k);
    if (r == nullptr) return KES_RC_OUT_OF_MEMORY;
    r->item = static_cast<std::uint8_t>(sub);
    label_row(box, r, sub == 0 ? kesknlmsg(0, type) : kesknlmsg(sub, 0), true);
    format_row(box, r);
  }
  return 0;
}
