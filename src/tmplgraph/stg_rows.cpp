// The columns and rows every template graph shares: the CLASS columns, the
// reference-line columns, and the walk over the CLASS cells.
#include <cstring>

#include "host/host_services.h"
#include "host/template_dynamics.h"
#include "kes_gram_names.h"
#include "records/kes_cell.h"
#include "records/kes_cells.h"
#include "records/kes_ctx.h"
#include "records/stmt_slots.h"
#include "tmplgraph/kes_stgraph.h"
#include "tmplgraph/stg_prob.h"

namespace {

// ORDER kes_plottype: the row writer of each plot type.
using row_writer = void (*)(kes_ctx*, kes_stgraph*, kes_cell*);
constexpr row_writer kWriters[6] = {nullptr, putqq, puthist, putcdf, putprob, putpp};

// The current-level buffer of CLASS variable i takes the cell's formatted level.
void set_level(kes_classvar& v, const kes_cell* cell) {
  std::memset(v.fmt.text, ' ', v.fmt.width);
  const int n = cell->fmt.len < v.fmt.width ? cell->fmt.len : v.fmt.width;
  if (n > 0) std::memcpy(v.fmt.text, cell->fmt.text, static_cast<std::size_t>(n));
  v.fmt.len = static_cast<std::uint16_t>(n);
}

}  // namespace

void classcols(const kes_classvars* cv, kes_stgraph* g) {
  for (int i = 0; i < cv->count; ++i) {
    const kes_classvar& v = cv->var[i];
    kes_stg_charcol(g, g->classcol[i], v.fmt.text, v.fmt.width, g->classlabel[i]);
  }
}

void kesrefs(kes_ctx* ctx, kes_stgraph* g) {
  const kes_preq* r = ctx->curreq;
  void* min = vemtxt("MIN", 3);
  void* max = vemtxt("MAX", 3);
  if (r->nhref > 0) {
    kes_stg_numcol(g, "HRefValue", KES_STG_HREF_CELL, vemtxt("HRefValue", 9));
    if (r->hreflabels != nullptr)
      kes_stg_charcol(g, vemtxt("HRefLabel", 9), g->hreflabel, KES_STG_REFLABEL, vemtxt("HRefLabel", 9));
    const bool low = kes_pgiven(r->stmt, KES_PLOT_SLOT_HREFLABPOS) && kes_pnumber(r->stmt, KES_PLOT_SLOT_HREFLABPOS) == 3;
    kes_dyn_text(g, KES_DYN_HREFLABPOS, low ? min : max);
  }
  if (r->nvref > 0) {
    kes_stg_numcol(g, "VRefValue", KES_STG_VREF_CELL, vemtxt("VRefValue", 9));
    if (r->vreflabels != nullptr)
      kes_stg_charcol(g, vemtxt("VRefLabel", 9), g->vreflabel, KES_STG_REFLABEL, vemtxt("VRefLabel", 9));
    // VREFLABPOS= defaults to 1, the left end, as on the device.
    const bool low =
        !kes_pgiven(r->stmt, KES_PLOT_SLOT_VREFLABPOS) || kes_pnumber(r->stmt, KES_PLOT_SLOT_VREFLABPOS) == 1;
    kes_dyn_text(g, KES_DYN_VREFLABPOS, low ? min : max);
  }
}

void kes_stg_reflabel(char* cell, const kes_reflabel& label) {
  std::memset(cell, ' ', KES_STG_REFLABEL);
  std::memcpy(cell, label.text, strnlen(label.text, KES_STG_REFLABEL));
}

void putclass(kes_ctx* ctx, kes_stgraph* g, kes_cell* cell) {
  const int type = ctx->curreq->type;
  const row_writer w = type >= 1 && type <= KES_PLOT_PP ? kWriters[type] : nullptr;
  if (w != nullptr) w(ctx, g, cell);
}

void putdata(kes_ctx* ctx, kes_stgraph* g) {
  kes_classvars* cv = ctx->curreq->classvars;
  if (cv->count == 0) {
    putclass(ctx, g, cv->keycell != nullptr ? cv->keycell : cv->levels);
    return;
  }
  kes_each_cell(cv, [&](kes_cell* cell, kes_cell* level) {
    set_level(cv->var[0], level);
    if (cv->count == 2) set_level(cv->var[1], cell);
    putclass(ctx, g, cell);
  });
}
