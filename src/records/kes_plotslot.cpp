// kes_plot_slot: the one lookup of a cell's plot record for a request and the current
// variable.
#include "records/kes_cell.h"
#include "records/kes_ctx.h"
#include "records/kes_plotslot.h"

kes_plotslot* kes_plot_slot(const kes_ctx* ctx, const kes_preq* request, const kes_cell* cell) {
  if (request == nullptr || cell == nullptr || cell->slots == nullptr || request->varslot == nullptr) return nullptr;
  const int k = request->varslot[ctx->curvar];
  if (k < 0) return nullptr;
  return &cell->slots[request->first_slot + k];
}
