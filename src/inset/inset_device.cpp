// The device side of building an inset box (inset_device.h). The device renderer
// that draws the boxes is not there yet; until it is, a box keeps the sizes of its
// options only.
#include "inset/inset_device.h"

void kes_inset_device_setup(kes_ctx*, kes_insetbox*) {}
void kes_inset_measure(kes_ctx*, kes_insetbox*) {}
