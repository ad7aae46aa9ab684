// kesqini(ctx, k) -> int: QQPLOT request k (from 1) for the current variable; 0, 1008
// or 1016.
//
// Until the plot requests are written this body records the call and returns the
// results set in the stand-in record (driver/placeholder_hooks.h).
#include "plotreq/plot_requests.h"

#include "driver/placeholder_hooks.h"

int kesqini(kes_ctx*, int k) {
  kes_ph_trace("qq(%d);", k);
  return kes_ph_next(kes_ph.kesqini);
}
