// Where a weighted percentile falls: the cumulative weight of the ascending values set
// against W p, both sums carried without rounding error from each value's exact weight
// (kes_view_weight_parts, which no weight far below the largest flushes to 0), so that
// the cumulative weight is on W p only when it equals it exactly (P0 is the smallest
// value and P100 the largest at any scale and mix of the weights, however light the
// end values).
#pragma once

#include "numeric/exact_sum.h"

class kes_wrank {
 public:
  // Percentile p (0..1) of weights summing to total. A probability that is a
  // percent over 100 (as PCTLPTS= and the standard percentiles give it) is taken as
  // that fraction exactly, so equal weights meet W p where their count says.
  kes_wrank(const kes_exact_sum& total, double p) : total_(total), a_(1.0), b_(p) {
    const double pct = p * 100.0;
    if (pct / 100.0 == p) {
      a_ = 100.0;
      b_ = pct;
    }
  }
  // The sign of the cumulative weight cum less W p.
  int side(const kes_exact_sum& cum) const { return kes_exact_compare(a_, cum, b_, total_); }

 private:
  const kes_exact_sum& total_;
  double a_, b_;
};
