// zqidest(layout) -> int: prepares the output destinations of device graphs for a
// layout whose head holds the manager and root objects; 0, 1012 after message 580/18
// when no destination list can be had, 1016 after xmemmsg.
//
// Device graphics are not written yet: no destination is prepared and the head stays
// as the caller filled it.
#include "devgraph/device_services.h"

int zqidest(kes_layout*) {
  return 0;
}

void kes_dest_options(gdevopts*, const host_dest*) {}
