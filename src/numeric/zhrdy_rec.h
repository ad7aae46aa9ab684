// zhrdy_rec.h - the integration record of the toolkit, shared by the scalar
// integrator zhrdys (zhrdys.h) and the vector integrator zhrdyv.
//
// The caller zero-fills the record, then sets the "in" fields; the integrator sets
// and uses the others.  Field order is fixed (it is the record's layout).
//
// Transformations (t is the trapezoid variable, w = c e^t in modes 2 and 3):
//   mode 1  whole line        x = c + t                 Jacobian 1
//   mode 2  half line (a, oo) x = a + w                 Jacobian w
//   mode 3  interval (a, b)   x = (b w + a)/(1 + w)     Jacobian w/(1 + w)^2, times b - a
// In log mode a value is value * radix^(value_exp) and the running sums are
// sum * radix^(sum_exp).
#pragma once
#include <cstdint>

// The integrand: value at x into *value; nonzero result = failure.  In log mode it
// also writes the record's value_exp (its context gives it the record).
typedef int (*zhrdy_fn)(double x, void* context, double* value);

struct zhrdy_rec {
  double sum;              // sum of the points of the current pass (work)
  double accuracy;         // requested accuracy eps (in)
  double accuracy3;        // 0.33333333333333 * eps, first-pass stopping factor (set)
  double last_value;       // value of the latest point (set)
  double echo;             // latest estimate, plus the sum exponent in log mode (set)
  double lower;            // lower limit a (in; modes 2 and 3)
  double upper;            // upper limit b (in; mode 3)
  double width;            // b - a (set; mode 3)
  double integral;         // the current estimate (out)
  std::int32_t left_count;   // 10000 at the start, first-pass points, then running total
  std::int32_t right_count;  // the same for the right side
  std::int32_t error;        // 0; 1 when a sum overflows (vector form: codes 1..8)
  std::int32_t collision_status;  // status for a non-negligible end-point collision (in)
  double centre;           // centre c (in; turned into the transformed variable in modes 2, 3)
  double initial_step;     // first step h0 in t (in)
  double step;             // current step h (work)
  double half_step;        // h/2 (work)
  std::int32_t level_limit;  // largest number of halvings (in)
  std::int32_t level;        // halvings done (work)
  std::int32_t mode;         // 1 whole line, 2 half line, 3 interval (in)
  std::int32_t test_kind;    // 0 or 1, the convergence test (in)
  double rel_change;       // |L_old - L_new| / |L_new| of the last level (out)
  double radix;            // radix of the log-scale exponent (in)
  double inv_log_radix;    // 1/ln(radix) (set)
  std::int32_t sum_exp;      // exponent of the running sums in log mode (work; preset by caller)
  std::int32_t value_exp;    // exponent of the latest integrand value (written by the integrand)
  std::int32_t log_mode;     // nonzero: log-scale mode (in)
  void* context;           // handed to the integrand (in)
  zhrdy_fn integrand;      // the integrand (in)
  double step_factor;      // vector form: multiplier (or increment) between points (work)
  double start_factor;     // vector form: factor (or offset) of the first point of a side (work)
  double abscissa;         // vector form: current point in the transformed variable (work)
  double log_radix;        // ln(radix) (set)
  std::int32_t point_limit;  // largest total of points per side (in; at least 32767 is used)
  std::int32_t small_flag;   // nonzero: test kind 1 in log mode accepts |L| < eps (in)
  std::int32_t side;         // vector form: 1 left, 2 right (work)
  std::int32_t option_word;  // 1234567 selects the tighter tolerance eps^(3/4) (in)
  std::int32_t collision_flag;  // 1 after an end-point collision (out)
  double collision_abscissa;    // the x that fell on the end point (out)
  double collision_value;       // the last value at that moment (out)
};

// Zero-fills *rec for a log-mode integration with radix e, test kind 1 and both
// exponents preset to -2147483647, as the log-scale distribution services use it;
// the caller then sets the limits, centre and step.
void zhrdy_log_setup(zhrdy_rec* rec, double accuracy, std::int32_t mode, std::int32_t level_limit,
                     void* context, zhrdy_fn integrand);
