// The data pass over the current BY group for the context's batch of variables.
#pragma once

struct kes_ctx;

// Reads the current BY group once for the batch: counts, sums and extremes of every
// analysis variable in the first pass, value lists of the batch's variables in every
// pass, CLASS cells made and ordered in the first pass. A kes_in_result.
int kesin_pass(kes_ctx* ctx);
