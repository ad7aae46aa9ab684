// The EDF tests the gamma, lognormal and Weibull fits share: the case from the
// statement's markers, the statistics over the cell's values, and the look-ups of
// the all-known, known-threshold and shape-dependent cases.
#pragma once
#include <cmath>

#include "fit/family/kes_law.h"
#include "fitreport/kes_edftab.h"
#include "records/kes_values.h"

struct kes_ctx;
struct kes_preq;
struct kes_cell;
struct kes_curve;

typedef kes_pit (*kes_pitfn)(const double* params, double x);

// One family's tests.
struct kes_edf3fam {
  int coef_family;        // kes_coeffam
  int name_msg;           // set KES_SET_LABEL: the family's name
  int theta_marks, scale_marks, shape_marks;
  kes_pitfn pit;  // the law's tails
  // Known threshold, cases 1 to 3: the fixed look-ups (null: coefficient sets 1-3).
  void (*known)(int ncase, double n, double d, double wsq, double asq, kes_edfp* pd, kes_edfp* pw, kes_edfp* pa);
  // Coefficient set of a case 1..7 at the shape; 0 when the shape is outside the tables.
  int (*set)(int ncase, double shape);
  // The tables' range of shapes, lo < shape < hi, and the shape's symbol: what the note
  // says of a fitted shape outside it.
  double shape_lo, shape_hi;
  const char* shape_symbol;
};

// The statistics D, W-Sq and A-Sq of n values (ascending, with their counts) against
// the law of params; A-Sq is missing, after its note, when the law cannot give it.
struct kes_edfstat3 {
  double d, wsq, asq;
};
// Where the tests read the values: each x as (x - origin) / 2^unit against the law of
// params in those coordinates.
// A lognormal's zeta may be held there as log(zeta_at - theta) + zeta_dz (zeta_at NaN
// where it is not).
struct kes_edfcoords {
  double params[4];
  double origin;
  int unit;
  double zeta_at = NAN, zeta_dz = NAN;
  double at(double x) const;
  // The law's tails (pit) at the value x of the data.
  kes_pit pit(kes_pitfn tails, double x) const;
};
// The coordinates a curve was fitted in, where its parameters there lead back to the
// curve's own (dist: the law they are read under); else the data's own, with the
// curve's parameters.
kes_edfcoords kes_edf_coords(const kes_curve& c, int dist);
// The statistics over the values in ascending order; the distribution function of
// values held as arrays runs on `threads` threads (bit-identical for any count).
kes_edfstat3 kes_edf3_stats(const kes_edf3fam& fam, const kes_edfcoords& at, double n, kes_valiter& values,
                            int threads = 1);
kes_edfstat3 kes_edf3_stats(const kes_edf3fam& fam, const double* params, double n, kes_valiter& values,
                            int threads = 1);
// The members' tests, for callers that run them outside a request.
const kes_edf3fam& kes_edf3_gamma();
const kes_edf3fam& kes_edf3_lognormal();
const kes_edf3fam& kes_edf3_weibull();

// The tests of the cell's current curve, fitted moments given; the expected percents
// are left to the caller.
void kes_edf3(kes_ctx* ctx, kes_preq* request, kes_cell* cell, const kes_edf3fam& fam, double mean, double std);
// Case 0 to 7 of the curve: 4 threshold + 2 shape + scale estimated.
int kes_edf3_case(const kes_preq* request, const kes_curve* c, const kes_edf3fam& fam);
// The note msg that the tests of the family (its name's message) are not computed, and
// why (too few observations, a shape the tables do not reach), naming the variable and
// the cell: msg (of set) reads the family, then the variable.
void kes_gof_untested_note(kes_ctx* ctx, const kes_preq* request, const kes_cell* cell, int name_msg, int set,
                           int msg);
// The p-values of the statistics of a curve of case ncase with the fitted shape, as
// the tests report them (left as they are when there are none). True where the tables
// need more observations than the cell has (the caller's note says so).
bool kes_edf3_pvalues(kes_ctx* ctx, const kes_edf3fam& fam, int ncase, double shape, double n, double d, double wsq,
                      double asq, kes_edfp* pd, kes_edfp* pw, kes_edfp* pa);
// The statistics D, W-Sq and A-Sq of the coefficient set at sample size n and shape.
void kes_edf3_coef(kes_ctx* ctx, const kes_edf3fam& fam, int set, double shape, double n, double d, double wsq,
                   double asq, kes_edfp* pd, kes_edfp* pw, kes_edfp* pa);
