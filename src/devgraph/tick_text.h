// Tick values of the linear axes as text, shared by the margin computation (which
// measures them) and the axis drawers (which write them), so that what is measured is
// what is drawn.
#pragma once

#include <string>
#include <vector>

#include "host/kes_checked.h"
#include "host/kes_tick_truth.h"

struct host_varinfo;

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

// The decimals that show every value s, s + d, ... up to t alike (e: the snap of a
// value to 0): negative for exponent form, -1 for a range that runs backwards.
int kes_tick_decimals(double s, double t, double d, double e, int step);

// The text of tick value v into buf (KES_TICK_TEXT characters, blank-padded); its
// length. info: the variable's name record when its format is to be used, else null.
// decimals: the axis' decimals (shwylab's format argument); trim: ZCOMPRESS; field:
// the width the value is written in, 0 for the ten characters of an axis value.
int kes_tick_text(double v, const host_varinfo* info, int decimals, int trim, char* buf, int field = 0);

// Thinning of tick values: every (step + 1)-th tick carries a value when a value
// needs `allowance` and ticks lie inc apart; 0 when every tick has room.
int kes_label_step(double allowance, double inc);

// The thinning step, raised from skip to the least step at which the values drawn
// are true and tell their ticks apart (kes_ticks_true with every = step + 1): a
// ten-character field shows a value near 1e308 to four significant digits, true of
// every other tick 5e304 apart. -1 when no step leaving two values drawn does.
int kes_true_label_step(int skip, const std::vector<double>& values, const std::vector<std::string>& texts,
                        double d);

// The form of an axis' values: shwylab's decimals argument and the field they are
// written in (0: the ten characters of an axis value).
struct kes_tick_form {
  int decimals = 99;
  int field = 0;
};
// The narrowest form in which every tick's value is true and tells it from its
// neighbours (kes_ticks_true), where the ten characters cannot: fixed notation with
// the decimals the step needs, or E notation with the digits it needs, whichever
// is narrower (fixed on a tie). trim: ZCOMPRESS. Field 0 when no form is (ticks
// closer than the doubles tell apart).
kes_tick_form kes_true_tick_form(const std::vector<double>& values, double d, int trim);

// The variable has a format.
bool kes_has_format(const host_varinfo& info);
