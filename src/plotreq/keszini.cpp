// keszini(ctx, k) -> int: PPPLOT request k (from 1) for the current variable; 0, 1,
// 1008 or 1016.
//
// Not written yet: nothing is done, and nothing failed.
#include "plotreq/plot_requests.h"

int keszini(kes_ctx*, int) {
  return 0;
}
