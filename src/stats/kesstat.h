// Filling the statistics record of one analysis variable.
#pragma once

struct kes_ctx;
struct kes_varsum;
struct kes_stats;
struct kes_extremes;

// Fills stats for analysis variable var (from 0) from its per-variable record, running
// the statistics engines in their fixed order. Problems go to the log and raise the
// step's return code in the context. False when the record has no value view (the
// data pass could not make it; after the out-of-memory message): the variable is not
// computed.
bool kesstat(kes_ctx* ctx, kes_varsum* rec, kes_stats* stats, int var);

// Copies the extreme-observation and extreme-value bookkeeping of the data pass.
void zkesext(const kes_varsum* rec, kes_extremes* dst);

// Standard percentiles, in percent order (1 5 10 25 50 75 90 95 99 percent).
extern const double kes_std_percent[9];
