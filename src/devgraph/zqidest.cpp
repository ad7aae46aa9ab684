// zqidest(layout) -> int: prepares the output destinations of device graphs for a
// layout whose head holds the manager and root objects; 0, 1012 after message 580/18
// when no destination list can be had, 1016 after xmemmsg.
//
// Until device graphics are written this body returns the results set in the
// stand-in record (driver/placeholder_hooks.h).
#include "devgraph/device_services.h"

#include "driver/placeholder_hooks.h"

int zqidest(kes_layout*) {
  kes_ph_trace("zqidest;");
  return kes_ph_next(kes_ph.zqidest);
}
