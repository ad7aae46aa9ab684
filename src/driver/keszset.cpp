// Stand-in until the listing labels are loaded: the line-printer output has none.
#include "driver/keszset.h"

void keszset(kes_ctx* /*ctx*/) {}
