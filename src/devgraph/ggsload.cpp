// ggsload(options, mode, flag) -> int: starts the device named in the host graphics
// options record; 0 ready, 1 a device image could not be installed (after message
// 129/53), -1 the device could not be started.
//
// Device graphics are not written yet: no device is ever started.
#include "devgraph/device_services.h"

int ggsload(void*, int, int) {
  return -1;
}
