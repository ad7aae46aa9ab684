// The unit of the weighted sums: the data pass divides every weight by 2^e (exactly),
// with e even and set from the weights met so far, so that no sum of weights, of
// weighted values or of the weights' higher powers leaves the doubles at any scale of
// the weights (subnormal weights, or a thousand weights of 1e306). A record's sums take
// the record's exponent; a value node's weight sums take their own, set alike from the
// node's weights, and are brought to the record's when the node is read.
#pragma once
#include <cmath>
#include <cstdint>

#include "util/kes_exp2.h"

#include "records/kes_valnode.h"

// A weight may grow to 2^KES_WUNIT_ROOM units before the unit grows with it.
constexpr int KES_WUNIT_ROOM = 64;

// The binary exponent of the weight c f (c above 0, f at least 1), found without
// forming the product, which may lie beyond the doubles.
inline int kes_wunit_exponent(double c, int f) {
  const int k = kes::ilogb(c);
  return k + kes::ilogb(kes::ldexp(c, -k) * f);
}

// The exponent of the unit after a weight of binary exponent k was met under exponent
// e: the first weight (first true) sets the unit near it; a weight of more than
// 2^KES_WUNIT_ROOM units raises it; else e. Even, so that the square root of a weight
// in the unit is exactly the root of the weight in the unit's root.
inline int kes_wunit_after(int e, int k, bool first) {
  k &= ~1;
  return first || k - e > KES_WUNIT_ROOM ? k : e;
}

// The even exponent of the unit in which a value of weight sum w keeps the powers of
// its weights: w's own (0 for no weight), so that the sums of c^1.5 and c^2 of weights
// far below the largest of the variable do not vanish in the variable's unit.
inline int kes_power_unit(double w) { return w > 0.0 ? kes::ilogb(w) & ~1 : 0; }

// The same of the weight sum w 2^d, from the exponent of w: where w 2^d is not a
// normal number (a weight far below the largest, read in the record's unit) the unit
// is that of the exact sum, and its powers neither vanish nor lose their bits there.
inline int kes_power_unit_at(double w, int d) { return w > 0.0 ? (kes::ilogb(w) + d) & ~1 : 0; }

// The weight sums of node p (kept in units of 2^p->wexp) brought to exponent e: the
// sums of w, w c^0.5 and w c carry the unit to the powers 1, 1.5 and 2.
inline void kes_node_to_unit(kes_valnode* p, int e) {
  if (p->wexp == e) return;
  if (p->wt != nullptr) {
    const int d = p->wexp - e;
    p->wt->sumw = kes::ldexp(p->wt->sumw, d);
    p->wt->sumw15 = kes::ldexp(p->wt->sumw15, d + d / 2);
    p->wt->sumw2 = kes::ldexp(p->wt->sumw2, 2 * d);
  }
  p->wexp = static_cast<std::int16_t>(e);
}

// The weight sums of node p as a view keeps them: the sum of w in units of 2^e, the
// sums of w c^0.5 and w c in the value's own power unit u (that of its exact sum of w
// in units of 2^e, kes_power_unit_at), that is in units of 2^(1.5 (e + u)) and
// 2^(2 (e + u)).
inline kes_wtrec kes_node_view_sums(const kes_valnode& p, int e) {
  const kes_wtrec& t = *p.wt;
  const int d = p.wexp - e;
  const double w = kes::ldexp(t.sumw, d);
  const int k = d - kes_power_unit_at(t.sumw, d);
  return kes_wtrec{w, kes::ldexp(t.sumw15, k + k / 2), kes::ldexp(t.sumw2, 2 * k), t.exact};
}

// Adds one observation's clamped weight c (above 0) and frequency f to the weight sums
// of node p, the weight c f formed in the node's own unit, which follows the node's
// weights as the record's unit follows the record's: the one place a value's weight
// sums grow, whether its observations come to the tree one at a time or are gathered
// and sorted first, so that both give the same sums to the bit. A node's own unit
// keeps its sums from flushing to 0 below a far larger weight of another value;
// readers bring them to the record's unit (kes_node_view_sums), exactly wherever they
// are normal numbers there. True when the sum of w is still exactly the sum of the
// weights added (no step rounded), which the weighted percentiles need to know.
inline bool kes_node_add_weight(kes_valnode* p, double c, int f) {
  kes_wtrec* t = p->wt;
  const double before = t->sumw;
  const int before_e = p->wexp;
  kes_node_to_unit(p, kes_wunit_after(p->wexp, kes_wunit_exponent(c, f), !(t->sumw > 0.0)));
  const int e = p->wexp;
  const double cu = kes::ldexp(c, -e);
  const double wu = cu * f;
  const double s = t->sumw + wu;
  // Each step exact: the unit's change, the weight in the unit, its product with f
  // and the sum (its rounding error, by the two-sum, 0).
  const double b = s - t->sumw;
  const bool exact = kes::ldexp(t->sumw, e - before_e) == before && kes::ldexp(cu, e) == c &&
                     (f == 1 || std::fma(cu, static_cast<double>(f), -wu) == 0.0) &&
                     (t->sumw - (s - b)) + (wu - b) == 0.0;
  t->sumw = s;
  t->sumw15 += std::sqrt(cu) * wu;
  t->sumw2 += wu * cu;
  return exact;
}
