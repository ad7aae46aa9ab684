// zqdfree(layout): releases the destination list of zqidest and deletes its pool;
// safe to call twice.
//
// Device graphics are not written yet: nothing is done.
#include "devgraph/device_services.h"

void zqdfree(kes_layout*) {}
