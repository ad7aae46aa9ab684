// Start-up of the step after the task record: the statement parse and everything
// read from it into the context.
#pragma once

struct kes_ctx;

// Builds the parser descriptor, has the host parse the statements, reads the
// procedure options, variables, plot statements and OUTPUT statements into the
// context and loads the listing labels. 0 on success; nonzero when a check failed
// after its message (the caller ends the step). Parse errors end the step here.
int kesinit(kes_ctx* ctx);
