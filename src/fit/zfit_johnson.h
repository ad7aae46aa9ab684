// The Johnson SB and SU fits in the engine, their curve heights and the moment
// solvers; the families' members (kes_johnson.h) sit above them. Both transform the
// variable to a standard normal Z = gamma + delta * h((x - theta) / sigma), h = logit
// for SB and asinh for SU; parameters in curve order (theta, sigma, delta, gamma).
#pragma once
#include "fit/zfit.h"

// The curves' heights at x, c being the scale constant: the engine's curves and the
// families' members share them.
double kesvplt(double x, double c, const double* params);
double kesuplt(double x, double c, const double* params);

// The SU law's mean (of the standardized variable), variance, skewness and excess
// kurtosis for omega = exp(1/delta^2) and Omega = gamma/delta; non-finite when a
// term overflows.
struct zsu_moments {
  double mean, var, skew, kurt;
};
zsu_moments zsu_moms(double omega, double big_omega);

// What the two fits share. Whether the parameters to estimate are a set the fits
// serve (delta and gamma, with the threshold known or both threshold and scale
// estimated), else note 1340; with none to estimate the method becomes 5.
bool zjs_estimable(zfit_work* w);
// delta and gamma with the threshold and scale known: 1/s
// and -mean/s of the transforms h((x - theta)/sigma) (divisor N); 1 when they have
// no spread.
int zjs_shapes(zfit_work* w, double (*h)(double));
// The same at the threshold and scale given; false when the transforms have no spread
// (or are not finite).
bool zjs_shapes_at(const zfit_work* w, double (*h)(double), double theta, double sigma, double* delta,
                   double* gamma);
typedef int (*zjs_solver)(double* gamma, double* delta, double skewness, double beta2, double* m, double* v);
// The moment fit by solver: note announce, note bad when the statistics it needs are
// missing or too small, note 1336 when the solver fails. 0, or 1 after the notes.
int zjs_moments(zfit_work* w, int announce, int bad, zjs_solver solver);

// The engine's fits and curve functions.
int fitsb(zfit_work* w);
double sbplot(double x, const zfit_work* w);
int fitsu(zfit_work* w);
double suplot(double x, const zfit_work* w);

// Moment solvers: gamma and delta whose law has the skewness and beta2 (kurtosis + 3)
// given, with the standardized law's mean m and variance v. 0 solved, else failed.
int zjsdsb(double* gamma, double* delta, double skewness, double beta2, double* m, double* v);
int zjsdsu(double* gamma, double* delta, double skewness, double beta2, double* m, double* v);

// Skewness and beta2 of the standardized SB law with their partial derivatives in
// gamma (index 0) and delta (index 1), and its mean and variance: 0, or 1 when the
// integration fails.
struct zsb_shape {
  double mean, var, skew, beta2;
  double ds[2], dk[2];
};
int zsbalbt(double gamma, double delta, zsb_shape* out);
