// EDF statistics whose p-values come from critical-value tables: the fixed tables of
// a fully given law, the coefficient tables of the cases with estimated parameters,
// and the rules that store the results in a curve.
#pragma once

struct kes_edfres;

// A p-value with its relation to the true one: ' ' read from the table, '<' the true
// value is below it, '>' above it. p is missing when not computed.
struct kes_edfp {
  double p;
  char rel;
};

// Look-ups in the fixed tables of a fully given law: modified D, modified W-Sq, A-Sq.
kes_edfp kes_edf_fixed_d(double dmod);
kes_edfp kes_edf_fixed_w(double wmod);
kes_edfp kes_edf_fixed_a(double asq);

// A-Sq = -A/n - n and W-Sq = W + 1/(12n) from the sums over n observations; A-Sq
// missing after its note when some value could not enter it (amark).
void kes_edf_asq_wsq(double n, double a, double w, bool amark, double* asq, double* wsq);

// The p-values of a fully given law at sample size n: modified D and W-Sq, and A-Sq
// from 5 observations on (else its note).
void kes_edf_case0(double n, double d, double wsq, double asq, kes_edfp* pd, kes_edfp* pw, kes_edfp* pa);

// A coefficient table: rows of 11 coefficients, one column per level of the shared
// level list .5 .25 .2 .15 .1 .05 .025 .01 .005 .0025 .001; row r is multiplied by
// n raised to pow[r] before the sum, whose exponential is the critical value.
struct kes_edfcoef {
  int nrows;
  const double (*rows)[11];
  const double* pow;
};
// The p-value of s against the critical values of a coefficient table at sample size n.
kes_edfp kes_edf_coef(const kes_edfcoef& t, double n, double s);

// The p-value of s against critical values at the 11 levels .5 ... .001.
kes_edfp kes_edf_crit11(const double* crit, double s);
// The p-value of s in a table of m critical values crit at the levels lev: the first
// level with '>' below the table, the last with '<' above it, else interpolated.
kes_edfp kes_edf_table(double s, const double* crit, const double* lev, int m);

// The three statistics with their p-values, stored by the final rules: a statistic
// without a p-value is missing; the D-p-missing and test-done flags follow.
void kes_edf_store(kes_edfres* r, double d, kes_edfp pd, double wsq, kes_edfp pw, double asq, kes_edfp pa);

// The exponential law's p-value of statistic stat (0 sqrt(n) D, 1 W-Sq, 2 A-Sq) for
// EDF case 1 to 3 at sample size n.
kes_edfp kes_expo_p(int ncase, int stat, double n, double s);
