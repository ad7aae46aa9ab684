// The plot statement pass.
#pragma once

#include "devgraph/graph_start.h"

struct kes_ctx;


// Counts the plot statements, builds one plot-request record per plot statement
// (HISTOGRAM, QQPLOT, CDFPLOT, PROBPLOT, PPPLOT, each kind in statement order),
// decides whether device and template graphics are on, starts the graphics device
// and runs the option checks of every request. 0 lets start-up go on; 3000 (plot
// statements with a WEIGHT variable), 1012 (an option check failed or the device
// could not be loaded) or the result of the destination set-up end it.
int kesstmt(kes_ctx* ctx);  // with the graphics steps of the context's stage table
// The same with the given graphics start-up steps.
int kesstmt_with(kes_ctx* ctx, const kes_graphics_startup* graphics);

// The step's renderer, chosen once after graphics start-up from the context's stage
// table: the template renderer when template graphics are on, else the device renderer
// when device graphics are on; null (no graph drawn) when that renderer is not built.
void kes_choose_renderer(kes_ctx* ctx);
