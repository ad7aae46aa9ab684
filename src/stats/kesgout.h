// The OUTPUT statements at start-up.
#pragma once

struct kes_ctx;

// Checks the OUTPUT statements, opens the utility files of the side-by-side box
// plots when they are asked, ranks the PCTLPTS= points and defines every OUTPUT
// data set's variables bound to the OUTPUT value array. 0, or a status (2000 an
// OUTPUT statement the step cannot serve, 1012 a utility file that cannot be
// opened, 1 out of memory) that ends start-up.
int kesgout(kes_ctx* ctx);
