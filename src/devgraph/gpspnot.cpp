// gpspnot(): frees the task's chain of pending graphics records and their item
// buffers, so that no graphics state outlives the step; safe when nothing is pending.
//
// No graphics record is made while device graphics are not written: nothing to free.
#include "devgraph/device_services.h"

void gpspnot() {}
