// Result block of one trimmed or winsorized mean (one TRIMMED= or WINSORIZED= amount).
// Twelve doubles, filled by zkestwm; cells without a value hold the missing value.
#pragma once

enum kes_twmcell : int {
  KES_TWM_MU0 = 0,      // H0 location
  KES_TWM_AMOUNT = 1,   // the amount as given
  KES_TWM_PCT = 2,      // percent trimmed or winsorized on each side, 100 k / N
  KES_TWM_K = 3,        // observations trimmed or winsorized on each side
  KES_TWM_MEAN = 4,     // trimmed or winsorized mean
  KES_TWM_SE = 5,       // its standard error
  KES_TWM_DF = 6,       // degrees of freedom N - 2k - 1
  KES_TWM_T = 7,        // t for H0: mean = mu0
  KES_TWM_PT = 8,       // two-sided p-value of t
  KES_TWM_LCL = 9,      // confidence limits
  KES_TWM_UCL = 10,
  KES_TWM_ALPHA = 11,   // alpha as passed
  KES_TWM_NCELLS = 12,
};

struct kes_twmres {
  double cell[KES_TWM_NCELLS];
};
