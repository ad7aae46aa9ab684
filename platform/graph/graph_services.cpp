// Device graphics of the stand-in. No device is started by the steps that run so far,
// so stopping one always succeeds.
#include "core/host_vectors.h"

extern "C" {

int plat_ggstop() { return 0; }

}  // extern "C"
