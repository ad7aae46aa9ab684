// The unit a value-list fit works in (see zfit_unit.cpp).
#pragma once
#include "fit/zfit.h"
#include "records/kes_valview.h"

// The exponent e of the unit 2^e of a request: that of the larger of |minimum| and
// |maximum| (0 when both are 0 or not finite).
int zfit_unit_exponent(const zfit_req* r);

// A fit's request and values in its unit, while the fit runs.
struct zfit_unit_frame {
  bool on;
  int e;
  double origin;  // subtracted from the values before the division (0, or the smallest value)
  zfit_req req;
  kes_valview view;
};

// Puts the fit into its unit: a copy of the request with its values, range, moments,
// bin width, location and scale (parameters 1 and 2) divided by 2^e, the values in
// the fit's pool. A maximum-likelihood fit of a threshold works relative to the
// smallest value (the origin) in the unit of the range, with the moments of the
// relative values; so does the exponential fit, from its threshold. 0, or 1016
// after the host's memory message.
int zfit_unit_enter(zfit_work* w, zfit_unit_frame* u);
// Back to the caller's request: the location, scale, modes and curve points' abscissas
// times 2^e (positions plus the origin), the heights as they are.
void zfit_unit_leave(zfit_work* w, zfit_unit_frame* u, zfit_req* caller);

// A value of the fit's unit in the data's (for the notes of a fit).
double zfit_in_data_units(const zfit_work* w, double v);
