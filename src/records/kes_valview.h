// The values of one analysis variable in one cell as every stage after the data pass
// reads them: the distinct nonmissing values in ascending order with their frequency
// sums (and weight sums with a WEIGHT variable), and the kinds of missing value with
// theirs. The data pass makes it once per variable and cell from its value lists and
// gives the list nodes back; it lives in the variable's pool until the variable's work
// in the BY group is done. Nothing after the data pass reads the lists.
#pragma once
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "util/kes_exp2.h"

#include "records/kes_wunit.h"

struct kes_valview {
  int m;                       // number of distinct nonmissing values
  const double* x;             // the values, ascending
  const int* f;                // their frequency sums
  // With a WEIGHT variable, per value (c the clamped weight of an observation, f its
  // frequency, w = c*f): the sums of w, of sqrt(c) w and of c w. w is in units of
  // 2^wexp; the other two in the value's own power unit 2^u, that of its exact sum of
  // w (kes_power_unit_at; kes_power_unit(w) where w is a normal number), that is in
  // units of 2^(1.5 (wexp + u)) and 2^(2 (wexp + u)), so that they do not vanish
  // beside larger weights. w holds every value's; w15 and w2 hold those of the
  // values listed in kept, in its order; every other value's are those of one weight
  // w of frequency 1 (kes_one_weight_powers), so that the nearly distinct values of a
  // large run cost one sum each. All null without.
  const double* w;
  const double* w15;
  const double* w2;
  int nkinds;                  // number of kinds of missing value seen
  const std::int32_t* kind;    // the kinds, ascending (as kes_valnode keys them)
  const int* kcount;           // their frequency sums
  int wexp;                    // the weights' unit is 2^wexp (even; 0 without weights)
  int nkept = 0;               // values whose w15 and w2 are kept
  const int* kept = nullptr;   // their places in x, ascending
  // The kept values' sums of w each in a unit of its own, 2^wownexp: exact where their
  // w, in the view's unit, is not (a weight far below the largest flushes there). A
  // value whose weight is not normal in the view's unit is always kept.
  const double* wown = nullptr;
  const int* wownexp = nullptr;
  // The kept values' sums of w without rounding, in the weights' own unit, where w
  // and wown have rounded; null entries elsewhere.
  const kes_exact_sum* const* wexact = nullptr;
};

// The sums of sqrt(c) w and c w of one observation of weight w and frequency 1 in w's
// own power unit 2^u (u = kes_power_unit(w)), as kes_node_add_weight forms them on
// empty sums.
inline void kes_one_weight_powers(double w, double* w15, double* w2) {
  const double wu = kes::ldexp(w, -kes_power_unit(w));
  *w15 = std::sqrt(wu) * wu;
  *w2 = wu * wu;
}

// Must value i of sums w, w15, w2 be kept, its w15 and w2 not those of one weight?
// Bitwise, so that a reader gets the very sums the data pass made.
inline bool kes_view_keeps(double w, double w15, double w2) {
  double a, b;
  kes_one_weight_powers(w, &a, &b);
  return std::memcmp(&a, &w15, sizeof a) != 0 || std::memcmp(&b, &w2, sizeof b) != 0;
}

// Must value sums w, w15, w2 (in the view's unit) be kept, their sum of weights own_w
// in the value's own unit? Also when that weight is not a normal number in the view's
// unit, so that its exact sum goes with them.
inline bool kes_view_keeps_value(double own_w, double w, double w15, double w2) {
  return (own_w > 0.0 && !(w >= DBL_MIN)) || kes_view_keeps(w, w15, w2);
}

// The sums of sqrt(c) w and c w of a weighted view's values, read in ascending order
// of the values (a walk of kept alongside).
class kes_view_powers {
 public:
  explicit kes_view_powers(const kes_valview& v) : v_(v) {}
  // Those of value i, i not below the last one asked for, in its power unit 2^u.
  void at(int i, double* w15, double* w2, int* u) {
    *u = kes_power_unit(v_.w[i]);
    while (k_ < v_.nkept && v_.kept[k_] < i) ++k_;
    if (k_ < v_.nkept && v_.kept[k_] == i) {
      // The unit of the exact sum of w, which a weight not normal in the view's unit
      // keeps beside it.
      if (v_.wown != nullptr) *u = kes_power_unit_at(v_.wown[k_], v_.wownexp[k_] - v_.wexp);
      *w15 = v_.w15[k_];
      *w2 = v_.w2[k_];
    } else {
      kes_one_weight_powers(v_.w[i], w15, w2);
    }
  }

 private:
  const kes_valview& v_;
  int k_ = 0;
};

// The kept entry of value i, or -1 when its sums are not kept.
inline int kes_view_kept_entry(const kes_valview& v, int i) {
  int lo = 0, hi = v.nkept;
  while (lo < hi) {
    const int mid = lo + (hi - lo) / 2;
    if (v.kept[mid] < i) lo = mid + 1;
    else hi = mid;
  }
  return lo < v.nkept && v.kept[lo] == i ? lo : -1;
}

// The sum of weights of value i as m 2^e, where its rounding may be exact (a positive
// weight stays positive); *exact the sum without rounding, in the weights' own unit,
// where the rounded one is not exact, else null.
inline void kes_view_weight_parts(const kes_valview& v, int i, double* m, int* e,
                                  const kes_exact_sum** exact = nullptr) {
  if (exact != nullptr) *exact = nullptr;
  if (v.wown != nullptr) {
    if (const int k = kes_view_kept_entry(v, i); k >= 0) {
      *m = v.wown[k];
      *e = v.wownexp[k];
      if (exact != nullptr && v.wexact != nullptr) *exact = v.wexact[k];
      return;
    }
  }
  *m = v.w != nullptr ? v.w[i] : 0.0;
  *e = v.wexp;
}

// Weight w of a view, in the weights' own unit.
inline double kes_view_weight(const kes_valview& v, double w) { return kes::ldexp(w, v.wexp); }

// Bytes of one block holding a view and its arrays: m values (with the sums of w when
// weighted), nkept kept sums of sqrt(c) w, c w and w in its own unit, and nkinds kinds
// of missing value.
constexpr long kes_valview_bytes(long m, bool weighted, long nkinds, long nkept = 0) {
  return static_cast<long>(sizeof(kes_valview)) + m * static_cast<long>(sizeof(double)) * (weighted ? 2 : 1) +
         (weighted ? nkept * static_cast<long>(3 * sizeof(double) + sizeof(void*) + 2 * sizeof(int)) : 0) +
         (m + 2 * nkinds) * static_cast<long>(sizeof(int));
}
