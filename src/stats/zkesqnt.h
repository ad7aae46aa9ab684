// Percentiles, modes and percentile confidence limits from a cell's ascending values.
#pragma once

struct kes_ctx;
struct kes_moments;
struct kes_qntblk;

// Percentile definitions: 1 to 5 as PCTLDEF=, 6 the weighted definition.
constexpr int KES_PCTLDEF_WEIGHTED = 6;

// Fills the request block q (zeroed by the caller, then set up) from the ascending
// values of the view fv under definition def; q->distinct comes from fv. mom gives N, mean, std and the sum of weights.
struct kes_valview;
int zkesqnt_arrays(int def, const kes_moments* mom, const kes_valview* fv, kes_qntblk* q);

// Positions (from 0, clamped to 0..n-1) of the lower and upper order statistics of
// percentile p among n observations under definition def (1 to 5), and the
// interpolation fraction.
double zkesfct(int def, double n, double p, double* j, double* k);

// Noncentral t quantile at probability p; 0 with *t set, else the failing code.
int zkesqnc(double* t, double p, double df, double nc);

// The same positions on integer indices for the fitted quantile table, under the
// step's definition (PCTLDEF=, or 5, in place of the weighted one).
double kesfrac(const kes_ctx* ctx, int* j, int* k, double n, double p);
