// The unit of the weighted sums: the data pass divides every weight by 2^e (exactly),
// with e even and set from the weights met so far, so that no sum of weights, of
// weighted values or of the weights' higher powers leaves the doubles at any scale of
// the weights (subnormal weights, or a thousand weights of 1e306). A record's sums and
// its value nodes' weight sums take the record's exponent; a node made under an older
// one is brought to the new one when it next takes a weight, and when it is read.
#pragma once
#include <cmath>
#include <cstdint>

#include "records/kes_valnode.h"

// A weight may grow to 2^KES_WUNIT_ROOM units before the unit grows with it.
constexpr int KES_WUNIT_ROOM = 64;

// The binary exponent of the weight c f (c above 0, f at least 1), found without
// forming the product, which may lie beyond the doubles.
inline int kes_wunit_exponent(double c, int f) {
  const int k = std::ilogb(c);
  return k + std::ilogb(std::scalbn(c, -k) * f);
}

// The exponent of the unit after a weight of binary exponent k was met under exponent
// e: the first weight (first true) sets the unit near it; a weight of more than
// 2^KES_WUNIT_ROOM units raises it; else e. Even, so that the square root of a weight
// in the unit is exactly the root of the weight in the unit's root.
inline int kes_wunit_after(int e, int k, bool first) {
  k &= ~1;
  return first || k - e > KES_WUNIT_ROOM ? k : e;
}

// The weight sums of node p (kept in units of 2^p->wexp) brought to exponent e: the
// sums of w, w c^0.5 and w c carry the unit to the powers 1, 1.5 and 2.
inline void kes_node_to_unit(kes_valnode* p, int e) {
  if (p->wexp == e) return;
  if (p->wt != nullptr) {
    const int d = p->wexp - e;
    p->wt->sumw = std::ldexp(p->wt->sumw, d);
    p->wt->sumw15 = std::ldexp(p->wt->sumw15, d + d / 2);
    p->wt->sumw2 = std::ldexp(p->wt->sumw2, 2 * d);
  }
  p->wexp = static_cast<std::int16_t>(e);
}

// Adds one observation's clamped weight c (above 0) and frequency f to the weight sums
// of node p, the weight c f formed in the unit, as the sums of the data pass form it:
// the one place a value's weight sums grow, whether its observations come to the tree
// one at a time or are gathered and sorted first, so that both give the same sums to
// the bit. The node keeps a unit of its own, set by its own weights as the record's
// is by all (kes_wunit_after), so that its sums never flush to 0 below a far larger
// weight of another value; readers bring them to the record's unit (kes_node_to_unit),
// which scales them exactly wherever they are normal numbers there. The record's unit
// at the time (the second argument) does not decide the node's.
inline void kes_node_add_weight(kes_valnode* p, int, double c, int f) {
  kes_wtrec* t = p->wt;
  const int own = kes_wunit_after(p->wexp, kes_wunit_exponent(c, f), !(t->sumw > 0.0));
  kes_node_to_unit(p, own);
  const double cu = std::ldexp(c, -own);
  const double wu = cu * f;
  t->sumw += wu;
  t->sumw15 += std::sqrt(cu) * wu;
  t->sumw2 += wu * cu;
}
