// Notes that name a CLASS cell come in three forms with consecutive numbers: no CLASS
// variable, one (its name and the cell's level), two (both names and both levels).
#pragma once

struct kes_ctx;
struct kes_preq;
struct kes_cell;

// Writes message (set, base + number of CLASS variables of the request): the CLASS
// names and levels of the cell first, then the text t1 and, when given, t2 (texts
// are blank-padded; their trailing blanks are not shown).
void kes_cell_note(kes_ctx* ctx, const kes_preq* request, const kes_cell* cell, int set, int base, const char* t1,
                   int l1, const char* t2 = nullptr, int l2 = 0);
