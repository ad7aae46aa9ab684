// The OUTPUT data sets: the values gathered per variable and the observations
// written per BY group or CLASS cell; and the utility files of the side-by-side box
// plots, which the OUTPUT set-up opens.
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

// The utility files ONE, TWO and THREE: their handles follow one another from the
// context's utility-file handle on.
constexpr int KES_UTIL_ONE = 0;
constexpr int KES_UTIL_TWO = 1;
constexpr int KES_UTIL_THREE = 2;
constexpr int KES_NUTILFILES = 3;
int kes_util_handle(const kes_ctx* ctx, int which);
