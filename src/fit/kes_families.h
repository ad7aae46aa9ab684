// The family function sets, one per built family (kes_famdisp selects them by code),
// and the members each family's two files define.
#pragma once
#include "fit/kes_famfn.h"

struct kes_stmt;
struct kes_curve;
struct kes_estframe;

// Normal family.
int kesnest(kes_ctx* ctx, kes_preq* request, kes_cell* cell, double low, double high, double* height);
double kesncdf(const double* params, double x);
double kesnp(const double* params, double z);
double kesnplt(double x, double c, const double* params);
double kesnq(kes_ctx* ctx, kes_plotslot* slot, double p);
int kesnx(const double* params, double p, double* out);

// Exponential family.
int keseest(kes_ctx* ctx, kes_preq* request, kes_cell* cell, double low, double high, double* height);
double kesecdf(const double* params, double x);
double kesep(const double* params, double z);
double keseplt(double x, double c, const double* params);
double keseq(kes_ctx* ctx, kes_plotslot* slot, double p);
int kesex(const double* params, double p, double* out);

// Lognormal family; index is the SIGMA= list position.
int keslest(kes_ctx* ctx, kes_preq* request, kes_cell* cell, double low, double high, int index, double* height);
double keslcdf(const double* params, double x);
double keslp(const double* params, double z);
double keslplt(double x, double c, const double* params);
double keslq(kes_ctx* ctx, kes_plotslot* slot, double p);
int keslx(const double* params, double p, double* out);

// Weibull families (code 3, and code 8 on the log scale); index is the C= position.
int keswest(kes_ctx* ctx, kes_preq* request, kes_cell* cell, int code, double low, double high, int index,
            double* height);
double keswcdf(const double* params, double x);
double keswp(const double* params, double z);
double keswplt(double x, double c, const double* params);
double keswq(kes_ctx* ctx, kes_plotslot* slot, double p);
int keswx(const double* params, double p, double* out);
double kesw2p(const double* params, double z);
double kesw2q(kes_ctx* ctx, kes_plotslot* slot, double p);
int kesw2x(const double* params, double p, double* out);

// Gamma family; index is the ALPHA= position.
int kesgest(kes_ctx* ctx, kes_preq* request, kes_cell* cell, double low, double high, int index, double* height);
double kesgcdf(const double* params, double x);
double kesgp(const double* params, double z);
double kesgplt(double x, double c, const double* params);
double kesgq(kes_ctx* ctx, kes_plotslot* slot, double p);
int kesgx(const double* params, double p, double* out);

// Beta family; ia and ib are the ALPHA= and BETA= positions.
int kesbest(kes_ctx* ctx, kes_preq* request, kes_cell* cell, double low, double high, int ia, int ib,
            double* height);
double kesbcdf(const double* params, double x);
double kesbp(const double* params, double z);
double kesbplt(double x, double c, const double* params);
double kesbq(kes_ctx* ctx, kes_plotslot* slot, double p);
int kesbx(const double* params, double p, double* out);
// Critical values of D (as sqrt(n) D), W-Sq and A-Sq at the 11 levels .5 ... .001
// for both shapes estimated at sample size n.
void kes_beta_crit(double alpha, double beta, double n, double crit[3][11]);

// What the estimates of the three-parameter families share.
// A single number option of the statement, or missing when not given.
double kes_stmt_number(const kes_stmt* s, int slot);
// A given threshold at or above the minimum: its notes (the first in the form of the
// request's CLASS variables when cell_form), true. False when the threshold may be used.
bool kes_theta_refused(kes_ctx* ctx, kes_preq* request, kes_cell* cell, int code, double theta, double min,
                       int note_var, int note_min, bool cell_form);
// The default threshold 0 when no THETA= list is given, noted once per curve.
void kes_theta_default(kes_ctx* ctx, kes_curve* c, double* theta, bool listed, int note);
// The engine's run for a law with threshold, scale and shape (estimated flags from
// the missing ones), whose peak at the threshold for a shape near 1 may lie far above
// the bars: on the percent scale a peak above 100 does not raise the axis.
int kes_est_finish_shape(kes_estframe* f, const kes_preq* request, double* height);
