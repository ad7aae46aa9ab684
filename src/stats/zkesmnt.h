// Moments of one variable from the running sums of the data pass.
#pragma once

struct kes_varsum;
struct kes_moments;

// Result codes of zkesmnt.
enum kes_mnt_result : int {
  KES_MNT_OK = 0,
  KES_MNT_VAR_ZEROED = 1,   // CSS was rounding noise: variance set to zero
  KES_MNT_MEAN_ZEROED = 2,  // mean within the rounding of its sum: set to zero
};

// Fills the moments block from the per-variable record: VARDEF text copied, 14 cells
// preset missing then computed, skewness and kurtosis from a pass over the values of
// rec's view fv (null: they stay missing). Returns a kes_mnt_result (2 wins when both
// happen).
struct kes_valview;
int zkesmnt_arrays(const kes_varsum* rec, const char vardef[8], const kes_valview* fv, kes_moments* out);

// Variance divisor chosen by the second character of the VARDEF text; never negative.
// An unknown text is an internal impossibility (the step ends with 9999).
double zvardiv(const char vardef[8], double n, double one, double sumwgt);

// True when the VARDEF text is exactly "DF      " / "N       ".
bool kes_vardef_is_df(const char vardef[8]);
bool kes_vardef_is_n(const char vardef[8]);
