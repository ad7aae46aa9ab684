// The text of one tick value of a linear axis as it is drawn, shared by both axes.
#pragma once

#include <functional>

struct kes_ctx;
struct kes_axis;
struct kes_gtext;
struct kes_textline;

// The line begins the text of some tick of the axis definition.
bool kes_tick_head(const kes_axis& axis, const kes_textline* line);

// Fills t (text, length, font, height, colour) for tick i of the axis at data value
// v: the axis definition's text for the tick when it has one, else its explicit
// text, else the value in the variable's format (use_format), else the short axis
// form with the axis' decimals. buf: KES_TICK_TEXT characters the text may live in.
void kes_axis_value_text(kes_ctx* ctx, const kes_axis& axis, int i, double v, bool use_format, int decimals,
                         kes_gtext* t, char* buf);

// The thinning step skip of the values of ticks first, first + 1, ... while on(i) (tick
// i at start + i step, written as 0 within e of it), raised where two neighbouring
// values drawn would read alike (kes_distinct_label_step); the axis definition's own
// texts are left as given.
int kes_distinct_value_step(kes_ctx* ctx, const kes_axis& axis, int skip, long first,
                            const std::function<bool(long)>& on, double start, double step, double e,
                            bool use_format, int decimals);
