// The text of one tick value of a linear axis as it is drawn, shared by both axes.
#pragma once

#include "devgraph/tick_text.h"

struct kes_ctx;
struct kes_axis;
struct kes_gtext;
struct kes_textline;

// The line begins the text of some tick of the axis definition.
bool kes_tick_head(const kes_axis& axis, const kes_textline* line);

// Fills t (text, length, font, height, colour) for tick i of the axis at data value
// v: the axis definition's text for the tick when it has one, else its explicit
// text, else the value in the variable's format (use_format), else the short axis
// form `style`. buf: KES_TICK_TEXT characters the text may live in.
void kes_axis_value_text(kes_ctx* ctx, const kes_axis& axis, int i, double v, bool use_format,
                         const kes_tick_style& style, kes_gtext* t, char* buf);
