// Stand-in until the plot statement pass is written: no plot request is built, so
// the step runs its statistics without plots.
#include "driver/kesstmt.h"

int kesstmt(kes_ctx* /*ctx*/) { return 0; }
