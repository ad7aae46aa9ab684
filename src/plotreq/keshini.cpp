// keshini(ctx, k) -> int: HISTOGRAM request k (from 1) for the current variable: bins,
// axes, fits and tests, the graph, OUTKERNEL rows and the fitted-distribution
// tables; 0 or the first failure.
//
// Not written yet: nothing is done, and nothing failed.
#include "plotreq/plot_requests.h"

int keshini(kes_ctx*, int) {
  return 0;
}
