// kessave(stats, record): copies the summary of the statistics record (mean,
// standard deviation, minimum, maximum, interquartile range and the 33-double block)
// into the per-variable record. No result.
//
// Until the statistics record is filled this body only records the call in the
// stand-in record (placeholder_hooks.h).
#include "driver/kescomp.h"

#include "driver/placeholder_hooks.h"

void kessave(kes_stats*, kes_varsum*) {
  ++kes_ph.kessave_calls;
  kes_ph_trace("save;");
}
