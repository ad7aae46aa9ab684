// Output data sets: the state behind xvputi ... xvputt (data/output_dataset.cpp).
#pragma once
#include "data/dataset_internal.h"

namespace plat {

// Drops an output data set that was not closed: its temporary file is removed and
// any older file stays as it was.
void abandon_output(dataset* ds);
// Reports a failed write of an output data set (xofprc, mode 4); 1 when reported.
int report_output_failure(dataset* ds, int status);

}  // namespace plat
