// The fit request an estimate function fills for the fitting engine, the engine's
// work record, and the closed-form fits of the normal and exponential laws.
#pragma once
#include <cstdint>

#include "records/kes_curve.h"
#include "records/kes_vscale.h"

struct kes_valview;
struct host_pool;

// The engine's family codes: the distribution codes of the curves.
enum zfit_family : int {
  ZFIT_NORMAL = KES_DIST_NORMAL,
  ZFIT_LOGNORMAL = KES_DIST_LOGNORMAL,
  ZFIT_EXPONENTIAL = KES_DIST_EXPONENTIAL,
  ZFIT_WEIBULL = KES_DIST_WEIBULL,
  ZFIT_GAMMA = KES_DIST_GAMMA,
  ZFIT_BETA = KES_DIST_BETA,
  ZFIT_SB = KES_DIST_SB,
  ZFIT_SU = KES_DIST_SU,
  ZFIT_WEIBULL2 = KES_DIST_WEIBULL2,
  ZFIT_KERNEL = KES_DIST_KERNEL,
};

// Vertical scales of a fit request.
struct zfit_req {
  void* next_batch;          // streamed mode: delivers the next observations
  void* rewind;              // streamed mode: starts them again
  int mode;                  // 1 the cell's values, 0 streamed; other values do nothing
  const kes_valview* values; // the cell's values (mode 1)
  int family;                // zfit_family
  double params[4];          // threshold or location, scale, shape 1, shape 2; missing = estimate
  double pctl_z;             // first percentile point of a percentile method
  double second;             // ratio tolerance of the percentile methods
  double init_shape;         // start value of a shape
  double tol;                // convergence tolerance (missing = the fit's own)
  double maxiter;            // iteration limit (missing = the fit's own)
  std::uint8_t freqs_used;   // streamed mode: a frequency per observation
  int kernel_type;           // streamed kernel fits
  int vscale;                // kes_vscale
  int method;                // 0 maximum likelihood, 1 percentiles, 2 moments
  int pctldef;               // 1..5, forced into range by the engine
  int want_height;           // 1: compute the maximum height
  double low;                // horizontal range of the height
  double width;              // histogram bin width, 1 for other requests
  double high;
  double n;                  // number of nonmissing values
  double min, max, mean, std, skew, kurt;
  double quantiles[9];       // streamed kernel fits
  double mode_x;             // result: abscissa of the density's maximum
  double mode2;              // result: second mode (Johnson SB)
  double height;             // result: maximum height over [low, high] on the vertical scale
  double height2;            // result: second height (Johnson SB)
  double npoints;            // streamed mode: points wanted, then written
  double* points;            // streamed mode: (x, y) pairs
  host_pool* pool;           // the fit's pool while it runs
  // Result: why a maximum-likelihood fit found no maximum (a zfit_ml_end, 0 none) with
  // its iteration budget, and whether the likelihood also rises without bound beside a
  // reported maximum (1 as the threshold nears the smallest value, 2 as the upper end
  // nears the largest). The fit writes no note: its caller's notes name the variable,
  // the cell and the family with them.
  int ml_why, ml_maxiter, ml_rise;
  // Result: the parameters in the coordinates the fit worked in (the values less
  // fit_origin, divided by 2^fit_unit), as the tests of the fit read them.
  double fit_params[4];
  double fit_origin;
  int fit_unit;
  // The lognormal's zeta there as log(at - theta) + dz: {at, dz}, at NaN for none.
  double fit_zeta[2];
  int threads;               // threads the passes over the values may use (0 = all)
};

struct zfit_work;
typedef double (*zfit_curvefn)(double x, const zfit_work* w);

struct zfit_work {
  zfit_req* req;
  double c;                  // density multiplier on the count scale
  double params[4];
  double range_low, range_high;  // curve range of the streamed mode
  double data_range;         // maximum - minimum
  zfit_curvefn curve;
  int estimate[4];           // 1 when the parameter was missing in the request
  const kes_valview* values;  // the distinct values, ascending, with their counts
  int unit_exp;              // the fit's values are the data's divided by 2^unit_exp
  // The lognormal's zeta as log(zeta_at - theta) + zeta_dz, zeta_at a position near
  // the data and zeta_dz the small part (where zeta_split): far from 0 the logs'
  // spread keeps its digits only beside such a reference.
  int zeta_split;
  double zeta_at, zeta_dz;
  double unit_origin;        // ... after unit_origin is subtracted
  int ml_why, ml_maxiter, ml_rise;  // for the request's fields of those names
};

// 0 fitted; 1 failed; 1016 no pool for the fit (no message).
int zfit(zfit_req* req);
int zfit2(zfit_work* w);

int fitnormal(zfit_work* w);
int fitexponential(zfit_work* w);
double normalplot(double x, const zfit_work* w);
double expoplot(double x, const zfit_work* w);

// Interpolation fraction of the p-quantile of N values under the request's definition;
// *lo and *hi get the positions (from 0, clamped to 0..n-1) of the two order statistics.
double calcfrac(const zfit_work* w, double n, double p, int* lo, int* hi);

// Root mean square deviation of the values about mu with divisor n; 0 when the mean
// square is negligible beside mu.
double zfit_rms_about(const kes_valview* values, double n, double mu);
