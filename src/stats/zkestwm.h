// Trimmed and winsorized means with standard error, t confidence limits and t test.
#pragma once

#include "stats/kes_twmres.h"

struct kes_moments;

// Fills res for one TRIMMED= (trimmed != 0) or WINSORIZED= (trimmed == 0) amount: a
// proportion when below 0.5, else a count of observations per side. The values are
// the ascending distinct-value array of length m with its frequencies (freqs may be
// null: each 1). mom supplies N, mean, sum of weights, sum and CSS. alpha is the
// two-sided level of the limits. Returns 1 when the amount leaves no observation
// (2k >= N), else 0.
int zkestwm_arrays(int m, const kes_moments* mom, const double* values, const int* freqs, int trimmed, double amount,
                   double mu0, double alpha, kes_twmres* res);
