// ztnc_req.h - the request record of the log-scale noncentral t service (zlogtnc.h),
// also the integrand context of the noncentral t integral form (zplbtnc.h).
//
// The caller zero-fills the record and sets flags and the inputs of its request.
// Field order is fixed (it is the record's layout).
#pragma once
#include <cstdint>

struct zhrdy_rec;

struct ztnc_req {
  std::int32_t flags;   // request bits: 1 both log tails, 2 log density, 4 quantile
  double x;             // the point (requests 1 and 2); the result of request 4
  double df;            // degrees of freedom
  double nc;            // noncentrality
  double log_lower;     // out: ln P(T <= x)
  double log_upper;     // out: ln P(T > x)
  double log_density;   // out of request 2: ln f(x)
  double p;             // in: the probability of a quantile request
  double tol;           // relative tolerance (raised to 8 * 2^-53 when smaller)
  std::int32_t lower_tail;  // work: 1 when the integral is taken for the lower tail
  std::int32_t reflected;   // work: 1 while x and nc are negated (nc < 0)
  double abs_x;         // work: |x|
  double x2;            // work: x^2
  double x2_df;         // work: x^2/df
  double s;             // work: x sqrt(2)/sqrt(df), the scaled point
  double half_df;       // work: df/2
  double half_df_m1;    // work: df/2 - 1
  double lg_half_df;    // work: ln Gamma(df/2)
  double up;            // quantile bracketing multiplier (towards larger |x|)
  double down;          // quantile bracketing multiplier (towards smaller |x|)
  zhrdy_rec* integ;     // the integration record of the current integral
  std::int32_t point_limit;   // in: the integrator's point limit (0: its default)
  std::int32_t moments_done;  // work: mean and standard deviation computed
  double mean;          // work: mean of T (the toolkit missing value when it does not exist)
  double sd;            // work: standard deviation of T (missing when it does not exist)
  double x_floor;       // quantile convergence floor on |x| (raised to sqrt(2^-53))
  double x_rel;         // quantile relative convergence on x (raised to sqrt(2^-53))
};
