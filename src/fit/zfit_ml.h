// The engine of the maximum-likelihood fits of two or more parameters (see zfit_ml.cpp).
#pragma once
#include "fit/zfit.h"

// What a family gives the engine: its parameters in the optimiser's order with their
// bounds (equal bounds hold a parameter at its given value), its starts, the estimate
// flags its callbacks read (the family's own order) and its likelihood callbacks on a
// zfit_optrec: the negative log-likelihood and its gradient and packed Hessian.
struct zfit_ml_spec {
  static constexpr int kMaxParams = 4;
  static constexpr int kMaxStarts = 8;
  int n;
  int flags[kMaxParams];
  double lo[kMaxParams], hi[kMaxParams];
  double starts[kMaxStarts][kMaxParams];
  int nstarts;
  double (*obj)(void*);
  int (*deriv)(void*);
  // Optional: the objective, its gradient and its Hessian from one pass over the values
  // (returns the objective; obj and deriv are then not called). The optimiser asks for
  // the derivatives at the point it last evaluated, so each iteration then costs one
  // pass over the values instead of two.
  double (*objderiv)(void*);
  double tol;       // stopping rule: g'H^-1 g below tol max(|log L|, values)
  double unit_log;  // the objective less this is -log L of the data in units of their range
  double values;    // the number of values (1 for an objective that is a mean)
  int maxiter;  // iterations of each run from a start (MAXITER=)
};

// Adds a start (held parameters at their value, free ones kept inside their bounds);
// starts past kMaxStarts are dropped.
void zfit_ml_add_start(zfit_ml_spec* s, const double* x0);

// Why no interior maximum was found: the run that reached the largest likelihood ended
// at a bound of a parameter (the likelihood rises toward it), at a point that is no
// maximum (a saddle, or a flat valley along which the likelihood keeps rising), or
// still climbing when its iterations ran out.
// (The profile search of a threshold tells also a likelihood rising as the threshold
// moves away from the data, toward the limit law.)
enum zfit_ml_end : int { ZFIT_ML_MAXIMUM = 0, ZFIT_ML_AT_BOUND, ZFIT_ML_NO_MAXIMUM, ZFIT_ML_BUDGET, ZFIT_ML_AWAY };

// The run from each start; x gets the best interior local maximum of the likelihood
// (the largest). 0 found; 1 none, with *why the reason and x the last point of the run
// that reached the largest likelihood (unset where no run reached a finite one).
int zfit_ml(zfit_work* w, const zfit_ml_spec& s, double* x, zfit_ml_end* why);

// Whether x is an interior local maximum: every free parameter strictly inside its
// bounds, the likelihood finite there and the Hessian of the negative log-likelihood
// positive definite over the free parameters.
bool zfit_ml_interior(zfit_work* w, const zfit_ml_spec& s, const double* x);

// Records why the fit found no maximum, for the note of the family that could not be
// fitted.
void zfit_ml_refused(zfit_work* w, zfit_ml_end why, int maxiter);
// The reason's text (NUL-terminated, cut to size - 1 characters): its length.
int zfit_ml_reason(int why, int maxiter, char* text, int size);

// The iterations of each run from a start when MAXITER= is not given, and the stopping
// rule's tolerance (g'H^-1 g below it times |log L|) when the family has no option for
// it: log L (of the data in units of their range) then ends within about 1e-12 |log L|
// of the maximum.
constexpr int kMlIterations = 100;
constexpr double kMlTolerance = 1e-12;

// One run of the bounded optimiser on parameters scaled by the root of their curvature
// at the start: ZFIT_ML_MAXIMUM when it converged (the caller judges the point),
// ZFIT_ML_AT_BOUND when it converged with a free parameter held at a bound,
// ZFIT_ML_BUDGET when its iterations ran out, ZFIT_ML_NO_MAXIMUM when it stopped
// otherwise (no descent left, a Hessian no ridge makes positive definite). x gets the
// last point and *f its negative log-likelihood.
zfit_ml_end zfit_ml_run(zfit_work* w, const zfit_ml_spec& s, const double* x0, double* x, double* f);
