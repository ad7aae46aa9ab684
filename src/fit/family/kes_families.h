// The members each family's files define (its estimate, distribution function and
// density beside its law) and the names of its law's derived members.
#pragma once
#include "fit/family/kes_law.h"
#include "fit/kes_famfn.h"
#include "records/kes_curve.h"

struct kes_stmt;
struct kes_curve;
struct kes_estframe;

// Normal family.
int kesnest(kes_ctx* ctx, kes_preq* request, kes_cell* cell, double low, double high, double* height);
double kesncdf(const double* params, double x);
constexpr auto kesnp = kes_lawfn_p<KES_DIST_NORMAL>;
double kesnplt(double x, double c, const double* params);
constexpr auto kesnq = kes_lawfn_q<KES_DIST_NORMAL>;
constexpr auto kesnx = kes_lawfn_x<KES_DIST_NORMAL>;

// Exponential family.
int keseest(kes_ctx* ctx, kes_preq* request, kes_cell* cell, double low, double high, double* height);
double kesecdf(const double* params, double x);
constexpr auto kesep = kes_lawfn_p<KES_DIST_EXPONENTIAL>;
double keseplt(double x, double c, const double* params);
constexpr auto keseq = kes_lawfn_q<KES_DIST_EXPONENTIAL>;
constexpr auto kesex = kes_lawfn_x<KES_DIST_EXPONENTIAL>;

// Lognormal family; index is the SIGMA= list position.
int keslest(kes_ctx* ctx, kes_preq* request, kes_cell* cell, double low, double high, int index, double* height);
double keslcdf(const double* params, double x);
// The lognormal's tails at x with zeta held as log(at - theta) + dz (at a position near
// the data): ln((x - theta) / (at - theta)) = log1p((x - at) / (at - theta)) keeps the
// digits that ln(x - theta) - zeta loses far from 0.
kes_pit kes_lognormal_tails_at(const double* params, double at, double dz, double x);
constexpr auto keslp = kes_lawfn_p<KES_DIST_LOGNORMAL>;
double keslplt(double x, double c, const double* params);
constexpr auto keslq = kes_lawfn_q<KES_DIST_LOGNORMAL>;
constexpr auto keslx = kes_lawfn_x<KES_DIST_LOGNORMAL>;

// Weibull families (code 3, and code 8 on the log scale); index is the C= position.
int keswest(kes_ctx* ctx, kes_preq* request, kes_cell* cell, int code, double low, double high, int index,
            double* height);
double keswcdf(const double* params, double x);
constexpr auto keswp = kes_lawfn_p<KES_DIST_WEIBULL>;
double keswplt(double x, double c, const double* params);
// Code 8 on the log scale: params[0] log(sigma), params[1] 1/c.
double kesw2cdf(const double* params, double y);
constexpr auto keswq = kes_lawfn_q<KES_DIST_WEIBULL>;
constexpr auto keswx = kes_lawfn_x<KES_DIST_WEIBULL>;
constexpr auto kesw2p = kes_lawfn_p<KES_DIST_WEIBULL2>;
constexpr auto kesw2q = kes_lawfn_q<KES_DIST_WEIBULL2>;
constexpr auto kesw2x = kes_lawfn_x<KES_DIST_WEIBULL2>;

// Gamma family; index is the ALPHA= position.
int kesgest(kes_ctx* ctx, kes_preq* request, kes_cell* cell, double low, double high, int index, double* height);
double kesgcdf(const double* params, double x);
constexpr auto kesgp = kes_lawfn_p<KES_DIST_GAMMA>;
double kesgplt(double x, double c, const double* params);
constexpr auto kesgq = kes_lawfn_q<KES_DIST_GAMMA>;
constexpr auto kesgx = kes_lawfn_x<KES_DIST_GAMMA>;

// Beta family; ia and ib are the ALPHA= and BETA= positions.
int kesbest(kes_ctx* ctx, kes_preq* request, kes_cell* cell, double low, double high, int ia, int ib,
            double* height);
double kesbcdf(const double* params, double x);
constexpr auto kesbp = kes_lawfn_p<KES_DIST_BETA>;
double kesbplt(double x, double c, const double* params);
constexpr auto kesbq = kes_lawfn_q<KES_DIST_BETA>;
constexpr auto kesbx = kes_lawfn_x<KES_DIST_BETA>;

// What the estimates of the three-parameter families share.
// A single number option of the statement, or missing when not given.
double kes_stmt_number(const kes_stmt* s, int slot);
// A given threshold at or above the minimum: its notes (the first in the form of the
// request's CLASS variables when cell_form), true. False when the threshold may be used.
bool kes_theta_refused(kes_ctx* ctx, kes_preq* request, kes_cell* cell, int code, double theta, double min,
                       int note_var, int note_min, bool cell_form);
// Whether a once-per-curve note (byte `which` of the curve's noted bytes) is to be
// written now: not yet written for this curve, nor for the statement's same curve in
// another CLASS cell of the variable (a default the statement leaves open is the
// statement's, said once, not once per cell). Marks it written.
bool kes_first_curve_note(kes_ctx* ctx, const kes_preq* request, kes_curve* c, int which);
// The default threshold 0 when no THETA= list is given, noted once per curve.
void kes_theta_default(kes_ctx* ctx, const kes_preq* request, kes_curve* c, double* theta, bool listed, int note);
// The engine's run for a law with threshold, scale and shape (estimated flags from
// the missing ones), whose peak at the threshold for a shape near 1 may lie far above
// the bars: on the percent scale a peak above 100 does not raise the axis.
int kes_est_finish_shape(kes_estframe* f, const kes_preq* request, double* height);
