// gpspnot(): frees the task's chain of pending graphics records and their item
// buffers, so that no graphics state outlives the step; safe when nothing is pending.
//
// No graphics record is ever made while device graphics are not written, so this
// body only records the call in the stand-in record (driver/placeholder_hooks.h).
#include "devgraph/device_services.h"

#include "driver/placeholder_hooks.h"

void gpspnot() {
  ++kes_ph.gpspnot_calls;
  kes_ph_trace("gpspnot;");
}
