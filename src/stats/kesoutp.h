// The utility-file records of the side-by-side box plots of all BY groups, written
// while the BY groups are processed and read back by kesside. Every record is raw
// native data of fixed width: 8-character BY texts, 8-byte doubles, 4-byte counts.
//   ONE:   per BY group the BY texts, then per variable the 8 box values
//   TWO:   per BY group the BY texts, then nvars + 1 running counts of THREE values
//   THREE: the values beyond the whiskers, as found
#pragma once
#include <cstdint>

struct kes_ctx;
struct kes_stats;

// Box values of one record, in file order.
enum kes_boxrec : int {
  KES_BOX_MIN = 0,
  KES_BOX_WLO = 1,
  KES_BOX_Q1 = 2,
  KES_BOX_MEDIAN = 3,
  KES_BOX_MEAN = 4,
  KES_BOX_Q3 = 5,
  KES_BOX_WHI = 6,
  KES_BOX_MAX = 7,
  KES_BOX_NVALUES = 8,
};

// Appends the BY texts (first analysis variable only) and the variable's box record
// to ONE.
void kesoutp(kes_ctx* ctx, const kes_stats* st);
// Appends a value beyond the whiskers to THREE and counts it.
void kes_side_outlier(kes_ctx* ctx, double value);
// Appends the variable's index words to TWO: for the first analysis variable the BY
// texts and `before` (the count before its values), then the count after them.
void kes_side_index(kes_ctx* ctx, int var, std::uint32_t before);
