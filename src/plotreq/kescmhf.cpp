// kescmhf(ctx, request, cell) -> 0: counts the current variable's observations of the
// cell into the bins of its plot slot for the request and sets the slot's
// vertical-scale factor.
//
// Until the plot requests are written this body records the call and returns the
// results set in the stand-in record (driver/placeholder_hooks.h).
#include "plotreq/plot_requests.h"

#include "driver/placeholder_hooks.h"

int kescmhf(kes_ctx*, kes_preq*, kes_cell*) {
  kes_ph_trace("cmhf;");
  return kes_ph_next(kes_ph.kescmhf);
}
