// The EDF member of the Johnson SB and SU families, which run no tests.
#include "fit/kes_estframe.h"
#include "fit/family/kes_johnson.h"
#include "fitreport/kes_fitrep.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"

void kes_johnson_notests(kes_ctx* ctx, kes_preq* request, kes_cell* cell,
                         void (*mid)(kes_ctx*, kes_preq*, kes_cell*)) {
  kes_curve* c = kes_fit_curve(kes_plot_slot(ctx, request, cell));
  if (c != nullptr) {
    kes_edfres& e = c->edf;
    for (int i = 0; i < 4; ++i) e.params[i] = c->params[i];
    const double miss = kes_fit_missing();
    e.asq = e.p_asq = e.d = e.p_d = e.wsq = e.p_wsq = miss;
    e.rel_asq = e.rel_wsq = e.rel_d = ' ';
    e.tested = 0;
    e.cause_noted = 0;
  }
  mid(ctx, request, cell);
}
