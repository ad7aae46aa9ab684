// zcnc_req.h - the request record of the log-scale noncentral chi-square service
// (zlogcnc.h).  The caller zero-fills the record, then sets the request word and the
// inputs of its request.  Field order is fixed (it is the record's layout).
#pragma once
#include <cstdint>

struct zhrdy_rec;

struct zcnc_req {
  double p;               // in: probability of a quantile request
  double x;               // the point (in; out of a quantile request)
  double df;              // degrees of freedom
  double nc;              // noncentrality
  double log_lower;       // out: ln P(X <= x)
  double log_upper;       // out: ln P(X > x)
  double log_density;     // out: ln f(x)
  double tol;             // relative tolerance (raised to at least 8 * 2^-53)
  std::int32_t request;   // 1 distribution function, 2 log density, 4 quantile
  std::int32_t far_lower; // work: 1 when x lies far in the lower tail
  std::int32_t moments_done;  // work: mean and scale stored
  double mean;            // work: df + nc
  double scale;           // work: sqrt(df + 2 nc) sqrt 2
  double half_dfm2;       // work: (df - 2)/2, the Bessel order of the density
  double quarter_dfm2;    // work: (df - 2)/4
  double sqrt_nc;         // work: sqrt(nc)
  zhrdy_rec* integ;       // work: the integration record in use
  double up;              // quantile bracketing factor 1.5 (set)
  double down;            // quantile bracketing factor 0.7 (set)
  double small_bound;     // in: raised to at least 2.225073858507202e-308 / tol
};
