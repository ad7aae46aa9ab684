// zbeta_req.h - the request record of the log-scale beta service (zlogbet.h), also
// used by its quantile request (zlogbetq.h) and by the beta integration form.
//
// The caller zero-fills the record, then sets flags and the inputs of its request.
// Field order is fixed (it is the record's layout).
#pragma once
#include <cstdint>

struct zhrdy_rec;

struct zbeta_req {
  std::int32_t flags;  // 1 distribution function (both log tails and the log density),
                       // 2 log density, 4 quantile; 0 is read and written back as 1
  double x;            // the point (requests 1 and 2); the result of request 4
  double a;            // first shape
  double b;            // second shape
  double log_lower;    // out: ln P(X <= x)
  double log_upper;    // out: ln P(X > x)
  double log_density;  // out: ln f(x)
  double tol;          // continued-fraction tolerance (raised to 5 * 2^-53 when smaller)
  // work fields of the distribution function
  double cf_value;     // the last continued-fraction value
  double one_minus_x;  // 1 - x
  double a_unshifted;  // the first working shape before the shift
  double a_plus_b;     // a + b
  double x_copy;       // copies of x, a and b (restored on return)
  double a_copy;
  double b_copy;
  // work fields of the integration form
  std::int32_t int_mark;  // 1 when the mean a/(a + b) exceeds x
  double int_p_m1;        // P - 1 of the working shapes
  double int_q_m1;        // Q - 1
  double int_lbeta;       // ln B(P, Q)
  zhrdy_rec* int_rec;     // the integration record
  // quantile request
  double p;               // in: the probability of a quantile request
  std::int32_t shifted;   // work: first shape shifted by one
  std::int32_t swapped;   // work: tails exchanged
  std::int32_t halley;    // work: Halley (1) rather than Newton (0) steps
  double q_tol;           // secant tolerance (1e-07)
  double q_x0;            // initial guess
  double q_P;             // working probability
  double q_A;             // working shapes
  double q_B;
  std::uint8_t clamp_mark;  // 0 inside, 1 clamped at x_lo, 2 clamped at x_hi
  std::uint8_t tail_mark;   // 1 when the working problem is the upper tail
  double x_lo;            // bracket ends
  double x_hi;
  double log_p;           // ln p
  double F_lo;            // log_lower at x_lo and x_hi (written, not read again)
  double F_hi;
};
