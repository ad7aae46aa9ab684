// Values of a large variable gathered in arrival order during the pass and made into
// the ascending value list at its end, instead of being looked up one by one in the
// host's tree: a sort of the gathered values on all threads and one run over them give
// the same list (values, counts, the first-arrived sign of a zero, and with a WEIGHT
// variable the weight sums, each value's weights added in their order of arrival in
// the unit they arrived in) far faster. Only the plain record of a variable is
// gathered (a CLASS cell's record goes to the tree); when the gathered room cannot
// grow, the counts could pass the int range, or the weights' unit changes, what was
// gathered goes to the tree and so does the rest of the pass. When the room of
// unweighted values is full, values with many ties are first merged (sorted, one entry
// and a count per value), so that they take little room. At the end of the pass the
// sorted values become the record's value view at once (see value_views.h), in a pool
// of its own, without list nodes; only when that room cannot be had are they made into
// a list. Where the sorted items are wider than a value, the view is written from its
// end and the items' room given back behind the writing, so that the items and the
// whole view are never held at once.
#pragma once

struct kes_ctx;
struct kes_varsum;
struct host_pool;
struct kes_weighted_item;  // a weighted value and its clamped weight (gathered_values.cpp)

struct kes_gathered {
  double* x;         // nonmissing values in arrival order (null with WEIGHT)
  int* f;            // their frequencies (null without FREQ: all 1)
  kes_weighted_item* wx;  // with WEIGHT, in place of x: the values with their clamped
                          // weights, side by side, so that they are sorted where they are
  int wexp;          // the weights' unit when they arrived, 2^wexp (kes_wunit.h)
  long n;            // values gathered
  long cap;          // room of x or wx (and f)
  long long ftotal;  // sum of the frequencies gathered
  int off;           // this pass puts the variable's values into the tree
  int first_zero;    // sign of the first zero gathered: -1, +1; 0 none yet
  int no_compact;    // merging ties when the room is full gained too little: it only grows
  host_pool* views;  // the pool of the view made from the gathered values, until the
                     // variable's pool is replaced by it
};

// Adds nonmissing value x of frequency f and clamped weight c to record r of variable
// v when the record is gathered: true, with *rc KES_ADD_OK. False when the record goes
// to the tree; *rc is then the result of moving the gathered values there (the caller
// adds x only when it is KES_ADD_OK).
bool kes_gather_value(kes_ctx* ctx, kes_varsum* r, int v, double x, int f, double c, int* rc);

// Makes variable v's gathered values into the value view of its plain record (with
// the record's missing values, which went to the tree) or, when the view's room
// cannot be had, into its value list (nodes from the variable's chunks, ascending in
// memory too). A kes_addval_result: the node shortage of the tree path is reported
// the same way.
int kes_build_gathered(kes_ctx* ctx, int v);

// The pool of the view kes_build_gathered made for v, handed over (null when none).
host_pool* kes_take_gathered_views(kes_ctx* ctx, int v);

// Forgets what variable v gathered (its pool is gone, or a new pass starts); a view
// made from it and not handed over goes too.
void kes_forget_gathered(kes_ctx* ctx, int v);
