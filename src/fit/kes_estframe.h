// What every estimate function of a family shares: finding the cell's records of the
// current request and variable, reading a curve's entry of a parameter list, and the
// common frame around the fitting engine.
#pragma once
#include "fit/zfit.h"

struct kes_ctx;
struct kes_preq;
struct kes_cell;
struct kes_plotslot;
struct kes_curve;
struct kes_varsum;
struct kes_stmt;
struct kes_name32;

// The slot's current curve.
kes_curve* kes_fit_curve(kes_plotslot* slot);
// The cell's record of the current variable.
kes_varsum* kes_fit_varsum(const kes_ctx* ctx, kes_cell* cell);
// The cell that holds the request's common bins (the key cell, else the first cell).
kes_cell* kes_fit_bins_cell(const kes_preq* request);
// The name of the current variable (blank outside a step).
const kes_name32& kes_fit_varname(const kes_ctx* ctx);
// The host's standard missing value.
double kes_fit_missing();
// An estimate as tables and insets show it: one that overflowed (or is not a number)
// is missing.
double kes_fit_estimate(double v);

// A curve's entry of a per-curve parameter list: the list's value at min(length - 1,
// index), or missing when the entry is marked EST. *listed is set when the list was
// given at all.
double kes_param_entry(const kes_stmt* s, int values_slot, int markers_slot, int index, bool* listed);
// Whether the curve's entry of an EST marker list says EST (nonzero); false when the
// marker slot is not given.
bool kes_marker_est(const kes_stmt* s, int markers_slot, int index);

// The frame of one estimate: the records it works on and the request for the engine.
struct kes_estframe {
  kes_ctx* ctx;
  const kes_preq* request;
  const kes_cell* cell;
  kes_varsum* vs;
  kes_plotslot* slot;
  kes_curve* curve;
  zfit_req req;
};

// Steps 1 and 2 of every estimate: false when the cell has no values (not fitted,
// no message); otherwise f is set up for the engine with the given family.
bool kes_est_begin(kes_ctx* ctx, kes_preq* request, kes_cell* cell, int family, double low, double high,
                   const double* height, kes_estframe* f);
// Steps 4 and 5: runs the engine with the parameters in f.req (estimated flags set
// from the missing ones unless already set), copies the results into the curve and
// the height through height. 0 fitted, 1 not fitted. A likelihood that also rises
// without bound beside the maximum is noted naming the family, the variable and the
// cell; why no maximum was found is kept in the curve for the caller's note that the
// family could not be fitted (kesnoest).
int kes_est_finish(kes_estframe* f, double* height);
