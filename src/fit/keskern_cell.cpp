#include "fit/keskern_cell.h"
#include "kes_msg_names.h"
#include "records/kes_plotslot.h"

#include <cmath>
#include <cstring>

#include "numeric/zmissing.h"


const kes_plotslot* kes_kern_binslot(const kes_ctx* ctx, const kes_cell* cell) {
  const kes_classvars* cv = ctx->curreq != nullptr ? ctx->curreq->classvars : nullptr;
  if (cv != nullptr && cv->keycell != nullptr) {
    const kes_plotslot* key = kes_plot_slot(ctx, ctx->curreq, cv->keycell);
    if (key != nullptr) return key;
  }
  return kes_plot_slot(ctx, ctx->curreq, cell);
}

kes_varsum* kes_kern_varsum(const kes_ctx* ctx, const kes_cell* cell) {
  if (cell == nullptr || cell->varsums == nullptr) return nullptr;
  return &cell->varsums[ctx->curvar];
}

kes_curve* kes_kern_curve(kes_plotslot* slot, int k) {
  return &slot->curves[slot->ncurves - slot->nkernels + k];
}

void kes_kern_name(int type, const int (&names)[3], char name[16]) {
  char text[64];
  const int t = type >= KES_KERN_NORMAL && type <= KES_KERN_QUADRATIC ? type : KES_KERN_NORMAL;
  int len = xpmstr(text, sizeof text, KES_SET_LABEL, names[t - 1]);
  if (len < 0) len = 0;
  if (len > 16) len = 16;
  std::memset(name, ' ', 16);
  std::memcpy(name, text, static_cast<size_t>(len));
}

kes_kern_levels kes_kern_levels_of(const kes_ctx* ctx, const kes_cell* cell) {
  kes_kern_levels v{};
  const kes_classvars* cv = ctx->curreq != nullptr ? ctx->curreq->classvars : ctx->classvars;
  v.count = cv != nullptr ? cv->count : 0;
  if (v.count > 2) v.count = 2;
  // With two CLASS variables the cell is a child; its child link is its parent.
  const kes_cell* cells[2] = {v.count == 2 ? cell->child : cell, cell};
  for (int i = 0; i < v.count; ++i) {
    v.namelen[i] = cv->var[i].name.len;
    v.name[i] = cv->var[i].name.text;
    v.levellen[i] = cells[i] != nullptr ? cells[i]->fmt.len : 0;
    v.level[i] = cells[i] != nullptr ? cells[i]->fmt.text : "";
  }
  return v;
}

double kes_kern_unit(double v, int e) { return is_missing(v) ? v : std::ldexp(v, -e); }
