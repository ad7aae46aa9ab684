// A sum of terms m 2^e whose factors, or the terms themselves, may lie beyond the
// doubles while the sum does not (the powers of weights 1e-300 and 1e300 times those
// of their standardized values): a double beside a binary exponent of its own. Where
// every term and partial sum is a normal double it rounds as the plain sum does.
#pragma once
#include <climits>
#include <cmath>

#include "util/kes_exp2.h"

class kes_wide_sum {
 public:
  // Adds m 2^e (m finite).
  void add(double m, int e) {
    if (m == 0.0) return;
    int k;
    m = kes::frexp(m, &k);
    e += k;
    if (s_ == 0.0) {
      s_ = m;
      e_ = e;
    } else if (e > e_) {
      s_ = kes::ldexp(s_, e_ - e) + m;
      e_ = e;
    } else {
      s_ += kes::ldexp(m, e - e_);
    }
  }
  // The sum as a double.
  double value() const { return kes::ldexp(s_, e_); }
  // The sum times a and b, rounded once where the product of the three doubles is
  // finite (a result in the subnormal range keeps all the bits it can).
  double times(double a, double b) const {
    const double p = s_ * a * b;
    return std::isfinite(p) ? kes::ldexp(p, e_) : kes::ldexp(s_ * a, e_) * b;
  }
  // The sum times a and b as *m 2^*e, m a normal double (0 for a sum of 0), whatever
  // the exponent of the product.
  void parts(double a, double b, double* m, int* e) const {
    int ka, kb;
    const double p = s_ * kes::frexp(a, &ka) * kes::frexp(b, &kb);
    *m = kes::frexp(p, e);
    *e += e_ + ka + kb;
  }
  // The root of the sum (at least 0) times a, rounded as a product of two doubles.
  double root_times(double a) const {
    const int half = e_ >= 0 ? e_ / 2 : -((1 - e_) / 2);  // floor(e_ / 2)
    return kes::ldexp(std::sqrt(kes::ldexp(s_, e_ - 2 * half)) * a, half);
  }

 private:
  double s_ = 0.0;
  int e_ = 0;
};
