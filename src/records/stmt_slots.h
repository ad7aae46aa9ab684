// The readers of a statement node's option slots.
#pragma once
#include "host/kes_stmt.h"

// No option slot: where a routine takes an optional slot and none applies.
constexpr int KES_NO_SLOT = 0;

// The slot n of a statement node; an empty slot when the node has none there.
const kes_optslot* kes_pslot(const kes_stmt* s, int n);
// The slot's given byte, and its second given byte.
bool kes_pgiven(const kes_stmt* s, int n);
bool kes_pgiven2(const kes_stmt* s, int n);
// The element count of a list slot (0 when not given), and its numbers or words.
int kes_pcount(const kes_stmt* s, int n);
const double* kes_pnumbers(const kes_stmt* s, int n);
const int* kes_pwords(const kes_stmt* s, int n);
// The single number of a slot.
double kes_pnumber(const kes_stmt* s, int n);
