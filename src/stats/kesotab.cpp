// kesotab(ctx, 0) -> put handle: defines the OUTTABLE data set's variables; null when
// the BY variables cannot be copied.
//
// Until the OUTTABLE data set is written this body returns the handle set in the
// stand-in record (driver/placeholder_hooks.h).
#include "stats/kesotab.h"

#include "driver/placeholder_hooks.h"

host_access* kesotab(kes_ctx*, int) {
  ++kes_ph.kesotab_calls;
  kes_ph_trace("otab;");
  return kes_ph.outtable_access;
}
