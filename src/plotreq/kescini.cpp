// kescini(ctx, k) -> int: CDFPLOT request k (from 1) for the current variable; 0, 1 or
// 1016.
//
// Not written yet: nothing is done, and nothing failed.
#include "plotreq/plot_requests.h"

int kescini(kes_ctx*, int) {
  return 0;
}
