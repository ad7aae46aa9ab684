// kesnoest(ctx, cell, code): the note that a family was not estimated in a cell.
//
// No family is built yet, so no estimate can fail: nothing to report.
#include "fit/kes_famfn.h"

void kesnoest(kes_ctx*, kes_cell*, int) {}
