// The Johnson SB (bounded) and SU (unbounded) families: their members, their fits in
// the engine, and the moment solvers. Both transform the variable to a standard
// normal Z = gamma + delta * h((x - theta) / sigma), h = logit for SB and asinh for
// SU; parameters in curve order (theta, sigma, delta, gamma).
#pragma once
#include "fit/kes_famfn.h"
#include "fit/zfit.h"

struct kes_stmt;
struct kes_curve;

// SB members.
int kesvest(kes_ctx* ctx, kes_preq* request, kes_cell* cell, double low, double high, int i, int j,
            double* height);
double kesvcdf(const double* params, double x);
double kesvp(const double* params, double z);
double kesvplt(double x, double c, const double* params);
double kesvq(kes_ctx* ctx, kes_plotslot* slot, double p);
int kesvx(const double* params, double p, double* out);
// Raw moments E[Y^k], k = 1..4, of Y = 1/(1 + exp(-(Z - gamma)/delta)): 0, or 1 with
// all four missing.
int kesvmom(double delta, double gamma, double m[4]);

// SU members.
int kesuest(kes_ctx* ctx, kes_preq* request, kes_cell* cell, double low, double high, int i, int j,
            double* height);
double kesucdf(const double* params, double x);
double kesup(const double* params, double z);
double kesuplt(double x, double c, const double* params);
double kesuq(kes_ctx* ctx, kes_plotslot* slot, double p);
int kesux(const double* params, double p, double* out);

// What the two estimates share: the fit controls of the statement (FITINTERVAL= into
// the percentile z, FITTOL= into the ratio tolerance, FITMETHOD= into the method,
// with note KES_MSG_FIT_METHOD_NOT_AVAILABLE for the value 4) and the result block the reports read.
void kes_johnson_controls(const kes_stmt* s, int z_slot, int tol_slot, int method_slot, zfit_req* r);
// Copies the engine's peak into the curve (both peak fields and the second peak).
void kes_johnson_peak(kes_curve* c, const zfit_req* r);
// The EDF member of both families: no tests; the block says so, then the expected
// percents of mid.
void kes_johnson_notests(kes_ctx* ctx, kes_preq* request, kes_cell* cell,
                         void (*mid)(kes_ctx*, kes_preq*, kes_cell*));

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
