// ggsload(options, mode, flag) -> int: starts the device named in the host graphics
// options record; 0 ready, 1 a device image could not be installed (after message
// 129/53), -1 the device could not be started.
//
// Until device graphics are written this body returns the results set in the
// stand-in record (driver/placeholder_hooks.h).
#include "devgraph/device_services.h"

#include "driver/placeholder_hooks.h"

int ggsload(void*, int, int) {
  kes_ph_trace("ggsload;");
  return kes_ph_next(kes_ph.ggsload);
}
