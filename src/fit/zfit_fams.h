// The fit routines of the lognormal, Weibull and gamma laws that the engine runs,
// with their curve functions and the pieces their tests reach.
#pragma once
#include "fit/zfit.h"

int fitlognormal(zfit_work* w);
double lognormplot(double x, const zfit_work* w);
// Score of the threshold at w's theta (re-estimating the estimated zeta and sigma
// there); missing when sigma vanishes.
double ThreshEst(zfit_work* w);
void ZetaEst(zfit_work* w);
void SigmaEst(zfit_work* w);

int fitweibull(zfit_work* w);
double weibullplot(double x, const zfit_work* w);
// Newton iteration for the shape with the threshold given: 0, or 1 after its notes.
int NRweibull(zfit_work* w, int maxiter, double tol);
// Skewness of the Weibull law of shape c.
double sqrtbeta1(double c);

int fitgamma(zfit_work* w);
double gammaplot(double x, const zfit_work* w);
int NRgamma(zfit_work* w, int maxiter, double tol, double a, double gm);

// The optimiser run shared by the threshold-estimating fits: parameters (shape,
// threshold) from x0 within [lo, hi], objective and derivatives on a zfit_optrec;
// 0 with x holding the solution, or 1 (no memory, or the optimiser failed).
int zfit_optimise(zfit_work* w, const int* estflags, double tol, int maxiter, const double* x0, const double* lo,
                  const double* hi, double (*obj)(void*), int (*deriv)(void*), double* x);

// The iteration limit and tolerance of a request: its own when given, else the
// defaults.
int zfit_maxiter(const zfit_req* r, int dflt);
double zfit_tol(const zfit_req* r, double dflt);
