// CLASS level cells of a BY group: made while the first pass reads, ordered at its
// end, found again by later passes.
#pragma once

struct kes_ctx;
struct kes_classvars;
struct kes_cell;
struct kes_varsum;

// A new cell of the record's cell size from the BY-group pool, with its OUTPUT values,
// plot slots and per-variable records. When memory runs short the batch's later
// variables give their pools up; null when nothing is left to shed. Without
// own_records the cell gets no per-variable records (the caller gives it others).
kes_cell* newcls(kes_ctx* ctx, kes_classvars* cv, bool own_records = true);

// Results of finding the observation's cell.
enum kes_cellfind : int {
  KES_CELL_FOUND = 0,   // *recs holds the cell's records
  KES_CELL_NONE = 1,    // the observation is in no cell (missing CLASS value)
  KES_CELL_NOMEM = 2,   // no cell could be made (xmemmsg written)
};

// First pass: the observation's cell, made when new, from the CLASS variables'
// current texts and values; counts frequency f for ORDER=FREQ and position pos for
// ORDER=DATA.
int kes_cell_first(kes_ctx* ctx, kes_classvars* cv, int f, int pos, kes_varsum** recs);

// Later pass: builds the lookup of the cells that hold records (BY-group pool).
// 0, or 1 when memory ran out (xmemmsg written).
int kes_cell_index(kes_ctx* ctx, kes_classvars* cv);
// Later pass: the observation's cell among those the first pass made.
int kes_cell_later(kes_ctx* ctx, kes_classvars* cv, kes_varsum** recs);

// End of the first pass: the levels (and children) as lists in ORDER= order and the
// key cell chosen by KEYLEVEL=. 0, or 1 when memory ran out.
int kesckey(kes_ctx* ctx, kes_classvars* cv);

// In a list of second-variable level records, the one whose formatted text equals
// the cell's gives the cell its order count.
void kescval(kes_cell* list, kes_cell* cell);
