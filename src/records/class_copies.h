// Output data sets that carry the CLASS variables (OUTPUT, OUTTABLE, OUTHISTOGRAM,
// OUTKERNEL) define them the same way: as copies of the input's variables, bound to the
// current level's value.
#pragma once

#include "host/host_services.h"
#include "records/kes_ctx.h"

// Defines every CLASS variable in the data set being defined through acc; false after
// a definition the host refused (it has said why).
bool kes_define_class_copies(kes_ctx* ctx, host_access* acc);

struct kes_cell;

// The cell's level becomes the CLASS variable's current key text and value, which the
// copies are bound to.
void kes_class_key_from_cell(kes_classvar& var, const kes_cell* cell);
// Every CLASS variable's copy from a cell of the innermost level: with two CLASS
// variables the first takes its level from the cell's parent.
void kes_class_copies_from_cell(kes_ctx* ctx, const kes_cell* cell);
