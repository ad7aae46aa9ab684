// kesouts(ctx, stats, values): puts the current variable's statistics into its
// positions of the OUTPUT values. No result.
//
// Until the OUTPUT statement is written this body only records the call, with the
// first OUTPUT value that tells the cell apart, in the stand-in record
// (driver/placeholder_hooks.h).
#include "stats/output_dataset.h"

#include <cmath>

#include "driver/placeholder_hooks.h"

void kesouts(kes_ctx*, kes_stats*, double* values) {
  ++kes_ph.kesouts_calls;
  if (values && !std::isnan(values[0])) kes_ph_trace("outs(%g);", values[0]);
  else kes_ph_trace("outs(.);");
}
