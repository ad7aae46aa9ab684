// The fitted-curve record: one per curve of a plot request in a cell (histograms: an
// array per variable and cell with the kernel curves last; other requests: one per
// cell). The estimate functions fill the parameters and heights, the goodness-of-fit
// tests the result block, the kernel code the kernel fields.
#pragma once
#include <cstdint>

// Distribution codes. Code 9 has no family function set: its callers test it first.
enum kes_distcode : int {
  KES_DIST_NORMAL = 0,
  KES_DIST_LOGNORMAL = 1,
  KES_DIST_EXPONENTIAL = 2,
  KES_DIST_WEIBULL = 3,
  KES_DIST_GAMMA = 4,
  KES_DIST_BETA = 5,
  KES_DIST_SB = 6,
  KES_DIST_SU = 7,
  KES_DIST_WEIBULL2 = 8,
  KES_DIST_KERNEL = 9,
};

// Goodness-of-fit results of a curve. p-values are fractions; a statistic whose
// p-value is missing is itself missing. A relation is ' ' for a value from the tables,
// '<' when the true p-value is below the value shown, '>' when above.
struct kes_edfres {
  double params[4];       // the parameters the tests were run with, curve order
  double mean;            // of the fitted distribution
  double std;
  double skewness;        // Johnson families only
  double kurtosis;        // excess; Johnson families only
  double asq, p_asq;      // Anderson-Darling
  double d, p_d;          // Kolmogorov-Smirnov
  double wsq, p_wsq;      // Cramer-von Mises
  std::uint8_t tested;    // at least one p-value present
  std::uint8_t p_d_missing;
  char rel_asq, rel_wsq, rel_d;
  // Why no test has a p-value where a fitted shape decides: 1 the shape lies below the
  // tables' range, 2 above it; where the beta tables hold no such fit: 3 its threshold
  // or scale is estimated, 4 one shape is given and the other estimated; 0 otherwise.
  std::uint8_t shape_out;
  // Set where the tests' own note said why none is computed: the report adds none.
  std::uint8_t cause_noted;
};

// Kernel curve fields (distribution code 9).
struct kes_kernspec {
  int type;               // 1 normal, 2 triangular, 3 quadratic
  int extent;             // 1 when the kernel reaches past the wide grid margin
  double h;               // bandwidth, on the scale of the values
  double amise;           // asymptotic mean integrated squared error
  double c;               // standardized bandwidth; -2 until the plug-in sets it
  double lower, upper;    // LOWER= and UPPER=, missing when none
};

struct kes_curve {
  int dist;               // kes_distcode
  int family_index;       // index of the curve within its family, from 0
  int index;              // index of the curve in the request
  double params[4];       // threshold or location, scale, shape 1, shape 2
  std::uint8_t estimated[4];
  double mode;            // abscissa of the density's maximum; missing if not computed
  double height;          // largest height over the caller's range; missing if not computed
  double mode2, height2;  // second peak (Johnson SB); missing otherwise
  double peak_copy;       // the peak location as the reports read it (Johnson families)
  double* expected;       // expected percent per bin of the cell; null when not made
  kes_edfres edf;
  kes_kernspec kernel;
  std::uint32_t fitted;   // 1 once an estimate succeeded
  // The parameters in the coordinates the fit worked in: values less fit_origin,
  // divided by 2^fit_unit (the lognormal's zeta less fit_unit log 2). Tests formed
  // there are the same for the data moved by an exact offset or scaled by a power of
  // two. fit_coords is 1 once they are set.
  double fit_params[4];
  double fit_origin;
  int fit_unit;
  double fit_zeta[2];  // the lognormal's zeta there as log(at - theta) + dz: {at, dz}; at NaN for none
  std::uint8_t fit_coords;
  std::uint8_t noted[4];  // once-per-curve notes already written
  // Why the last estimate found no maximum of the likelihood (a zfit_ml_end, 0 none)
  // and the iteration budget that reason reads: kept for the caller's note of the
  // family that could not be fitted, which gives it and clears it.
  std::uint8_t fail_why;
  int fail_maxiter;
};
