// What the template graphs read of the request besides their own state: the slots
// of the current variable and the default vertical-axis text.
#pragma once

#include "util/param_text.h"  // the parameters as every legend shows them

struct kes_ctx;
struct kes_preq;
struct kes_cell;
struct kes_plotslot;

// The cell's plot slot for the current request and variable, and the key cell's.
kes_plotslot* kes_stg_slot(kes_ctx* ctx, kes_cell* cell);
kes_plotslot* kes_stg_keyslot(kes_ctx* ctx);
// The distribution family of a CDF, probability, QQ or P-P request (-1 none, and for
// histograms).
int kes_stg_family(const kes_preq* r);
// The default vertical-axis text of the current request into buffer (at least 261
// characters, not terminated); returns its length, 0 for none.
int kes_stg_vlabel(kes_ctx* ctx, char* buffer, int size);

