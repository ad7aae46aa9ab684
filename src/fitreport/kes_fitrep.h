// The goodness-of-fit and fitted-distribution report routines shared inside this
// folder: the per-cell test pass, expected percents, the EDF table look-ups, the
// table writers and the OUTHISTOGRAM rows.
#pragma once


struct kes_ctx;
struct kes_preq;
struct kes_cell;
struct kes_curve;
struct kes_plotslot;
struct kes_edfres;
struct kes_valview;

// EDF tests of every fitted curve of one cell.
void kesgof2(kes_ctx* ctx, kes_preq* request, kes_cell* cell);

// Critical values of D (as sqrt(n) D), W-Sq and A-Sq at the 11 levels .5 ... .001
// for both beta shapes estimated at sample size n; they hold shapes below
// KES_BETA_TABLE_SHAPE_HIGH only.
constexpr double KES_BETA_TABLE_SHAPE_HIGH = 5.0;
void kes_beta_crit(double alpha, double beta, double n, double crit[3][11]);

// The EDF member of both Johnson families: no tests; the block says so, then the
// expected percents of mid.
void kes_johnson_notests(kes_ctx* ctx, kes_preq* request, kes_cell* cell,
                         void (*mid)(kes_ctx*, kes_preq*, kes_cell*));

// Expected percent of every bin of the cell for its current curve, with the curve's
// distribution function cdf (a fraction) of a bin end. No array when the curve's
// array cannot be had.
typedef double (*kes_bincdf)(const double* params, double x);
void kes_midpct(kes_ctx* ctx, kes_preq* request, kes_cell* cell, kes_bincdf cdf);

// The cells the fitted-distribution table columns read, and the table objects.
constexpr int KES_FITCELL = 40;
struct kes_fitrows {
  void* parms;            // ParameterEstimates
  void* good;             // GoodnessOfFit
  int name_w, sym_w;      // widths of the parameter-name and symbol cells
  int test_w, lab_w, ptype_w;
  char name[KES_FITCELL];
  char sym[KES_FITCELL];
  char test[KES_FITCELL];
  char testlab[KES_FITCELL];
  char ptype[KES_FITCELL];
  char psign[4];
  double value;           // estimate, or the test statistic
  double df;
  double pvalue;
  double point, obspct, exppct;   // Bins
  double pct, obsq, estq;         // FitQuantiles
  void* bound;            // the last bound table
};

// The context's rows, made on first use; null after the host's memory message.
kes_fitrows* kes_fit_rows(kes_ctx* ctx);

// One parameter row of a family's ParameterEstimates: label and symbol messages of
// set KES_SET_PLOT (symbol 0: none) and where the value is read.
enum kes_fitval : int {
  KES_FV_USED0,
  KES_FV_USED1,
  KES_FV_USED2,
  KES_FV_USED3,
  KES_FV_MEAN,
  KES_FV_STD,
  KES_FV_SKEW,
  KES_FV_KURT,
  KES_FV_PEAK,     // the peak location as the reports read it
  KES_FV_PEAK2,    // second peak location
  KES_FV_HEIGHT2,  // second peak height
};
struct kes_parmrow {
  int label;
  int symbol;
  int value;  // kes_fitval
};
// The table writer every family shares: its name message (KES_SET_PLOT) and rows.
void kes_write_fit_tables(kes_ctx* ctx, kes_cell* cell, int name_msg, const kes_parmrow* rows, int nrows);

// fitvem: the tables of curve k of the cell; kesopct: the observed quantile of the
// current variable in the cell at a percent.
int fitvem(kes_ctx* ctx, int k, kes_cell* cell, int depth);
double kesopct(kes_ctx* ctx, kes_cell* cell, double percent);
// The same at n percents in one pass over the cell's values.
void kesopct_list(kes_ctx* ctx, kes_cell* cell, const double* percents, int n, double* out);

// A bar height h on the request's vertical scale (0 percent, 1 count, 2 proportion)
// as a percent of the cell's n values and as a count.
double kes_bar_percent(int vscale, double h, double n);
double kes_bar_count(int vscale, double h, double n);

// One OUTHISTOGRAM observation per bin of the cell (curve null) or of one curve.
void kescmhg(kes_ctx* ctx, kes_preq* request, kes_plotslot* slot, kes_curve* curve);
