// kesstgins: the insets of a template graph. INSET statements reach template graphs
// as dynamic variables (without CLASS variables) or as "InsetData" tables per CLASS
// cell; until those are built a graph carries no inset.
#include "records/kes_ctx.h"
#include "tmplgraph/kes_stgraph.h"

void kesstgins(kes_ctx*, kes_stgraph*) {}
