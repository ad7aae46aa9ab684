// kesqini(ctx, k) -> int: QQPLOT request k (from 1) for the current variable: the data
// against the family's quantiles on a nice quantile axis, with an optional percentile
// axis, one graph per shape pair. 0, 1008 when no cell can be used, 1016, or the
// device renderer's result.
#include "kes_msg_names.h"
#include "plotreq/plot_requests.h"
#include "plotreq/prob_driver.h"

int kesqini(kes_ctx* ctx, int k) {
  static const kes_probkind kKind = {true,
                                     "QQPlot",
                                     KES_MSG_QQ_PLOT_GROUP,
                                     KES_MSG_QQ_NO_CLASS_CELL,
                                     KES_MSG_QQ_STD_ZERO,
                                     KES_MSG_QQ_STD_ZERO_CELL,
                                     KES_MSG_QQ_STD_ZERO_CELL2,
                                     KES_MSG_QQ_NO_CELL_SHOWN};
  return kes_probrun(ctx, k, kKind);
}
