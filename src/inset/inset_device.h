// The device side of building an inset box: its font, text height and colours from
// the options, the device and the style; and its measures.
#pragma once

struct kes_ctx;
struct kes_insetbox;

// Style, text height, font and colours of a new box (device graphics only).
void kes_inset_device_setup(kes_ctx* ctx, kes_insetbox* box);
// Column widths and the box's width and height after its rows are made;
// single_header: the box's one block was made its header.
void kes_inset_measure(kes_ctx* ctx, kes_insetbox* box, bool single_header);
// The same measuring again, after the box's font changed.
void kes_inset_measure_rows(kes_insetbox* box, bool single_header);
// Box width and height from the measured columns, margins and rows.
void kes_inset_box_size(kes_insetbox* box);
// The locale's default graphics font into the box (locale item 19, "SIMPLEX" when
// the locale has none), and the length of the box's font name.
void kes_inset_default_font(kes_insetbox* box);
int kes_inset_font_len(const kes_insetbox* box);
// The least text height of the page, 6 px, in percent of the page's height (0 when
// the device gives no page size): no box text is drawn smaller.
double kes_inset_least_text(const kes_ctx* ctx);
