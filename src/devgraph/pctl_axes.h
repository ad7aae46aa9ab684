// The axes of probability-plot and QQ-plot cells: the percent axis of a probability
// plot (at the bottom, or at the left under ROTATE) with the data axis, and the
// linear axes of a QQ plot with its percentile axis (PCTLAXIS: across the top, or
// down the right under ROTATE). Minor percents of PCTLMINOR go on either.
#pragma once

struct kes_ctx;
struct kes_preq;
struct kes_cell;

void kesgaxp(kes_ctx* ctx, kes_preq* request, kes_cell* cell);
void kesgaxq(kes_ctx* ctx, kes_preq* request, kes_cell* cell);
// The PCTLAXIS LABEL= text over the percentile axis across the top of a QQ page.
void kes_pctl_top_label(kes_ctx* ctx);
