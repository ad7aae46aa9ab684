// Reading the procedure options into the context.
#pragma once

struct kes_ctx;

// Reads the PROC node's flags and slots into the context, creates the run pool and
// the CLASS-variables record. 0; failures end the step through xexit (and their
// code is returned).
int kesgopt_impl(kes_ctx* ctx);
