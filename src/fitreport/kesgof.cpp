// kesgof(ctx): EDF goodness-of-fit tests and expected percents of every fitted curve
// of the current histogram request and variable, cell by cell.
#include "fit/kes_estframe.h"
#include "fit/kes_famfn.h"
#include "fitreport/kes_famsets.h"
#include "fitreport/kes_fitrep.h"
#include "fitreport/kes_fitreport.h"
#include "host/host_services.h"
#include "kes_msg_names.h"
#include "records/kes_cell.h"
#include "records/kes_cells.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"

namespace {
bool has_curves(const kes_ctx* ctx, const kes_preq* request, kes_cell* cell) {
  const kes_plotslot* s = kes_plot_slot(ctx, request, cell);
  return s != nullptr && s->ncurves != 0;
}
}  // namespace

void kesgof2(kes_ctx* ctx, kes_preq* request, kes_cell* cell) {
  kes_plotslot* slot = kes_plot_slot(ctx, request, cell);
  if (slot == nullptr) return;
  slot->curve = 0;
  if (slot->ncurves < 1 || slot->curves == nullptr) return;
  for (int i = 0; i < slot->ncurves; slot->curve = ++i) {
    const kes_curve& c = slot->curves[i];
    if (!c.fitted || c.dist < KES_DIST_NORMAL || c.dist > KES_DIST_SU) continue;
    const kes_famfn* fam = kes_famdisp(c.dist);
    if (fam != nullptr && fam->edf != nullptr) fam->edf(ctx, request, cell);
  }
}

int kesgof(kes_ctx* ctx) {
  kes_preq* request = ctx->curreq;
  if (request == nullptr || request->classvars == nullptr) return 0;
  const int v = ctx->curvar;
  if (request->total == nullptr || request->total[v] == 0) {
    if (!request->nodata_noted) {
      const kes_name32& name = ctx->varnames[v];
      if (request->classvars != ctx->classvars)
        xpmlog(KES_SET_LABEL, KES_MSG_VARIABLE_NO_VALUES_IN_CELLS, int(name.len), name.text);
      else xpmlog(KES_SET_PLOT, KES_MSG_VARIABLE_NO_VALUES_HISTOGRAM, int(name.len), name.text);
    }
    return 0;
  }
  kes_each_cell(request->classvars, [&](kes_cell* c) {
    if (has_curves(ctx, request, c)) kesgof2(ctx, request, c);
  });
  return 0;
}
