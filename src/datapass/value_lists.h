// The data pass's value lists: each variable's distinct values of a cell, first in the
// host's trees while a BY group is read, then as ascending lists (records/kes_valnode.h
// holds the nodes).
#pragma once
#include "records/kes_valnode.h"

struct kes_ctx;
struct kes_classvars;
struct kes_varsum;

// Nodes per chunk for the given node size (bytes of node plus weight record).
int kes_nodes_per_chunk(int chunk_bytes, int node_size);

// The next value node of variable v from its chunks; with a WEIGHT variable its weight
// record is attached. On shortage later variables of the batch give their pools up.
// Null when none can be had.
kes_valnode* newnode(kes_ctx* ctx, int v, int node_size);

// Gives up the pass's records of list nodes in making order (they only speed up the
// copy of the lists), so that memory runs short for them before any variable leaves
// the batch. True when some memory was given back; the pass keeps no more records.
bool kes_give_up_listed(kes_ctx* ctx);

// Result of adding one value to a record's trees.
enum kes_addval_result : int {
  KES_ADD_OK = 0,        // added (or left out after shedding; see kes_add_value)
  KES_ADD_NO_NODE = 1,   // the batch's first variable got no node
  KES_ADD_OVERFLOW = 2,  // the value's count passed the int range (message written)
};

// Adds value x of variable v, frequency f (above 0) and clamped weight c (weight c*f)
// to the trees of record r.
int kes_add_value(kes_ctx* ctx, kes_varsum* r, int v, double x, int f, double c);

// The same through the record's trees alone (never gathered).
int kes_add_to_tree(kes_ctx* ctx, kes_varsum* r, int v, double x, int f, double c);

// Notes node, just made for record r of variable v, in the record of the list's nodes
// in making order (see kes_varsum::listed).
void kes_note_listed(kes_ctx* ctx, kes_varsum* r, int v, kes_valnode* node);

// Turns the record's trees into lists and returns (and stores) the number of
// distinct nonmissing values.
int kesnux(kes_ctx* ctx, kes_varsum* r);
// Largest number of distinct values of variable v over the cells that hold records.
int keslink(kes_ctx* ctx, kes_classvars* cv, int v);
