// kesline(ctx, slot, intercept slot, slope slot, alternative slope slot): the reference
// line of one cell from parameter values given on the statement.
#include <cmath>

#include "kes_gram_names.h"
#include "plotreq/kes_probfns.h"
#include "plotreq/prob_common.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"
#include "records/stmt_slots.h"

namespace {
double first_value(const kes_stmt* s, int slot) {
  const kes_optslot* o = kes_pslot(s, slot);
  return o->list != nullptr && o->v.count > 0 ? static_cast<const double*>(o->list)[0] : o->v.num;
}
}  // namespace

void kesline(kes_ctx* ctx, kes_plotslot* slot, int intercept_slot, int slope_slot, int alt_slope_slot) {
  kes_preq* r = ctx->curreq;
  const kes_stmt* s = r->stmt;
  slot->line = 0;
  if (r->dist == KES_DIST_WEIBULL2) {
    // log(data - threshold) = log(SIGMA) + (1/C) log(-log(1 - p)).
    if (kes_pgiven(s, KES_PLOT_SLOT_WEIBULL2_SIGMA)) {
      slot->intercept = std::log(kes_pnumber(s, KES_PLOT_SLOT_WEIBULL2_SIGMA));
      if (kes_pgiven(s, KES_PLOT_SLOT_WEIBULL2_C)) {
        slot->line = 1;
        slot->slope = 1.0 / kes_pnumber(s, KES_PLOT_SLOT_WEIBULL2_C);
      } else if (kes_pgiven(s, KES_PLOT_SLOT_WEIBULL2_SLOPE)) {
        slot->line = 1;
        slot->slope = kes_pnumber(s, KES_PLOT_SLOT_WEIBULL2_SLOPE);
      }
    }
  } else if (kes_pgiven(s, intercept_slot)) {
    // The lognormal's SLOPE= stands for exp(ZETA) and wins over a ZETA= beside it, as
    // the statement pass says when it reads both.
    const bool alt = alt_slope_slot != KES_NO_SLOT && kes_pgiven(s, alt_slope_slot);
    if (kes_pgiven(s, slope_slot) && !alt) {
      slot->line = 1;
      slot->intercept = first_value(s, intercept_slot);
      slot->slope = first_value(s, slope_slot);
      if (r->dist == KES_DIST_LOGNORMAL) slot->slope = std::exp(slot->slope);
    } else if (alt) {
      slot->line = 1;
      slot->intercept = first_value(s, intercept_slot);
      slot->slope = first_value(s, alt_slope_slot);
    }
  }
  // A P-P plot always has its diagonal, unless NOLINE.
  if (r->type == KES_PLOT_PP) slot->line = kes_flag(s, KES_PLOT_FLAG_NOLINE) ? 0 : 1;
  if (slot->line) r->line_wanted = 1;
}
