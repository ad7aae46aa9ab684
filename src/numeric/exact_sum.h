// A sum of nonnegative doubles kept without rounding error: a fixed-point number whose
// bits span every double (and far beyond the largest, for sums of many), so that no
// term is lost however far below the others it lies, and comparisons of such sums are
// exact whatever the scale or order of the terms.
#pragma once

#include <cstdint>

class kes_exact_sum {
 public:
  // Adds x (finite, not below 0).
  void add(double x) { add(x, 0); }
  // Adds m times 2^e (m finite, not below 0): a term kept as a double in a unit of its
  // own, which may lie beyond the doubles.
  void add(double m, int e);
  // Adds x f (x finite, not below 0; f a count), the product kept whole.
  void add_times(double x, unsigned f);
  // Adds another such sum.
  void add(const kes_exact_sum& o);
  // The sum rounded to a double (infinite beyond the largest).
  double value() const { return value(0); }
  // The sum times 2^e, within a relative 2^-46 and an absolute 2^-1070 (every word
  // rounded once, then added).
  double value(int e) const;

  // The sign (-1, 0, 1) of a*c - b*s, exactly, for finite a and b not below 0.
  friend int kes_exact_compare(double a, const kes_exact_sum& c, double b, const kes_exact_sum& s);

  // The bits run from 2^kLow (below the smallest bit of any double times the units
  // of weight in use) over kWords words.
  static constexpr int kLow = -1216;
  static constexpr int kWords = 38;

 private:
  // The sum over 2^(kLow + 64 top) within a relative 2^-63, from its two highest
  // words.
  long double approx(int top) const;

  std::uint64_t word_[kWords] = {};
  int top_ = -1;  // the highest word not 0 (-1: the sum is 0)
};
