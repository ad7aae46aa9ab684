// Tests for normality of one variable: Shapiro-Wilk W and the EDF tests
// (Kolmogorov-Smirnov D, Cramer-von Mises W-Sq, Anderson-Darling A-Sq) with p-values.
#pragma once

#include "stats/kes_nrmres.h"

struct kes_moments;

// Fills res for the m distinct values of the ascending value array with their
// frequencies (freqs may be null: each 1). mom supplies N, mean, std, sum of weights
// and CSS. ncase is a kes_nrmcase; mu and sigma are the given parameters (missing
// when estimated). With ncase 3 and print 0 the EDF tests are skipped whenever W is
// computed.
void zkesnrm_arrays(int m, const kes_moments* mom, const double* values, const int* freqs, int ncase, int print,
                    double mu, double sigma, kes_nrmres* res);

// Shapiro-Wilk pieces, exposed for the tests.
// Upper-half coefficients a_n, a_(n-1), ... of a sample of n (3 <= n <= 2000) into
// a[0 .. n/2 - 1] (a[n/2] = 0 too for odd n). Returns 0, or 1 for n out of range.
int kes_swcoef(int n, double* a);
// p-value of W for a sample of n (3 <= n <= 2000); the missing value otherwise.
double kes_swprob(double w, int n);
// p-value of a modified EDF statistic s in a critical-value row c[0..k-1] (ascending)
// with upper-tail probabilities p[0..k-1] (descending); *qual gets ' ', '<' or '>'.
double kes_edfinterp(double s, const double* c, const double* p, int k, char* qual);
