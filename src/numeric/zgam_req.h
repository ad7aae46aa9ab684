// zgam_req.h - the request record of the log-scale gamma service (zloggam.h).
//
// The caller zero-fills the record, then sets flags and the inputs of its request.
// Field order is fixed (it is the record's layout).
#pragma once
#include <cstdint>

struct zhrdy_rec;

struct zgam_req {
  std::int32_t flags;     // 1 both log tails, 2 log density, 4 quantile (served alone)
  double p;               // in: probability of a quantile request
  double x;               // the point (in; out for a quantile request)
  double a;               // shape (in; raised by 1 while a tail is computed for a < 1)
  double log_lower;       // out: ln P(a, x)
  double log_upper;       // out: ln Q(a, x)
  double log_density;     // out: ln(x^(a-1) e^-x / Gamma(a))
  double tol;             // relative accuracy (in; raised to at least 8 * 2^-53)
  double shape_less_one;  // work: A - 1 for the working shape A
  double method_value;    // work: the series or fraction value V of the tail
  double log_kernel;      // work: (A - 1) ln x - x (integration)
  std::int32_t method;    // out: 0 series, 2 Wilson-Hilferty, 3 upper fraction,
                          // 4 lower fraction, 5 asymptotic expansion, 6 integration
  double growth;          // quantile bracketing factor 1.5 (set)
  double shrink;          // quantile bracketing factor 0.7 (set)
  zhrdy_rec* integ;       // work: the integration record of the fallback
  double small_floor;     // in: raised to at least 1000 * 2.225073858507202e-308 / tol
};
