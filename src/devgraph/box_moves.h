// The cell's boxes kept off the values over its bars: the device keeps a box where the
// statement puts it only where it covers no text.
#pragma once

#include <vector>

#include "host/kes_text_room.h"

struct kes_ctx;
struct kes_cell;

// Each enabled box at a compass position (not a margin or USER box, nor a blanked one)
// that covers a bar's value text takes the first other free position, in the order NW,
// NE, SW, SE, N, S, E, W, where it lies inside the frame, covers none and meets no
// other box; else it stays.
void kes_boxes_off_values(kes_ctx* ctx, kes_cell* cell);

// The rooms of the enabled boxes placed in the cell's frame (not those of the page
// margins), shadows and all: where a note of the cell would be hidden.
std::vector<kes_room> kes_box_rooms(const kes_ctx* ctx);
