// The HISTOGRAM options of each fitted family that the report reads, by distribution
// code 0..7.
#pragma once

struct kes_famopts {
  int noprint;   // flag: the family's NOPRINT
  int midpct;    // flag: the family's MIDPERCENTS (Bins table)
  int percents;  // slot: PERCENTS= list
  int contents;  // slot: output-group label
};
extern const kes_famopts KES_FAMOPTS[8];
