// The road PROBPLOT and QQPLOT requests share (kespini, kesqini): cells, curve
// records, first callbacks, the stand-in key cell, one graph per shape pair.
#pragma once

struct kes_ctx;
struct kes_preq;

struct kes_probkind {
  bool qq;              // QQ plot: probabilities, a nice quantile axis, optional percentile axis
  const char* name;     // output and group name
  int label_msg;        // default group label (set KES_SET_PLOT, with the ordinal)
  int no_key;           // no key cell (308)
  int empty_alone;      // the only cell has no spread (308)
  int empty_cell;       // an empty CLASS cell, with one CLASS variable (308)
  int empty_cell2;      // and with two (308)
  int none_usable;      // no cell can be plotted (308)
};

int kes_probrun(kes_ctx* ctx, int k, const kes_probkind& kind);

// PROBPLOT: the percent ticks covering [*low, *high] (PCTLORDER= values that cover it,
// else the default ticks), written into the request with *low and *high widened to the
// first and last tick. False after notes KES_MSG_PLOTTING_POSITIONS_BEYOND_TICKS-169 when no default tick range covers.
bool kes_prob_pctticks(kes_ctx* ctx, kes_preq* request, double* low, double* high);
// QQPLOT: the default percents strictly inside (100 p_low, 100 p_high) as the
// percentile axis ticks of the request.
void kes_qq_pctlticks(kes_preq* request, double p_low, double p_high);
