// Statistics of one analysis variable in one cell, and the summary kept of them.
#pragma once

struct kes_ctx;
struct kes_stats;
struct kes_varsum;

enum kes_comp_mode : int {
  KES_COMP_NORMAL = 0,        // compute, print, keep
  KES_COMP_NOT_COMPUTED = 2,  // the reader kept no values: note and missing results
};

// Computes (mode 0) the statistics of analysis variable var (from 0) from the cell's
// per-variable records into the context's statistics record and prints its tables;
// mode 2 writes a note instead and leaves the results missing.
void kescomp(kes_ctx* ctx, int mode, int var, kes_varsum* records);
// Copies the summary of the statistics record into a per-variable record.
void kessave(kes_stats* stats, kes_varsum* record);
