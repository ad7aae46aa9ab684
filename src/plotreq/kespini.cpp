// kespini(ctx, k) -> int: PROBPLOT request k (from 1) for the current variable; 0,
// 1008 or 1016.
//
// Not written yet: nothing is done, and nothing failed.
#include "plotreq/plot_requests.h"

int kespini(kes_ctx*, int) {
  return 0;
}
