// Value nodes: one distinct value of an analysis variable in one cell, with its
// frequency count and, with a WEIGHT variable, its weight sums. While a BY group is
// read the nodes sit in the host's trees; afterwards they form ascending lists linked
// through their first word.
#pragma once
#include <cstddef>
#include <cstdint>

struct kes_ctx;
struct kes_classvars;
struct kes_varsum;

// Weight sums of one value, kept only when a WEIGHT variable is given. With c the
// clamped weight of an observation, f its frequency and w = c*f, each divided by
// 2^wexp of its node (see kes_wunit.h):
struct kes_wtrec {
  double sumw;    // sum of w
  double sumw15;  // sum of sqrt(c) * w  (f * c^1.5)
  double sumw2;   // sum of c * w        (f * c^2)
};

struct kes_valnode {
  kes_valnode* next;      // left link in the tree; the next larger node once listed
  kes_valnode* right;     // right link in the tree
  std::uint16_t balance;  // -1, 0, +1 while in a tree
  std::int16_t wexp;      // the unit of the weight sums, 2^wexp (kes_wunit.h)
  int count;              // sum of the frequencies of the observations with this value
  kes_wtrec* wt;          // weight sums (null without WEIGHT)
  union {
    double value;         // a nonmissing value
    std::int32_t kind;    // a missing value: the negated signed byte 5 of its pattern
  } key;
};

// Byte position of the key, as handed to the host's tree services.
constexpr int KES_VALNODE_KEYPOS = static_cast<int>(offsetof(kes_valnode, key));
// Tree key codes: a double key, a 32-bit int key.
constexpr int KES_KEY_DOUBLE = -7;
constexpr int KES_KEY_DOUBLE_MISS = -2;
constexpr int KES_KEY_INT = 0;
// Size of the weight record (its share of a chunk).
constexpr int KES_WTREC_SIZE = static_cast<int>(sizeof(kes_wtrec));

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

// Adds value x of variable v, frequency f (above 0), weight w = c*f with clamped
// weight c, to the trees of record r.
int kes_add_value(kes_ctx* ctx, kes_varsum* r, int v, double x, int f, double c, double w);

// The same through the record's trees alone (never gathered).
int kes_add_to_tree(kes_ctx* ctx, kes_varsum* r, int v, double x, int f, double c, double w);

// Notes node, just made for record r of variable v, in the record of the list's nodes
// in making order (see kes_varsum::listed).
void kes_note_listed(kes_ctx* ctx, kes_varsum* r, int v, kes_valnode* node);

// Turns the record's trees into lists and returns (and stores) the number of
// distinct nonmissing values.
int kesnux(kes_ctx* ctx, kes_varsum* r);
// Largest number of distinct values of variable v over the cells that hold records.
int keslink(kes_ctx* ctx, kes_classvars* cv, int v);
