// The step driver's entry: one step run through a table of stages.
#pragma once
#include "records/kes_stages.h"

// The module's own routines.
extern const kes_stages kes_real_stages;

// Runs one step through the given stages and returns what xexit returned.
int kes_step(const kes_stages* stages);
