// zibess.h - the modified Bessel function of the first kind I_nu(x), real order nu >= 0.
//
//   int zibess(zibess_req* r)
//     r->result = I_nu(x) (mode 0), e^-x I_nu(x) (mode 1) or ln I_nu(x) (mode 2).
//     0 ok; 1 with r->error = 1 when nu < 0 or x < 0 (result -1.7976931348623157e308),
//     when a method hit its term limit (result still formed), or in modes 0 and 1 when
//     the log value is at least 709.782712893384 (result then holds the log).
//     x = 0: I_0(0) = 1, I_nu(0) = 0 (ln -1.3407807929943e154) for nu > 0.
// Details: see zibess.cpp.
#pragma once
#include <cstdint>

struct zibess_req {
  double x;             // argument, x >= 0 (in)
  double half_x;        // work: x/2
  double half_x_sq;     // work: (x/2)^2
  double nu;            // order nu >= 0 (in)
  double nu_frac;       // work: nu - trunc(nu)
  double two_over_x;    // work: 2/x
  double order;         // work: the order handed to a method
  double log_hi;        // work: ln I at the upper of the two starting orders
  double log_lo;        // work: ln I at the lower one
  double result;        // out: I, e^-x I or ln I by mode
  std::int32_t nu_int;  // work: trunc(nu)
  std::int32_t start;   // work: the order where the backward recurrence starts
  std::int32_t scaled;  // work: 1 when the method returned ln(e^-x I)
  std::int32_t mode;    // in: 0 I, 1 e^-x I, 2 ln I
  std::int32_t error;   // out: 1 on failure or when a method hit its term limit
};

int zibess(zibess_req* r);

//   int zbess(zibess_req* r)
//     zibess extended to orders nu > -1 below 0 (the noncentral chi-square density
//     with fewer than 2 degrees of freedom) in mode 2: ln I_nu = ln(I_(nu+2) +
//     (2(nu+1)/x) I_(nu+1)) from the two zibess logs; nu is restored.  The status of
//     zibess (of the first call when it fails, else of the second).
int zbess(zibess_req* r);
