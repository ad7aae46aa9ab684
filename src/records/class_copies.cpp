#include "records/class_copies.h"

#include <cstring>

#include "records/kes_cell.h"
#include "records/kes_classvars.h"
#include "util/kes_text.h"

bool kes_define_class_copies(kes_ctx* ctx, host_access* acc) {
  const kes_classvars* cv = ctx->classvars;
  for (int i = 0; cv != nullptr && i < cv->count; ++i) {
    const kes_classvar& c = cv->var[i];
    host_varinfo info;
    std::memset(&info, 0, sizeof info);
    if (xvname(ctx->data, c.varnum, &info) != 0) return false;
    const bool text = c.type == 2;
    void* at = text ? static_cast<void*>(c.key.text) : const_cast<double*>(&c.value);
    if (xvputd(acc, &info, 0, at, text ? c.key.width : 0, 0, 0) != 0) return false;
  }
  return true;
}

void kes_class_key_from_cell(kes_classvar& var, const kes_cell* cell) {
  if (var.key.text != nullptr) {
    vzmp(cell->key.text, cell->key.len, var.key.text, var.key.width);
    var.key.len = cell->key.len < var.key.width ? cell->key.len : var.key.width;
  }
  var.value = cell->value;
}

void kes_class_copies_from_cell(kes_ctx* ctx, const kes_cell* cell) {
  kes_classvars* cv = ctx->classvars;
  if (cv == nullptr || cv->count == 0 || cell == nullptr) return;
  if (cv->count == 1) {
    kes_class_key_from_cell(cv->var[0], cell);
    return;
  }
  if (cell->child != nullptr) kes_class_key_from_cell(cv->var[0], cell->child);
  kes_class_key_from_cell(cv->var[1], cell);
}
