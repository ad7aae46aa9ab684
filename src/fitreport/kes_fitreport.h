// What the histogram request driver calls of the goodness-of-fit tests and the
// fitted-distribution report.
#pragma once

struct kes_ctx;

// EDF tests and expected percents of every fitted curve of the current HISTOGRAM
// request and variable, in every cell. Always 0.
int kesgof(kes_ctx* ctx);
// Fitted-distribution tables and OUTHISTOGRAM rows of the current HISTOGRAM request
// and variable. 0, or 1016 after the memory message (an output failure ends the step
// inside it).
int kesfit(kes_ctx* ctx);
