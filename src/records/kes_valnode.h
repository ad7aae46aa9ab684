// Value nodes: one distinct value of an analysis variable in one cell, with its
// frequency count and, with a WEIGHT variable, its weight sums. While a BY group is
// read the nodes sit in the host's trees; afterwards they form ascending lists linked
// through their first word.
#pragma once
#include <cstddef>
#include <cstdint>

class kes_exact_sum;

// Weight sums of one value, kept only when a WEIGHT variable is given. With c the
// clamped weight of an observation, f its frequency and w = c*f, each divided by
// 2^wexp of its node (see kes_wunit.h):
struct kes_wtrec {
  double sumw;    // sum of w
  double sumw15;  // sum of sqrt(c) * w  (f * c^1.5)
  double sumw2;   // sum of c * w        (f * c^2)
  // The sum of w without rounding, in the weights' own unit, once sumw has rounded
  // (as sums of several weights of one value mostly do): null while sumw is exact.
  kes_exact_sum* exact;
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
