// A value's sum of weights kept without rounding beside its rounded sum, where that
// one rounds (as sums of several weights of one value mostly do): the weighted
// percentiles compare cumulative weights exactly, and a rounded sum would depend on
// the order in which the value's weights came.
#pragma once
#include <new>

#include "numeric/exact_sum.h"
#include "records/kes_valnode.h"
#include "records/kes_wunit.h"

// Adds weight c (above 0) of frequency f to node p's sums (kes_node_add_weight). Once
// the rounded sum of w has rounded, the exact sum is begun in the room that room()
// gives (raw memory for one kes_exact_sum; null when none can be had, and the rounded
// sum stands) and kept from then on.
template <class Room>
void kes_weigh_node(kes_valnode* p, double c, int f, Room room) {
  kes_wtrec* t = p->wt;
  const double before = t->sumw;
  const int before_e = p->wexp;
  const bool exact = kes_node_add_weight(p, c, f);
  if (t->exact != nullptr) {
    t->exact->add_times(c, static_cast<unsigned>(f));
    return;
  }
  if (exact) return;
  void* at = room();
  if (at == nullptr) return;
  t->exact = new (at) kes_exact_sum();
  t->exact->add(before, before_e);
  t->exact->add_times(c, static_cast<unsigned>(f));
}
