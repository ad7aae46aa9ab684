// The text of one tick value of a linear axis as it is drawn, shared by both axes.
#pragma once

#include <functional>
#include <string>
#include <vector>

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
// form with the axis' decimals in its field (0: the ten characters). buf:
// KES_TICK_TEXT characters the text may live in.
void kes_axis_value_text(kes_ctx* ctx, const kes_axis& axis, int i, double v, bool use_format, int decimals,
                         int field, kes_gtext* t, char* buf);

// The values of ticks first, first + 1, ... while on(i) (tick i at start + i step,
// written as 0 within e of it) and their texts in the short axis form `form`; false,
// and nothing listed, when the axis writes its values otherwise (its definition's or
// explicit texts, the variable's format, the percents of a percent scale): those are
// the user's or the scale's and stand as they are.
bool kes_plain_tick_texts(kes_ctx* ctx, const kes_axis& axis, long first, const std::function<bool(long)>& on,
                          double start, double step, double e, bool use_format, const kes_tick_form& form,
                          std::vector<double>* values, std::vector<std::string>* texts);
