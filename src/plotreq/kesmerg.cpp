// kesmerg(ctx) -> int: common histogram bins of every HISTOGRAM request that plots the
// current variable, cell counts for the other kinds; 0, 1012 or 1016 (a positive
// result ends the step).
//
// Not written yet: nothing is done, and nothing failed.
#include "plotreq/plot_requests.h"

int kesmerg(kes_ctx*) {
  return 0;
}
