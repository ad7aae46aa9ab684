// Slots and axis texts of the template graphs.
#include "tmplgraph/stg_labels.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "plotdata/kes_axislabels.h"
#include "fit/kes_estframe.h"
#include "host/host_services.h"
#include "kes_gram_names.h"
#include "records/kes_ctx.h"
#include "records/kes_plotslot.h"
#include "records/stmt_slots.h"
#include "util/kes_text.h"

kes_plotslot* kes_stg_slot(kes_ctx* ctx, kes_cell* cell) { return kes_plot_slot(ctx, ctx->curreq, cell); }

kes_plotslot* kes_stg_keyslot(kes_ctx* ctx) { return kes_plot_slot(ctx, ctx->curreq, kes_fit_bins_cell(ctx->curreq)); }

int kes_stg_family(const kes_preq* r) { return r->type == KES_PLOT_HISTOGRAM ? -1 : r->dist; }

// One rule for both renderers (kesvlab).
int kes_stg_vlabel(kes_ctx* ctx, char* buffer, int size) {
  if (size < KES_AXIS_LABEL_MAX) return 0;
  return kesvlab(ctx, buffer);
}

