// Procedure options that the statistics read, beyond the option flags and values the
// context keeps itself; and the per-variable labels.
#pragma once
#include <cstdint>

struct kes_ctx;

// A variable label: length, then 256 characters blank-filled.
struct kes_label256 {
  std::uint16_t len;
  char text[256];
};

// Interval kinds: 0 not computed; 1 lower, 2 upper, 3 two-sided; for the
// distribution-free percentile limits 4 symmetric, 5 asymmetric.
struct kes_procopts {
  double alpha;             // ALPHA=, the default level of every interval
  double* mu0;              // MU0=, one per analysis variable
  double* trimmed;          // kept TRIMMED= values
  double* winsorized;       // kept WINSORIZED= values
  int trim_kind, winsor_kind;
  double trim_alpha, winsor_alpha;
  int cipctlnormal, cipctldf, cibasic;
  double cipctlnormal_alpha, cipctldf_alpha, cibasic_alpha;
  int modes;                // MODES
  int all;                  // ALL
  int nobyplot;             // NOBYPLOT
  kes_label256* varlabels;  // one per analysis variable
  int widest_name;          // longest analysis-variable name
  int plotsize_given;       // PLOTSIZE= was given (else the plot height follows N)
};
