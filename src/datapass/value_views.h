// The end of a pass over the data: every record of the batch's variables gets its
// value view (kes_valview.h), made from its value lists, and the lists' nodes are
// given back. The views of a variable go to a pool of their own that then takes the
// place of the variable's pool, so the nodes (the bulk of the pass's memory) go with
// the old pool at once instead of living on beside their copy.
#pragma once

struct kes_ctx;
struct kes_varsum;
struct host_pool;
class kes_exact_sum;

// A new pool for the views of one variable; null when none can be had.
host_pool* kes_view_pool();

// The writable arrays of a view being made, laid out in one block behind the record.
struct kes_viewroom {
  struct kes_valview* view;  // null when the room could not be had
  double* x;
  int* f;
  double* w;  // with weights: the sums of w (null without)
  double* w15;  // with weights: the kept sums of sqrt(c) w and c w (see kes_valview)
  double* w2;
  int* kind;
  int* kcount;
  int wexp = 0;  // the weights' unit, 2^wexp (kes_wunit.h)
  int* kept = nullptr;  // the places of the values whose w15 and w2 are kept
  long nkept = 0;
  double* wown = nullptr;  // the kept values' sums of w in their own units (kes_valview)
  int* wownexp = nullptr;
  const kes_exact_sum** wexact = nullptr;  // the kept values' exact sums of w (kes_valview)
};
// Room in pool for a view of m values (with weight sums when weighted, nkept of them
// kept in full) and nk kinds of missing value; the record points at its arrays, its
// counts set.
kes_viewroom kes_view_room(host_pool* pool, long m, bool weighted, long nk, long nkept = 0);

// Puts value i's weight sums t (in the room's unit) into the room: the sum of w, and
// with keep (see kes_view_keeps_value) the other two, and the sum of w own_w in its own
// unit 2^own_e, as kept entry k. Returns keep.
bool kes_view_put_sums(const kes_viewroom& room, long i, const struct kes_wtrec& t, long k, bool keep, double own_w,
                       int own_e);

// Copies the exact sums of weights the room's kept entries point at (a node's, or a
// run's) into pool, where the view keeps them; false when memory cannot be had.
bool kes_view_keep_exact(const kes_viewroom& room, host_pool* pool);

// The number of nodes of the list at head.
long kes_list_length(const struct kes_valnode* head);
// The kinds of missing value of the list at head (as many as room has) with their
// counts into room.
void kes_put_missing_kinds(const struct kes_valnode* head, const kes_viewroom& room);

// Makes record r's view in pool (the record's lists, ascending, with their counts and
// weight sums); false, the view null, when memory cannot be had. The lists stay.
bool kes_make_view(kes_ctx* ctx, host_pool* pool, kes_varsum* r);

// Empties r's lists once nothing reads them (the nodes go with their pool).
void kes_forget_lists(kes_varsum* r);

// Variable v's views are all made: pool takes the place of v's pool, whose nodes and
// node records go.
void kes_take_view_pool(kes_ctx* ctx, int v, host_pool* pool);
