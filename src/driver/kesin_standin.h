// The data pass of the step driver's tests: results and cells from the stand-in
// record (placeholder_hooks.h) while that record is in use.
#pragma once

struct kes_ctx;

// True while a test has filled the stand-in record.
bool kes_standin_in_use();
// The stand-in data pass; a kes_in_result.
int kesin_standin(kes_ctx* ctx);
// The stand-in comparative layout: the result set in the record.
int kescmh3_standin(kes_ctx* ctx);
