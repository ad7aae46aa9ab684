// gpspnot(): frees the task's pending graphics records, so that no graphics state
// outlives the step; safe when nothing is pending. The host keeps them.
#include "devgraph/device_services.h"
#include "host/host_services.h"

void gpspnot() { ggpfree(); }
