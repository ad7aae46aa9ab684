// The default axis label texts of every plot kind, shared by the device drawers and
// the template graphs. Texts are written into a buffer of at least KES_AXIS_LABEL_MAX
// characters without a terminator; the result is the length (0: no text).
#pragma once

struct kes_ctx;

constexpr int KES_AXIS_LABEL_MAX = 261;

// The horizontal axis: the variable's label or name (histograms, CDF plots), the
// family's quantile or percent axis with the key cell's shapes (QQ and probability
// plots), or the fitted family with its parameters (P-P plots; the family's name
// alone with CLASS variables).
int keshlab(kes_ctx* ctx, char* buf);
// The vertical axis: VAXISLABEL= when given and ROTATE is not (under ROTATE the data
// axis it names is horizontal), else by plot kind: the vertical scale, the empirical
// probability, or the variable's label or name (its logarithm form for the
// two-parameter Weibull, noted when the variable has a label).
int kesvlab(kes_ctx* ctx, char* buf);
