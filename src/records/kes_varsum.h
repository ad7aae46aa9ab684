// The record of one analysis variable in one cell: what the data pass gathers
// (counts, weighted sums, extreme observations, value lists) and the summary that
// kessave keeps for later work of the BY group (insets, kernel bandwidths, OUTPUT).
// Records come in arrays, one per analysis variable in variable order.
#pragma once

struct kes_valnode;
struct kes_valview;

// Number of doubles of the summary block that kessave fills.
constexpr int KES_SUMMARY_DOUBLES = 33;

struct kes_varsum {
  double sum;            // sum of w*x over nonmissing values
  double uss;            // sum of w*x*x
  double css;            // corrected sum of squares
  double sumwgt;         // sum of weights
  double* highest;       // N highest values, ascending (middle of the lowest block)
  double* lowest;        // N lowest values, ascending
  double mean;           // kept by kessave
  double std;            // kept by kessave
  double min;            // kept by kessave
  double max;            // kept by kessave
  double qrange;         // interquartile range, kept by kessave
  int nslots;            // N, the NEXTROBS value of the step
  double* low_idnum;     // lowest slots' numeric ID values (N*k, slot-major)
  double* high_idnum;    // highest slots' numeric ID values
  char* low_idchar;      // lowest slots' character ID values
  char* high_idchar;     // highest slots' character ID values
  int* low_obs;          // lowest slots' observation numbers
  int* high_obs;         // highest slots' observation numbers
  int* low_freq;         // lowest slots' frequencies (null without FREQ)
  int* high_freq;        // highest slots' frequencies
  double pass_total;     // pass total
  double nobs;           // N + NMISS after the pass
  double n;              // sum of the frequencies of nonmissing values
  double nmiss;          // sum of the frequencies of missing values
  int ndistinct;         // length of the value list
  // The data pass's own: value tree root, then the ascending value list; missing tree
  // root, then the missing list. Empty once the pass has made the view.
  kes_valnode* values;
  kes_valnode* missing;
  int weight_given;      // copied from the context
  int overflow;          // overflow code 0..4 of the weighted sums
  // The weighted sums (sum, uss, css, sumwgt) and the value nodes' weight sums are
  // kept in units of 2^wexp (kes_wunit.h); 0 without weights.
  int wexp;
  double* summary;       // the summary block kessave fills (KES_SUMMARY_DOUBLES)
  // The nodes of the value list in the order they were made, from the variable's pool,
  // so that the list can be copied by reading its nodes in memory order. Used only
  // while nlisted equals ndistinct; listcap -1: given up (no memory), the list walked.
  kes_valnode** listed;
  int nlisted;
  int listcap;
  int listed_var;            // the variable whose pool holds the record
  kes_varsum* listed_link;   // next record of the pass that holds one
  kes_valnode* listed_one;   // the record while it holds one node (most CLASS cells)
  // What every later stage reads of the values (see kes_valview.h): made by the data
  // pass at its end, in the variable's pool; null when it could not be had (the
  // variable is then not computed in this cell).
  const kes_valview* view;
};
