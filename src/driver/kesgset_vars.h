// Variables and CLASS set-up of the step.
#pragma once

struct kes_ctx;
struct kes_classvars;

// Variable descriptors and buffers, the variable-get set of the data pass (ended by
// the caller with xvgete), the CLASS part of the CLASS-variables record and the scan
// of the INSET and OUTPUT statements. 0; failures end the step through xexit (and
// their code is returned).
int kesgset_impl(kes_ctx* ctx);

// Fills the CLASS part of a CLASS-variables record from the input data set: types,
// lengths, key and formatted-text buffers, names and labels, the cell size. 0, or
// 1016 after xmemmsg.
int kescls(kes_ctx* ctx, kes_classvars* cv);
