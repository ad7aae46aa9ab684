// The HistogramBins table of a histogram request.
#pragma once

struct kes_ctx;
struct kes_cell;

// One row per bin of the cell's stretch of the common bins of the current request and
// variable: the bin's midpoint (or its lower end, or its upper end with RTINCLUDE) and
// the percent of the cell's observations of the variable, missing values included,
// that fall in it. Nothing when the request does not plot the variable.
void kesmpct(kes_ctx* ctx, kes_cell* cell);
