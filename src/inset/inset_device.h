// The device side of building an inset box: its font, text height and colours from
// the options, the plot statement, the device and the style; and its measures.
#pragma once

struct kes_ctx;
struct kes_insetbox;

// Style, text height, font and colours of a new box (device graphics only).
void kes_inset_device_setup(kes_ctx* ctx, kes_insetbox* box);
// Margins, column widths and the box's width and height after its rows are made.
void kes_inset_measure(kes_ctx* ctx, kes_insetbox* box);
