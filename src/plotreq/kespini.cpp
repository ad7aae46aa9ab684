// kespini(ctx, k) -> int: PROBPLOT request k (from 1) for the current variable: the
// data against the family's quantiles on a percent axis, one graph per shape pair.
// 0 (also after a note that nothing is drawn), 1 when no default percent ticks cover
// the plotting positions, 1008 when no cell can be used, 1016, or the device
// renderer's result.
#include "kes_msg_names.h"
#include "plotreq/plot_requests.h"
#include "plotreq/prob_driver.h"

int kespini(kes_ctx* ctx, int k) {
  static const kes_probkind kKind = {false,
                                     "ProbPlot",
                                     KES_MSG_PROB_PLOT_GROUP,
                                     KES_MSG_PROB_NO_CLASS_CELL,
                                     KES_MSG_PROB_STD_ZERO,
                                     KES_MSG_PROB_STD_ZERO_CELL,
                                     KES_MSG_PROB_STD_ZERO_CELL2,
                                     KES_MSG_PROB_NO_CELL_SHOWN};
  return kes_probrun(ctx, k, kKind);
}
