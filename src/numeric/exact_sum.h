// A sum of doubles kept without rounding error: a nonoverlapping expansion (a few
// doubles of increasing magnitude whose exact sum is the sum), compressed after each
// term so that it stays as short as the spread of the terms' magnitudes allows (two or
// three doubles for terms of one scale). Comparisons of such sums are exact, so a sum
// that equals another does so whatever the scale or order of the terms.
#pragma once

class kes_exact_sum {
 public:
  // Adds x (finite).
  void add(double x);
  // The sum rounded to a double.
  double value() const;

  // The sign (-1, 0, 1) of a*c - b*s, exactly, for finite a and b whose products with
  // the sums' parts stay within the doubles (above the subnormal range where they
  // are not integers).
  friend int kes_exact_compare(double a, const kes_exact_sum& c, double b, const kes_exact_sum& s);

  static constexpr int kMaxParts = 48;

 private:
  double part_[kMaxParts + 1] = {};
  int n_ = 0;
};
