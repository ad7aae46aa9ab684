// Small readers the chart drawers share: the current request's layout and chart
// record, the plot slots of the current variable, statement texts and names.
#pragma once
#include <cstring>

#include "kes_gram_names.h"
#include "records/kes_cell.h"
#include "records/kes_classvars.h"
#include "records/kes_ctx.h"
#include "records/kes_layout.h"
#include "records/kes_plotslot.h"
#include "records/stmt_slots.h"
#include "util/kes_eps.h"

inline kes_layout* kes_glayout(kes_ctx* ctx) { return ctx->curreq->layout; }
inline kes_chart* kes_chart_of(kes_ctx* ctx) { return &ctx->curreq->layout->c; }
// From one column of cells to the next: the gap and a cell's width with its offsets.
inline double kes_column_pitch(const kes_layout* lay) {
  return lay->c.hcellgap + lay->haxis.offset[0] + lay->c.width + lay->haxis.offset[1];
}
// From one row of cells to the next, upwards: the gap and a cell's height with its offsets.
inline double kes_row_pitch(const kes_layout* lay) {
  return lay->c.vcellgap + lay->vaxis.offset[0] + lay->c.height + lay->vaxis.offset[1];
}

// The cell's plot slot for the current request and variable.
inline kes_plotslot* kes_gslot(kes_ctx* ctx, kes_cell* cell) { return kes_plot_slot(ctx, ctx->curreq, cell); }
// The key cell's slot: the common bins and the axis scales of every cell.
inline kes_plotslot* kes_gkeyslot(kes_ctx* ctx) { return kes_gslot(ctx, ctx->classvars->keycell); }

// A text option of the plot statement: its characters and length (0 when not given).
inline const char* kes_gtext_opt(const kes_stmt* s, int slot, int* len) {
  const kes_optslot* o = kes_pslot(s, slot);
  if (!o->given || o->list == nullptr || o->v.count <= 0) {
    *len = 0;
    return "";
  }
  *len = o->v.count;
  return static_cast<const char*>(o->list);
}
// An 8-character name option into out (blanks when not given).
inline void kes_gname_opt(const kes_stmt* s, int slot, char* out) {
  const kes_optslot* o = kes_pslot(s, slot);
  if (o->given) std::memcpy(out, o->v.name, 8);
  else std::memset(out, ' ', 8);
}
inline bool kes_gblank(const char* name8) {
  for (int i = 0; i < 8; ++i)
    if (name8[i] != ' ' && name8[i] != '\0') return false;
  return true;
}
// name8 equals the word, blank-padded.
inline bool kes_gname_is(const char* name8, const char* word) {
  char w[8];
  std::memset(w, ' ', 8);
  std::memcpy(w, word, std::strlen(word));
  return std::memcmp(name8, w, 8) == 0;
}

// ZCOMPRESS of the PROC statement: tick values in their shortest form.
inline int kes_zcompress(const kes_ctx* ctx) {
  return ctx->proc != nullptr && kes_flag(ctx->proc, KES_PROC_FLAG_ZCOMPRESS) ? 1 : 0;
}
