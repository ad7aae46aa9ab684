// The walk over the cells of a histogram request (see hist_bins.h).
#pragma once

#include "records/kes_cell.h"
#include "records/kes_ctx.h"

template <class Fn>
int kes_each_hist_cell(kes_ctx* ctx, Fn fn) {
  kes_classvars* cv = ctx->classvars;
  if (cv == nullptr) return 0;
  for (kes_cell* level = cv->levels; level != nullptr; level = level->next) {
    if (cv->count < 2) {
      if (const int r = fn(level); r != 0) return r;
      continue;
    }
    for (kes_cell* child = level->child; child != nullptr; child = child->next)
      if (const int r = fn(child); r != 0) return r;
  }
  return 0;
}
