// kesqini(ctx, k) -> int: QQPLOT request k (from 1) for the current variable: the data
// against the family's quantiles on a nice quantile axis, with an optional percentile
// axis, one graph per shape pair. 0, 1008 when no cell can be used, 1016, or the
// device renderer's result.
#include "plotreq/plot_requests.h"
#include "plotreq/prob_driver.h"

int kesqini(kes_ctx* ctx, int k) {
  static const kes_probkind kKind = {true, "QQPlot", 1041, 201, 398, 1399, 1408};
  return kes_probrun(ctx, k, kKind);
}
