// Variables and CLASS set-up of the step.
#pragma once

struct kes_ctx;

// Variable descriptors and buffers, the variable-get set of the data pass (the
// caller ends it with xvgete), the CLASS part of the CLASS-variables record and the
// scan of the INSET and OUTPUT statements. 0; a failure ends the step through xexit,
// whose result is returned.
int kesgset(kes_ctx* ctx);
