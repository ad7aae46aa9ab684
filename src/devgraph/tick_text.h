// Tick values of the linear axes as text, shared by the margin computation (which
// measures them) and the axis drawers (which write them), so that what is measured is
// what is drawn.
#pragma once

#include <string>
#include <vector>

#include "host/kes_checked.h"
#include "host/kes_tick_text.h"

struct host_varinfo;

// Room for a tick's text: a value's exact decimal in either form.
constexpr int KES_TICK_TEXT = 40;
// A tick this close past the end of its axis still counts; no axis has more ticks.
constexpr double KES_TICK_SLACK = 0.001;
constexpr long KES_MAX_TICKS = 1000;

// How many ticks inc apart an axis 'length' long can hold from its origin: the bound of
// every tick walk, counted before it starts, so that a step that is zero, NaN or
// infinite (from an axis whose end passed the doubles) or too fine to see draws no
// tick and never walks in place. One more than the quotient lets the walk's own
// "not past the end" test decide the last tick.
inline long kes_tick_count(double length, double inc) noexcept {
  if (!(inc > 0) || !(length >= 0) || !std::isfinite(inc) || !std::isfinite(length)) return 0;
  return kes_clamped_int(std::floor((length + KES_TICK_SLACK) / inc) + 2, 0L, KES_MAX_TICKS);
}
// A tick value whose magnitude is not above e is written as 0.
inline double kes_tick_snap(double v, double e) { return v <= e && v >= -e ? 0.0 : v; }

// The steps from tick s to tick t of an axis of step d: counted, not walked until past
// t plus a tolerance (at an offset such as 1e9 a tolerance relative to the values lies
// thousands of steps past t, and the walk met values the axis does not show); 0 for a
// range that runs backwards, at most kMostTickSteps.
inline constexpr long kMostTickSteps = 100000;
long kes_tick_steps(double s, double t, double d);

// The form of the values of an axis whose ticks stand at s, s + d, ... up to t (e: the
// snap of a value to 0), from every `every`-th of them: each value reads its decimal,
// s + k d where s and d are short decimals. A range that runs backwards or no step
// gives each value its own text.
kes_tick_style kes_axis_tick_style(double s, double t, double d, double e, int every = 1);

// The text of tick value v into buf (KES_TICK_TEXT characters, blank-padded); its
// length. info: the variable's name record when its format is to be used, else null.
// style: the axis' form; trim: ZCOMPRESS (.5 for 0.5).
int kes_tick_text(double v, const host_varinfo* info, const kes_tick_style& style, int trim, char* buf);

// Thinning of tick values: every (step + 1)-th tick carries a value when a value
// needs `allowance` and ticks lie inc apart; 0 when every tick has room.
int kes_label_step(double allowance, double inc);

// The variable has a format.
bool kes_has_format(const host_varinfo& info);
