// kescmhf(ctx, request, cell) -> 0: counts the current variable's observations of the
// cell into the bins of its plot slot for the request and sets the slot's
// vertical-scale factor.
//
// Not written yet: nothing is done, and nothing failed.
#include "plotreq/plot_requests.h"

int kescmhf(kes_ctx*, kes_preq*, kes_cell*) {
  return 0;
}
