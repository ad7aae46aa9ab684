// Reading one BY group for one batch of analysis variables.
#pragma once

struct kes_ctx;

enum kes_in_result : int {
  KES_IN_READ = 0,      // the batch was read
  KES_IN_ERROR = 1,     // an error that ends the step (message written)
  KES_IN_ONEVAR = 2,    // go on with a batch of one variable, not computed
  KES_IN_SKIP = 3,      // the BY group has no usable observation (message written)
};

// Reads the current BY group once for the context's batch: counts, sums and extremes
// of every analysis variable in the first pass, value lists of the batch's variables
// in every pass, CLASS cells made and ordered in the first pass. A kes_in_result.
int kesin(kes_ctx* ctx);
