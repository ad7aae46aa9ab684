// Threads the statistics engines may use for their large loops. The step sets it
// from its THREADS= option before any engine runs; it is 1 until then, so engines
// called on their own (tests, tools) run serially unless told otherwise. The engines
// split work in fixed parts, so their results do not depend on it.
#pragma once

int kes_engine_threads();
void kes_set_engine_threads(int threads);
