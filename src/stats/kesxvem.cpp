// kesxvem(ctx) -> int: defines the descriptive tables once per step; returns the
// result of its last definition, which the caller does not use.
//
// Until the table definitions are written this body only records the call in the
// stand-in record (driver/placeholder_hooks.h).
#include "stats/kesxvem.h"

#include "driver/placeholder_hooks.h"

int kesxvem(kes_ctx*) {
  ++kes_ph.kesxvem_calls;
  kes_ph_trace("xvem;");
  return 0;
}
