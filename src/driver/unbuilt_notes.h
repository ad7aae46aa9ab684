// Notes of a step about what it reads but does not carry out yet, and about options
// that the statement parser folds together.
#pragma once

struct kes_ctx;
struct kes_preq;

// Once per step: ANNOTATE= and VAXIS= are read but not used yet.
void kesunbuilt(const kes_ctx* ctx);
// A family option given more than once in plot request `request`, the nth statement
// of its kind.
void kesfamrep(const kes_preq* request, int nth);
