// Side-by-side box plots of all BY groups on the listing.
#pragma once

struct kes_ctx;

// Draws the side-by-side box plots from the utility files, after the last BY group.
void kesside(kes_ctx* ctx);
