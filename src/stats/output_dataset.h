// The OUTPUT data sets: the values gathered per variable and the observations
// written per BY group or CLASS cell.
#pragma once

struct kes_ctx;
struct kes_stats;

// Last option slot of the statistic keywords of an OUTPUT statement.
constexpr int KES_OUTPUT_LAST_SLOT = 49;

// Puts the current variable's statistics into its positions of the OUTPUT values.
void kesouts(kes_ctx* ctx, kes_stats* stats, double* values);
// Writes one observation per OUTPUT statement from the context's OUTPUT values:
// 0, or 1 after a write failure (the step ends).
int kesout(kes_ctx* ctx, int last_slot);
