// kesside(ctx): the side-by-side box plots of all BY groups, after the last BY group;
// the caller uses no result.
//
// Until the box plots are written this body only records the call in the stand-in
// record (driver/placeholder_hooks.h).
#include "stats/kesside.h"

#include "driver/placeholder_hooks.h"

void kesside(kes_ctx*) {
  ++kes_ph.kesside_calls;
  kes_ph_trace("side;");
}
