// kesside(ctx): the side-by-side box plots of all BY groups, after the last BY group;
// the caller uses no result.
//
// The box plots are not written yet: nothing is drawn.
#include "stats/kesside.h"

void kesside(kes_ctx*) {}
