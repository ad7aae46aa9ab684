// Texts of a chart that several drawers set up alike: an axis label in its own
// record's font, height and colour, and a reference-line label.
#pragma once

#include "devgraph/gdev.h"

struct kes_chart;
struct kes_axis;

// The axis' label record as a text: its font unless blank (else the chart's label
// font), its height (else the label height) and its colour.
kes_gtext kes_label_text(const kes_chart* c, const kes_axis& axis);
// A reference-line label: the inset font and height, the colour, the text of at most
// 16 characters.
kes_gtext kes_ref_label(const kes_chart* c, int colour, const char* text);
