// Output data sets that carry the CLASS variables (OUTPUT, OUTTABLE, OUTHISTOGRAM,
// OUTKERNEL) define them the same way: as copies of the input's variables, bound to the
// current level's value.
#pragma once

#include "driver/kes_ctx.h"
#include "host/host_services.h"

// Defines every CLASS variable in the data set being defined through acc; false after
// a definition the host refused (it has said why).
bool kes_define_class_copies(kes_ctx* ctx, host_access* acc);
