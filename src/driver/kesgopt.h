// The procedure options: the PROC node read into the context.
#pragma once

struct kes_ctx;

// Reads the PROC node's flags and slots (with the VAR, BY, CLASS, FREQ, WEIGHT and
// ID statements folded into them) into the context, creates the run pool and the
// CLASS-variables record and applies the option rules. 0; a failure ends the step
// through xexit, whose result is returned.
int kesgopt(kes_ctx* ctx);
