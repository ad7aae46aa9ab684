// Texts drawn over the data stay readable: a line that would run through one is drawn
// in pieces with a gap behind the text, as wide as the text and a small margin.
#pragma once
#include <vector>

#include "devgraph/gdev.h"
#include "host/kes_text_room.h"

struct kes_ctx;

// A text's room on the page, in device units (percent of the graphics area).
using kes_text_gap = kes_room;

// The room of a horizontal text t of length len along its baseline: from its descent
// to its top, with a margin of half a blank around it.
kes_text_gap kes_gap_of(kes_ctx* ctx, const kes_gtext& t, double len);

// The gaps but the one at index own (a line's own label, which stands clear of it
// already; -1 keeps them all).
std::vector<kes_text_gap> kes_gaps_but(const std::vector<kes_text_gap>& gaps, int own);

// The line drawn in its pieces outside the gaps.
void kes_line_around(kes_ctx* ctx, double x1, double y1, double x2, double y2, int style, int colour,
                     const std::vector<kes_text_gap>& gaps);
