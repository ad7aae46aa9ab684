// The Johnson SB (bounded) and SU (unbounded) families' members; their fits, curve
// heights and moment solvers are the engine's (zfit_johnson.h).
#pragma once
#include "fit/family/kes_law.h"
#include "fit/kes_famfn.h"
#include "records/kes_curve.h"
#include "fit/zfit.h"
#include "fit/zfit_johnson.h"

struct kes_stmt;
struct kes_curve;

// SB members.
int kesvest(kes_ctx* ctx, kes_preq* request, kes_cell* cell, double low, double high, int i, int j,
            double* height);
double kesvcdf(const double* params, double x);
constexpr auto kesvp = kes_lawfn_p<KES_DIST_SB>;
constexpr auto kesvq = kes_lawfn_q<KES_DIST_SB>;
constexpr auto kesvx = kes_lawfn_x<KES_DIST_SB>;
// Raw moments E[Y^k], k = 1..4, of Y = 1/(1 + exp(-(Z - gamma)/delta)): 0, or 1 with
// all four missing.
int kesvmom(double delta, double gamma, double m[4]);

// SU members.
int kesuest(kes_ctx* ctx, kes_preq* request, kes_cell* cell, double low, double high, int i, int j,
            double* height);
double kesucdf(const double* params, double x);
constexpr auto kesup = kes_lawfn_p<KES_DIST_SU>;
constexpr auto kesuq = kes_lawfn_q<KES_DIST_SU>;
constexpr auto kesux = kes_lawfn_x<KES_DIST_SU>;

// What the two estimates share: the fit controls of the statement (FITINTERVAL= into
// the percentile z, FITTOL= into the ratio tolerance, FITMETHOD= into the method,
// with note KES_MSG_FIT_METHOD_NOT_AVAILABLE for the value 4) and the result block the reports read.
void kes_johnson_controls(const kes_stmt* s, int z_slot, int tol_slot, int method_slot, zfit_req* r);
// Copies the engine's peak into the curve (both peak fields and the second peak).
void kes_johnson_peak(kes_curve* c, const zfit_req* r);
