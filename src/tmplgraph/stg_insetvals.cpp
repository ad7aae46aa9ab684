// The values of one CLASS cell in the rows of the CLASS form of template insets: the
// rows named by the inset data set (kesdataput), and the rows of distribution and
// kernel blocks (kesdistput, kesknlput) from the cell's own curves, with the formulas
// of the device insets' blocks.
#include <cstdio>
#include <cstring>

#include "fit/kes_estframe.h"
#include "inset/inset_build.h"
#include "inset/inset_data.h"
#include "inset/kes_inset.h"
#include "records/kes_cell.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"
#include "tmplgraph/stg_insets.h"

namespace {

// The cell's curve at the place the row's key-cell curve has in the curve array.
kes_curve* own_curve(kes_ctx* ctx, kes_cell* cell, const kes_inset* r, kes_plotslot** slot) {
  *slot = kes_plot_slot(ctx, ctx->curreq, cell);
  if (*slot == nullptr || (*slot)->curves == nullptr || r->curve == nullptr) return nullptr;
  const int i = r->curve->index;
  return i >= 0 && i < (*slot)->ncurves ? &(*slot)->curves[i] : nullptr;
}

// The number of the curve within its family, from 1.
int number_in_family(const kes_plotslot* slot, const kes_curve* c) {
  int n = 0;
  for (int i = 0; i < slot->ncurves && &slot->curves[i] != c; ++i) n += slot->curves[i].dist == c->dist ? 1 : 0;
  return n + 1;
}

void header_value(const kes_insetbox* box, kes_inset* r, const kes_plotslot* slot, const kes_curve* c) {
  if (box->header_sample) return;
  char text[16];
  const int n = std::snprintf(text, sizeof text, "%d", number_in_family(slot, c));
  std::memset(r->value, ' ', KES_INSET_TEXT);
  std::memcpy(r->value, text, static_cast<size_t>(n));
  r->value_len = n;
}

}  // namespace

void kesdistput(kes_ctx* ctx, kes_cell* cell, kes_insetbox* box, kes_inset* r) {
  kes_plotslot* slot = nullptr;
  const kes_curve* c = own_curve(ctx, cell, r, &slot);
  // A curve that failed in this cell leaves its block blank.
  if (c == nullptr || !c->fitted) return;
  if (r->kind == KES_IK_FIRST) {
    header_value(box, r, slot, c);
    return;
  }
  char rel = ' ';
  const double v = kes_inset_block_value(ctx->curreq, slot, c, r->subcode, r->item, &rel);
  const kes_fmtentry* fmt = r->fmt != nullptr ? r->fmt : kes_inset_all_format(box);
  r->value_len = fmt != nullptr ? kes_inset_value_text(v, KES_IF_USER, fmt, rel, r->value)
                                : kes_inset_block_text(ctx->curreq, slot, c, r->subcode, r->item, v, rel, r->value);
}

void kesknlput(kes_ctx* ctx, kes_cell* cell, kes_insetbox* box, kes_inset* r) {
  kes_plotslot* slot = nullptr;
  const kes_curve* k = own_curve(ctx, cell, r, &slot);
  if (k == nullptr) return;
  if (r->kind == KES_IK_FIRST) {
    header_value(box, r, slot, k);
    return;
  }
  if (r->item == 0) return;
  const kes_fmtentry* fmt = r->fmt != nullptr ? r->fmt : kes_inset_all_format(box);
  r->value_len = fmt != nullptr ? kes_inset_value_text(kes_inset_kernel_value(k, r->item), KES_IF_USER, fmt, ' ', r->value)
                                : kes_inset_kernel_text(k, r->item, r->value);
}

void kesdataput(kes_ctx* ctx, kes_insetbox* box, kes_cell* cell) {
  kes_idata* d = box->idata;
  if (d == nullptr || kes_idata_rewind(ctx, d) != 0) return;
  while (kes_idata_next(d)) {
    if (!kes_idata_matches(ctx, d, cell)) continue;
    char label[KES_INSET_TEXT];
    const int ll = kes_idata_label(d, label);
    // Every data row of the box is searched for the label: the rows were made over all
    // cells, and this cell's observations need not come in their order.
    for (kes_inset* r = box->rows; r != nullptr; r = r->next) {
      if (r->kind != KES_IK_DATA || r->label_len != ll || std::memcmp(r->label, label, static_cast<size_t>(ll)) != 0)
        continue;
      r->value_len = kes_idata_value(d, r->value);
      break;
    }
  }
}
