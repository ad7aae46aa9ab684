// The cell's boxes kept off its texts and, where the frame has room, off its data: the
// device keeps a box where the statement puts it only where it covers neither.
#pragma once

#include <vector>

#include "host/kes_text_room.h"

struct kes_ctx;
struct kes_cell;

// Each enabled box at a compass position (not a margin or USER box, nor a blanked one)
// that covers a bar's value text, a reference label (placed around it) or the data
// (the bars, the points of a Q-Q or probability plot, a CDF plot's steps, a P-P plot's
// diagonal) takes the first other free position, in the order
// NW, NE, SW, SE, N, S, E, W, where it lies inside the frame, covers no text, meets no
// other box and, first, covers no data; else it stays. A box left over the data
// without a fill given is filled with the page's colour, so that its texts read; the
// bar values it still covers are left out when the bars are drawn.
void kes_boxes_off_values(kes_ctx* ctx, kes_cell* cell);

// The rooms of the enabled boxes placed in the cell's frame (not those of the page
// margins), shadows and all: where a note of the cell would be hidden.
std::vector<kes_room> kes_box_rooms(const kes_ctx* ctx);
