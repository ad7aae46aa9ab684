// The family function set: every distribution family a plot request can name is
// served by one set of functions of the same shape, chosen by its distribution code.
// Code 9 (kernel) has no set; its callers handle it apart. p, q, x and pct are the
// law's members derived once for every family (fit/family/kes_law.h).
#pragma once

struct kes_ctx;
struct kes_preq;
struct kes_cell;
struct kes_plotslot;
struct kes_edf3fam;

struct kes_famfn {
  // Estimate for the cell's current curve: 0 fitted, 1 not fitted. i and j are the
  // list positions the family reads (its index within the family, or shape indexes);
  // height, when not null, receives the largest height over [low, high].
  int (*est)(kes_ctx* ctx, kes_preq* request, kes_cell* cell, int code, double low,
             double high, int i, int j, double* height);
  // 100 times the distribution function at the standardized point z (cdf's, with
  // threshold 0 and scale 1); 0 at or below 1e-7 and, for a bounded law, 100 from its
  // upper end.
  double (*p)(const double* params, double z);
  // The fitted distribution function at x, from 0 to 1; missing where the family's
  // incomplete function cannot take x. Null for code 8, which fits no curve.
  double (*cdf)(const double* params, double x);
  // Standardized p-quantile, shapes from the slot's current curve; missing where it
  // does not exist as a finite number.
  double (*q)(kes_ctx* ctx, kes_plotslot* slot, double p);
  // Height of the curve at x, c being its scale constant; null for code 8.
  double (*plt)(double x, double c, const double* params);
  // Standardized p-quantile into *out: 0, or 1 with *out unchanged.
  int (*x)(const double* params, double p, double* out);
  // EDF tests of the cell's current curve, ending with its expected percents.
  void (*edf)(kes_ctx* ctx, kes_preq* request, kes_cell* cell);
  // Expected percent of every histogram bin of the cell for its current curve.
  void (*mid)(kes_ctx* ctx, kes_preq* request, kes_cell* cell);
  // Parameter and goodness-of-fit rows of the cell's current curve.
  void (*tbl)(kes_ctx* ctx, kes_cell* cell);
  // Fitted quantile of the cell's current curve at a percent (0 < percent < 100), or
  // missing.
  double (*pct)(kes_ctx* ctx, kes_cell* cell, double percent);
  // The EDF tests the family shares with the other shape families (their tables' range
  // of shapes), or null where its tests are its own.
  const kes_edf3fam& (*edf3)();
};

// The note that the family of code could not be fitted to the current variable in the
// cell, for the current plot request, with the reason its last estimate gave (then
// cleared, so that it is given once).
void kesnoest(kes_ctx* ctx, kes_cell* cell, int code);
// The same note only where the last estimate gave a reason: for the callers that lose
// the line without a note of their own (the points stand without fitted parameters),
// so that the reason is not lost.
void kesnoest_if_reason(kes_ctx* ctx, kes_cell* cell, int code);

// Scale constant c of curve k of the cell's plot slot of the current request and
// variable: 0, or 1 when it cannot be formed. With exp2 given, a constant that would
// pass the largest double while the curve's heights do not (bins near it: a density
// that divides by a value of 1e308 only at each point) comes as c / 2^*exp2, each
// height then to be multiplied back by 2^*exp2 (exact in binary); *exp2 is 0 otherwise.
int kescnst(kes_ctx* ctx, kes_preq* request, kes_cell* cell, int k, double* c, int* exp2 = nullptr);
