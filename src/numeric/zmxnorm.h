// zmxnorm.h - finite mixtures of normal distributions: log distribution function,
// log density and quantile through one request record.
//
//   int zmxnorm(zmxnorm_req* r)
//     request bit 2: the quantile r->x of r->p; otherwise log_lower, log_upper and
//     log_density at r->x.  0 success; a check code for bad components (k + i: a
//     proportion of component i not in (0, 1]; 2k + i: a negative standard deviation;
//     10k: proportions whose running sum exceeds 1 + 10 2^-53 or whose total is below
//     1 - 10 2^-53); 1 for k < 1, p outside (0, 1), a failed evaluation or the quantile iteration does not
//     settle in 40 steps (r->x then holds the last iterate).
//     A quantile request sorts the components by their means in place (the three
//     arrays move together) and sets state bit 1, after which the check is skipped.
// Details: see zmxnorm.cpp.
#pragma once
#include <cstdint>

struct zmxnorm_req {
  std::int32_t state;    // bit 1: components checked and sorted
  std::int32_t request;  // bit 2: quantile, otherwise distribution function and density
  std::int32_t phase;    // work: 1 lower tail, 2 between two means, 3 upper tail
  double x;              // the point (in), or the quantile (out)
  double target;         // work: the target of the quantile iteration
  double p;              // in: the probability of a quantile request
  std::int32_t k;        // number of components
  double* props;         // k mixing proportions
  double* means;         // k means
  double* sds;           // k standard deviations
  double log_lower;      // out: ln F(x)
  double log_upper;      // out: ln(1 - F(x))
  double log_density;    // out: ln f(x)
};

int zmxnorm(zmxnorm_req* r);
