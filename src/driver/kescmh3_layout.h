// The comparative layout of the CLASS cells of a BY group.
#pragma once

struct kes_ctx;

// For each plot request with CLASS cells: the key cell first (unless NOKEYMOVE), the
// label texts of both CLASS variables and, with two, the grid of cells. 0, or 1016
// after xmemmsg.
int kescmh3_impl(kes_ctx* ctx);
