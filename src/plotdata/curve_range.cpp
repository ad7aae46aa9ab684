// The drawn range of a histogram's fitted curve.
#include "plotdata/curve_range.h"

#include <cmath>

#include "fit/family/kes_law.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"
#include "util/kes_eps.h"

bool kes_curve_range(const kes_curve& c, const kes_plotslot& s, double* lo, double* hi) {
  const double* p = c.params;
  if (c.dist == KES_DIST_KERNEL) {
    if (s.klow > *lo) *lo = s.klow;
    if (*lo <= s.khigh && s.khigh < *hi) *hi = s.khigh;
  } else {
    const kes_law* law = kes_law_of(c.dist);
    if (law == nullptr || law->density == nullptr) return false;
    if (c.dist == KES_DIST_NORMAL && (std::isnan(p[1]) || p[1] == 0)) return false;
    // A threshold law starts at params[0]; a bounded one ends params[1] above it.
    if (law->from_zero && p[0] > *lo) *lo = p[0];
    if (law->to_one && p[0] + p[1] < *hi) *hi = p[0] + p[1];
  }
  // A range is drawn when it spans more than the rounding of its ends: judged against
  // an absolute 2^-53, data in units of 1e-17 would lose every curve.
  return *hi - *lo > KES_EPS53 * std::fmax(std::fabs(*lo), std::fabs(*hi));
}
