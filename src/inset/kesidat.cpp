// kesidat: the rows an INSET statement's DATA= data set adds to its box: one row per
// observation of the current BY group that belongs to the current variable and cell.
#include "host/step_codes.h"
#include "inset/inset_build.h"
#include "inset/inset_data.h"
#include "records/kes_ctx.h"

int kesidat(kes_ctx* ctx, kes_cell* cell, int panel, kes_insetbox* box, kes_inset** last) {
  // The cell itself tells its CLASS levels (a child cell knows its parent level), so
  // the panel index is not needed to find the first variable's level.
  (void)panel;
  kes_idata r;
  const int rc = kes_idata_open(ctx, box->stmt, &r);
  if (rc != 0) return rc;
  int result = 0;
  while (kes_idata_next(&r)) {
    if (!kes_idata_matches(ctx, &r, cell)) continue;
    kes_inset* row = kes_inset_row(ctx, box, last, KES_IK_PLAIN);
    if (row == nullptr) {
      result = KES_RC_OUT_OF_MEMORY;
      break;
    }
    row->label_len = kes_idata_label(&r, row->label);
    row->value_len = kes_idata_value(&r, row->value);
  }
  kes_idata_close(&r);
  return result;
}
