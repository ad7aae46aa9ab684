// Texts of a chart that several drawers set up alike: an axis label in its own
// record's font, height and colour, a reference-line label, and where a value stands
// beside its tick.
#pragma once

#include "devgraph/gdev.h"

struct kes_chart;
struct kes_axis;
struct kes_ctx;

// The axis' label record as a text: its font unless blank (else the chart's label
// font), its height (else the label height) and its colour.
kes_gtext kes_label_text(const kes_chart* c, const kes_axis& axis);
// A reference-line label: the inset font and height, the colour, the text of at most
// 16 characters.
kes_gtext kes_ref_label(const kes_chart* c, int colour, const char* text);
// The baseline of a value of text height `height` whose figures centre on `at`, or
// lower where that would take its em off the top of the graphics area.
double kes_figures_baseline(double at, double height);

// The default label text built again with the variable's name in place of its label,
// when it has one: note KES_MSG_LABEL_TOO_LONG_AXIS once per chart, the new length in
// *len. False (nothing changed) when the variable has no label.
bool kes_label_by_name(kes_ctx* ctx, kes_chart* c, int (*build)(kes_ctx*, char*), char* buf, int* len);
