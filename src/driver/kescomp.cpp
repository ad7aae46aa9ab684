// kescomp(ctx, mode, var, records): the statistics of one variable in one cell (mode
// 0), or the not-computed note and missing results (mode 2). No result.
//
// Until the statistics are written this body only records the call in the stand-in
// record (placeholder_hooks.h).
#include "driver/kescomp.h"

#include "driver/placeholder_hooks.h"

void kescomp(kes_ctx*, int mode, int var, kes_varsum*) {
  ++kes_ph.kescomp_calls;
  kes_ph_trace("comp(%d,%d);", var, mode);
}
