// kesmerg(ctx) -> int: common histogram bins of every HISTOGRAM request that plots the
// current variable, cell counts for the other kinds; 0, 1012 or 1016 (a positive
// result ends the step).
//
// Until the plot requests are written this body records the call and returns the
// results set in the stand-in record (driver/placeholder_hooks.h).
#include "plotreq/plot_requests.h"

#include "driver/placeholder_hooks.h"

int kesmerg(kes_ctx*) {
  kes_ph_trace("merg;");
  return kes_ph_next(kes_ph.kesmerg);
}
