// The ascending distinct-value list of one variable copied once into contiguous
// arrays. The list nodes sit wherever the data pass put them, so every walk of a long
// list is a chain of cache misses; the statistics engines read these arrays instead.
#pragma once

struct kes_valnode;

struct kes_flatvals {
  int m = 0;                  // number of distinct values
  double* x = nullptr;        // values, ascending
  int* f = nullptr;           // frequency counts
  // With weight records (WEIGHT): per value the sums of w, sqrt(c) w and c w; a node
  // without a record gives 0, its count and its count. All null without records.
  double* w = nullptr;
  double* w15 = nullptr;
  double* w2 = nullptr;
  kes_valnode* tail = nullptr;  // last node

  kes_flatvals() = default;
  kes_flatvals(const kes_flatvals&) = delete;
  kes_flatvals& operator=(const kes_flatvals&) = delete;
  ~kes_flatvals();
  void release();
};

// Copies the list at head into out (released first), linking every node back to its
// predecessor through its right link on the way (the first node's right link is
// null). hint is the expected length (the arrays grow past it when needed). Returns 0,
// or 1 when memory cannot be had (out is then empty, the links unchanged or partly
// set).
// nodes, when given, holds the list's hint nodes in any order (the order they were
// made, which is their order in memory): they are then read in that order and sorted
// by value instead of following the list, with the same result. Without it, or when
// the sort's room cannot be had, the list is walked.
int kes_flatten(kes_valnode* head, int hint, kes_flatvals* out, kes_valnode* const* nodes = nullptr);

// The same without touching the list (no back links set).
int kes_flatten_copy(const kes_valnode* head, int hint, kes_flatvals* out);
