// The maximum-likelihood fit of a shape and a threshold (see zfit_thresh.cpp).
#pragma once
#include "fit/zfit.h"

// What a family gives the search: the shape's start and bounds (all three equal when
// the shape is given), the family's own start of the threshold (missing, or not below
// the smallest value, when it has none), and the likelihood callbacks on a
// zfit_optrec of the parameters (shape, threshold).
struct zfit_thresh_spec {
  double shape0, shape_lo, shape_hi;
  double theta0;
  double (*obj)(void*);
  int (*deriv)(void*);
};

// 0 with x = (shape, threshold) at an interior local maximum of the likelihood; 1 when
// none was found from any start; 1016 after the host's memory message.
int zfit_threshold_ml(zfit_work* w, const zfit_thresh_spec& s, double* x);
