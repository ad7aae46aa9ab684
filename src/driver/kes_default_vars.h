// The analysis variables of a step without a VAR statement.
#pragma once

struct kes_ctx;

// The numeric variables of the DATA= data set that no BY, CLASS, FREQ, WEIGHT or ID
// list names, in data set order. Returns their count; writes their numbers to
// varnums when it is not null (room for the count returned by a first call).
int kes_default_vars(const kes_ctx* ctx, int* varnums);
