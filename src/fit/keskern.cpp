// Kernel density curves: set-up, bandwidths, heights, points and OUTKERNEL rows.
//
// Not built yet: no kernel curve is set up, so none is fitted, drawn or written.
#include "fit/kes_kernel.h"

void keskern(kes_ctx*, kes_cell*) {}

int keskdfx(kes_ctx*, kes_cell*) {
  return 0;
}

double keskdfy(kes_ctx*, kes_cell*, int) {
  return 0.0;
}

int keskdf(kes_ctx*, kes_cell*, double*, double*, double, double, int* npoints, kes_curve*) {
  if (npoints) *npoints = 0;
  return 0;
}

int kesoutk(kes_ctx*) {
  return 0;
}
