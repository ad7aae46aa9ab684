// zqdfree(layout): releases the destination list of zqidest and deletes its pool;
// safe to call twice.
//
// Until device graphics are written this body only records the call in the stand-in
// record (driver/placeholder_hooks.h).
#include "devgraph/device_services.h"

#include "driver/placeholder_hooks.h"

void zqdfree(kes_layout*) {
  ++kes_ph.zqdfree_calls;
  kes_ph_trace("zqdfree;");
}
