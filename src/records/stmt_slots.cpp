// The readers of a statement node's option slots.
#include "records/stmt_slots.h"

namespace {
const kes_optslot kNoSlot{};
}  // namespace

const kes_optslot* kes_pslot(const kes_stmt* s, int n) {
  if (s == nullptr || n < 0 || n >= s->nslots || s->slots == nullptr) return &kNoSlot;
  return &s->slots[n];
}
bool kes_pgiven(const kes_stmt* s, int n) { return kes_pslot(s, n)->given != 0; }
bool kes_pgiven2(const kes_stmt* s, int n) { return kes_pslot(s, n)->given2 != 0; }
int kes_pcount(const kes_stmt* s, int n) {
  const kes_optslot* sl = kes_pslot(s, n);
  return sl->given && sl->list != nullptr ? sl->v.count : 0;
}
const double* kes_pnumbers(const kes_stmt* s, int n) { return static_cast<const double*>(kes_pslot(s, n)->list); }
const int* kes_pwords(const kes_stmt* s, int n) { return static_cast<const int*>(kes_pslot(s, n)->list); }
double kes_pnumber(const kes_stmt* s, int n) { return kes_pslot(s, n)->v.num; }
