#include "stats/engine_threads.h"

namespace {
int engine_threads = 1;
}

int kes_engine_threads() { return engine_threads; }
void kes_set_engine_threads(int threads) { engine_threads = threads > 0 ? threads : 1; }
