// The values of one analysis variable in one cell as every stage after the data pass
// reads them: the distinct nonmissing values in ascending order with their frequency
// sums (and weight sums with a WEIGHT variable), and the kinds of missing value with
// theirs. The data pass makes it once per variable and cell from its value lists and
// gives the list nodes back; it lives in the variable's pool until the variable's work
// in the BY group is done. Nothing after the data pass reads the lists.
#pragma once
#include <cmath>
#include <cstdint>

struct kes_valview {
  int m;                       // number of distinct nonmissing values
  const double* x;             // the values, ascending
  const int* f;                // their frequency sums
  // With a WEIGHT variable, per value (c the clamped weight of an observation, f its
  // frequency, w = c*f): the sums of w, of sqrt(c) w and of c w, with c and w in units
  // of 2^wexp. All null without.
  const double* w;
  const double* w15;
  const double* w2;
  int nkinds;                  // number of kinds of missing value seen
  const std::int32_t* kind;    // the kinds, ascending (as kes_valnode keys them)
  const int* kcount;           // their frequency sums
  int wexp;                    // the weights' unit is 2^wexp (even; 0 without weights)
};

// Weight w of a view, in the weights' own unit.
inline double kes_view_weight(const kes_valview& v, double w) { return std::ldexp(w, v.wexp); }

// Bytes of one block holding a view and its arrays: m values (with the weight sums
// when weighted) and nkinds kinds of missing value.
constexpr long kes_valview_bytes(long m, bool weighted, long nkinds) {
  return static_cast<long>(sizeof(kes_valview)) + m * static_cast<long>(sizeof(double)) * (weighted ? 4 : 1) +
         (m + 2 * nkinds) * static_cast<long>(sizeof(int));
}
