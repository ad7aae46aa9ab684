// zhrdyv.h - numerical integration of n integrands at once on a common grid (the
// transformed trapezoidal rule of zhrdys.h with vector sums and a max-norm test).
//
//   int zhrdyv(zhrdyv_req* req)
//     0       converged: req->estimate[0..n-1] hold the integrals (in log mode scaled
//             by radix^(rec->sum_exp)); rec->error may still read 7 (a tolerated
//             end-point collision)
//     100000  the integrand is missing (nothing else touched)
//     1       the first pass failed (a vanishing centre, a sum component above
//             1.3407807929943e154, an integrand failure, an unknown mode, a NaN value)
//     2, 3    the left or the right side of a level failed (integrand failure or NaN)
//     4       level limit exceeded, or the estimate became NaN (it cannot converge)
//     6       more than 32767 points on one side
//     Every failure code is also left in rec->error.
//
// The caller fills req->rec (a zero-filled zhrdy_rec with the accuracy, limits, centre,
// initial step, mode, test kind, level limit, log mode and option word), req->n,
// req->work (6 n doubles) and req->integrand; the integrator sets the sub-vector
// pointers.  The integrand f(x, weight, values, req) writes n plain values (the
// integrator applies the Jacobian itself; weight is 1 in mode 1, w in mode 2 and
// w/(1 + w)^2 in mode 3, for the integrand's own scaling decisions); it reports a
// failure by writing a code other than 0 and 7 into req->rec->error, and in log mode
// writes req->rec->value_exp.  Details: see zhrdyv.cpp.
#pragma once
#include <cstdint>

#include "numeric/zhrdy_rec.h"

struct zhrdyv_req;
typedef int (*zhrdyv_fn)(double x, double weight, double* values, zhrdyv_req* req);

struct zhrdyv_req {
  zhrdy_rec* rec;          // the integration record (in: controls; out: status, counts)
  std::int32_t n;          // number of integrands (in)
  double* work;            // 6 n doubles (in)
  std::uint32_t word1;     // not used by the integrator
  std::uint32_t word2;     // not used by the integrator
  double* estimate;        // work: the integrals (out)
  double* raw;             // work + 2n: the integrand's output before the Jacobian
  double* sum;             // work + n: sum of the current pass
  double* cur;             // work + 3n at the start; rotates with prev1 and prev2
  double* prev1;           // work + 4n at the start
  double* prev2;           // work + 5n at the start
  zhrdyv_fn integrand;     // the integrand (in)
  std::int32_t first_pass; // 1 during the first pass, 0 after (set)
};

// Codes left in the record's error field (see the status list above; 5, 7 and 8 are
// used inside a pass and 9 marks a NaN integrand value).
enum : std::int32_t {
  ZHV_FIRST_PASS = 1,
  ZHV_LEFT = 2,
  ZHV_RIGHT = 3,
  ZHV_LEVELS = 4,
  ZHV_OVERFLOW = 5,
  ZHV_POINTS = 6,
  ZHV_COLLISION = 7,
  ZHV_MODE = 8,
  ZHV_NAN = 9,
  ZHV_NO_INTEGRAND = 100000,
};

int zhrdyv(zhrdyv_req* req);
