// keshini(ctx, k) -> int: HISTOGRAM request k (from 1) for the current variable: bins,
// axes, fits and tests, the graph, OUTKERNEL rows and the fitted-distribution
// tables; 0 or the first failure.
//
// Until the plot requests are written this body records the call and returns the
// results set in the stand-in record (driver/placeholder_hooks.h).
#include "plotreq/plot_requests.h"

#include "driver/placeholder_hooks.h"

int keshini(kes_ctx*, int k) {
  kes_ph_trace("hist(%d);", k);
  return kes_ph_next(kes_ph.keshini);
}
