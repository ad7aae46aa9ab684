// CLASS level cells of a BY group: the comparative layout of the plot requests.
#pragma once

struct kes_ctx;

// Puts each plot request's key cell first and lays its cells out as a grid with
// label texts. 0, 1012 (after a message) or 1016 (after xmemmsg).
int kescmh3(kes_ctx* ctx);
