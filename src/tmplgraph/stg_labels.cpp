// Slots and axis texts of the template graphs.
#include "tmplgraph/stg_labels.h"

#include <algorithm>
#include <cstring>

#include "driver/kes_ctx.h"
#include "driver/plot_checks.h"
#include "fit/kes_estframe.h"
#include "host/host_services.h"
#include "kes_gram_names.h"
#include "plotreq/kes_plotslot.h"

kes_plotslot* kes_stg_slot(kes_ctx* ctx, kes_cell* cell) { return kes_fit_slot(ctx, ctx->curreq, cell); }

kes_plotslot* kes_stg_keyslot(kes_ctx* ctx) { return kes_fit_slot(ctx, ctx->curreq, kes_fit_bins_cell(ctx->curreq)); }

// The family of the probability-type requests is chosen by their drivers, which keep
// it with the request once they are built; until then no such graph is made.
int kes_stg_family(const kes_preq*) { return -1; }

int kes_stg_vlabel(kes_ctx* ctx, char* buffer, int size) {
  const kes_preq* r = ctx->curreq;
  const kes_stmt* st = r->stmt;
  if (ctx->tmplgraph && kes_pgiven(st, KES_PLOT_SLOT_VAXISLABEL) && !kes_flag(st, KES_PLOT_FLAG_ROTATE)) {
    const kes_optslot* s = kes_pslot(st, KES_PLOT_SLOT_VAXISLABEL);
    const int n = std::min(s->v.count, size);
    if (s->list != nullptr && n > 0) std::memcpy(buffer, s->list, static_cast<std::size_t>(n));
    return s->list != nullptr ? std::max(n, 0) : 0;
  }
  int msg = 0;
  switch (r->type) {
    case KES_PLOT_HISTOGRAM: msg = r->vscale == 0 ? 304 : r->vscale == 1 ? 478 : r->vscale == 2 ? 476 : 0; break;
    case KES_PLOT_CDF: msg = r->vscale == 0 ? 488 : r->vscale == 1 ? 486 : r->vscale == 2 ? 490 : 0; break;
    case KES_PLOT_PP: msg = 174; break;
    default: {
      // QQ and probability plots: the variable's label or name.
      host_varinfo v{};
      xvname(ctx->data, ctx->varnums[ctx->curvar], &v);
      const char* t = v.label_len > 0 ? v.label : v.name;
      const int n = std::min<int>(v.label_len > 0 ? v.label_len : v.name_len, size);
      std::memcpy(buffer, t, static_cast<std::size_t>(n));
      return n;
    }
  }
  return msg != 0 ? xpmstr(buffer, size, 308, msg) : 0;
}
