// Output data sets: the state behind xvputi ... xvputt (data/output_dataset.cpp).
#pragma once
#include "data/dataset_internal.h"

namespace plat {

// Drops an output data set that was not closed: its temporary file is removed and
// any older file stays as it was.
void abandon_output(dataset* ds);
// At the step's end, an output data set still open: with complete set (the step read
// its input to the end) a data set whose definitions ended is closed as xvputt
// would close it; any other is abandoned.
void finish_output(dataset* ds, bool complete);
// Reports a failed write of an output data set (xofprc, mode 4); 1 when reported.
int report_output_failure(dataset* ds, int status);

}  // namespace plat
