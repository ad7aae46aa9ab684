// Where a weighted percentile falls: the cumulative weight of the ascending values set
// against W p, both sums as exact as each value's exact weight (kes_view_weight_parts,
// which no weight far below the largest flushes to 0), so that the cumulative weight
// is on W p only when it equals it exactly (P0 is the smallest value and P100 the
// largest at any scale and mix of the weights, however light the end values, where
// they carry weight at all).
#pragma once

#include "numeric/bounded_sum.h"
#include "numeric/exact_sum.h"
#include "records/kes_valview.h"

class kes_wrank {
 public:
  // Percentile p (0..1). A probability that is a percent over 100 (as PCTLPTS= and
  // the standard percentiles give it) is taken as that fraction exactly, so equal
  // weights meet W p where their count says: the side is that of a cum - b W.
  explicit kes_wrank(double p) : a_(1.0), b_(p) {
    const double pct = p * 100.0;
    if (pct / 100.0 == p) {
      a_ = 100.0;
      b_ = pct;
    }
  }
  // The same against weights summing to total.
  kes_wrank(const kes_exact_sum& total, double p) : kes_wrank(p) { total_ = &total; }
  // The sign of the cumulative weight cum less W p.
  int side(const kes_exact_sum& cum) const { return kes_exact_compare(a_, cum, b_, *total_); }
  double a() const { return a_; }
  double b() const { return b_; }

 private:
  const kes_exact_sum* total_ = nullptr;
  double a_, b_;
};

// The weights of a weighted view's values in the view's unit, read in ascending order
// (the kept entries walked alongside), each within an error: a value's sum of
// weights, or a kept value's exact sum read in doubles.
class kes_view_weights {
 public:
  explicit kes_view_weights(const kes_valview& v) : v_(v) {}
  // Value i's, i not below the last asked, within *err.
  double at(int i, double* err) {
    *err = 0.0;
    if (v_.wown == nullptr) return v_.w[i];
    while (k_ < v_.nkept && v_.kept[k_] < i) ++k_;
    if (k_ >= v_.nkept || v_.kept[k_] != i) return v_.w[i];
    return kept(err);
  }
  // The first value from i on (i not below the last asked) that the view keeps, or
  // the view's count: every value before it reads as its sum of weights, within 0.
  int plain_until(int i) {
    if (v_.wown == nullptr) return v_.m;
    while (k_ < v_.nkept && v_.kept[k_] < i) ++k_;
    return k_ < v_.nkept ? v_.kept[k_] : v_.m;
  }
  // Where the walk stands, to go back there (the values after it read again).
  int mark() const { return k_; }
  void back_to(int mark) { k_ = mark; }

 private:
  double kept(double* err) const;

  const kes_valview& v_;
  int k_ = 0;  // the first kept entry not below the last value read
};

// Does value i of a weighted view carry weight? Its weight in a unit of its own, where a
// weight far below the largest stays positive (kes_view_weight_parts).
bool kes_view_weighs(const kes_valview& v, int i);

// The cumulative weight of a weighted view's ascending values against W p, in three
// tiers, each formed only where the one before leaves a comparison open, and then only
// as far as the walk has come: rough sums (one addition a value), which decide every
// comparison far from a tie; bounded pairs, which decide ties of exact weights of one
// scale; and the exact sums, for ties of weights whose sums round.
class kes_wcum {
 public:
  // The walk at the first value; the view's total weight summed.
  explicit kes_wcum(const kes_valview& v);
  // The value the cumulative weight runs through.
  int at() const { return c_; }
  // Moves on to the next value (at() + 1 below the view's count).
  void next() {
    double err;
    const double w = walk_.at(++c_, &err);
    cum_.add(w, err);
  }
  // The sign of the cumulative weight through at() less W p.
  int side(const kes_wrank& r) {
    const int s = kes_rough_compare(r.a(), cum_, r.b(), total_);
    return s != kes_bounded_undecided ? s : side_near(r);
  }
  // Walks on to percentile r (not below the last asked): the value *lo where the
  // cumulative weight first reaches W p (the last value where it never does) and, where
  // it is on W p exactly, the next value that carries weight as *hi (true); else *hi
  // is *lo (false). The percentile is the midpoint of the two on a step.
  bool percentile(const kes_wrank& r, int* lo, int* hi);

 private:
  // Walks on by blocks of values while the rough sums put the cumulative weight through
  // a block's last value below W p.
  void skip_below(const kes_wrank& r);
  // The side near W p: by the bounded pairs, else by the exact sums.
  int side_near(const kes_wrank& r);
  // Adds the exact weight of value i.
  void add_exact(kes_exact_sum* s, int i) const;

  const kes_valview& v_;
  kes_view_weights walk_;
  int c_ = 0;
  kes_rough_sum cum_, total_;
  kes_view_weights pair_walk_;
  bool have_pair_total_ = false;
  int pair_through_ = -1;
  kes_bounded_sum pair_cum_, pair_total_;
  bool have_exact_total_ = false;
  int exact_through_ = -1;
  kes_exact_sum exact_cum_, exact_total_;
};
