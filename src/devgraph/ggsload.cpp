// ggsload(options, mode, flag) -> int: starts the device named in the host graphics
// options record; 0 ready, 1 a device image could not be installed (after message
// 129/53), -1 the device could not be started.
#include "devgraph/device_services.h"

int ggsload(gdevopts*, int, int) { return -1; }
