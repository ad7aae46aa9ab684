// The readers of a statement node's option slots, and the message sets of the plot
// statements' checks.
#pragma once
#include "host/kes_stmt.h"

// Message sets of the checks.
constexpr int KES_SET_PROC = 189;
constexpr int KES_SET_PLOT = 308;
constexpr int KES_SET_LABEL = 431;
constexpr int KES_SET_GRAPH = 435;
constexpr int KES_SET_AXIS_NOTE = 434;
constexpr int KES_SET_LAYOUT = 439;

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
