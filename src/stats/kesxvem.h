// Definitions of the descriptive tables, once per step.
#pragma once

struct kes_ctx;

// Defines the descriptive tables; returns the result of the last definition (the
// caller does not use it).
int kesxvem(kes_ctx* ctx);
