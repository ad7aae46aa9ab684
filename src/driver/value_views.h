// The end of a pass over the data: every record of the batch's variables gets its
// value view (kes_valview.h), made from its value lists, and the lists' nodes are
// given back. The views of a variable go to a pool of their own that then takes the
// place of the variable's pool, so the nodes (the bulk of the pass's memory) go with
// the old pool at once instead of living on beside their copy.
#pragma once

struct kes_ctx;
struct kes_varsum;
struct host_pool;

// A new pool for the views of one variable; null when none can be had.
host_pool* kes_view_pool();

// Makes record r's view in pool (the record's lists, ascending, with their counts and
// weight sums); false, the view null, when memory cannot be had. The lists stay.
bool kes_make_view(kes_ctx* ctx, host_pool* pool, kes_varsum* r);

// Empties r's lists once nothing reads them (the nodes go with their pool).
void kes_forget_lists(kes_varsum* r);

// Variable v's views are all made: pool takes the place of v's pool, whose nodes and
// node records go.
void kes_take_view_pool(kes_ctx* ctx, int v, host_pool* pool);
