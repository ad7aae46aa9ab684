// Running sums of nonnegative doubles with a bound on their distance from the true
// sum, the fast sides of the exact sums (exact_sum.h). A rough sum is one double,
// within the rounding of its count of additions, and decides comparisons far from a
// tie at the cost of one addition a term. A bounded sum is an unevaluated pair
// hi + lo: where every term is exact and no step of the pair rounds (equal weights,
// weights of one scale), the pair is the sum itself and a comparison of two such sums
// is exact; elsewhere its bound tells whether doubles decide, and only where it
// cannot does a caller need the exact sums.
#pragma once

// The result of a comparison the bounds leave open.
constexpr int kes_bounded_undecided = 2;

struct kes_rough_sum {
  double s = 0.0;
  double err = 0.0;  // the terms' errors, summed
  double n = 0.0;    // the number of terms
  // Adds x (finite, not below 0) known within e of the term it stands for.
  void add(double x, double e = 0.0) {
    s += x;
    err += e;
    n += 1.0;
  }
};

// The sign (-1, 0, 1) of a*c - b*s for finite a and b not below 0 where doubles decide
// beside the bound of the sums' roundings (n - 1 additions of terms not below 0, in
// any order, put a sum less than n units of rounding of it from the true one) and of
// their terms' errors; else kes_bounded_undecided (also for what is not finite).
inline int kes_rough_compare(double a, const kes_rough_sum& c, double b, const kes_rough_sum& s) {
  const double ac = a * c.s, bs = b * s.s;
  const double d = ac - bs;
  const double bound = (a * (c.s * c.n * 0x1p-52 + c.err) + b * (s.s * s.n * 0x1p-52 + s.err)) * (1.0 + 0x1p-19) +
                       0x1p-50 * (ac + bs) + 0x1p-1060;
  if (d > bound) return 1;
  if (-d > bound) return -1;
  return kes_bounded_undecided;
}

class kes_bounded_sum {
 public:
  // Adds x (finite, not below 0) known within err of the term it stands for.
  void add(double x, double err = 0.0) {
    const double s = hi_ + x;
    const double r = two_sum_error(hi_, x, s);
    hi_ = s;
    const double l = lo_ + r;
    const double r2 = two_sum_error(lo_, r, l);
    lo_ = l;
    err_ += r2 < 0.0 ? err - r2 : err + r2;
  }
  // The sum rounded once more: hi + lo.
  double value() const { return hi_ + lo_; }
  // True where hi + lo is the sum exactly.
  bool exact() const { return err_ == 0.0; }

  // The sign (-1, 0, 1) of a*c - b*s for finite a and b not below 0, or
  // kes_bounded_undecided where the sums' bounds leave it open.
  friend int kes_bounded_compare(double a, const kes_bounded_sum& c, double b, const kes_bounded_sum& s);
  // The same where doubles decide beside the bound (most comparisons, and every one
  // far from a tie), else kes_bounded_undecided (also for what is not finite).
  friend int kes_bounded_compare_fast(double a, const kes_bounded_sum& c, double b, const kes_bounded_sum& s);

 private:
  // The rounding error of s = x + y, exactly (both finite).
  static double two_sum_error(double x, double y, double s) {
    const double b = s - x;
    return (x - (s - b)) + (y - b);
  }

  double hi_ = 0.0, lo_ = 0.0;
  double err_ = 0.0;  // the terms' errors and the pair's roundings, summed
};

inline int kes_bounded_compare_fast(double a, const kes_bounded_sum& c, double b, const kes_bounded_sum& s) {
  // Six roundings of at most half a unit of ac + bs each, those below the normal
  // numbers, and the terms' errors, whose sum has rounded at most once per term.
  const double ac = a * c.hi_, bs = b * s.hi_;
  const double d = (ac - bs) + (a * c.lo_ - b * s.lo_);
  const double bound = (a * c.err_ + b * s.err_) * (1.0 + 0x1p-19) + 0x1p-50 * (ac + bs) + 0x1p-1060;
  if (d > bound) return 1;
  if (-d > bound) return -1;
  return kes_bounded_undecided;
}
