// Tick values of the linear axes as text, shared by the margin computation (which
// measures them) and the axis drawers (which write them), so that what is measured is
// what is drawn.
#pragma once

#include <string>
#include <vector>

#include "host/kes_checked.h"

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

// The decimals that show every value s, s + d, ... (while not beyond t + e) alike:
// negative for exponent form, -1 for a range that runs backwards.
int kes_tick_decimals(double s, double t, double d, double e, int step);

// The text of tick value v into buf (KES_TICK_TEXT characters, blank-padded); its
// length. info: the variable's name record when its format is to be used, else null.
// decimals: the axis' decimals (shwylab's format argument); trim: ZCOMPRESS.
int kes_tick_text(double v, const host_varinfo* info, int decimals, int trim, char* buf);

// Thinning of tick values: every (step + 1)-th tick carries a value when a value
// needs `allowance` and ticks lie inc apart; 0 when every tick has room.
int kes_label_step(double allowance, double inc);

// The thinning step, raised from skip where needed so that no two neighbouring values
// drawn read alike: a ten-character field shows a value near 1e308 to four
// significant digits, too few for ticks 5e304 apart. texts: the values' texts of
// every tick in order, the first drawn (an empty text, drawn as nothing, is like no
// other); skip unchanged when no step tells them apart.
int kes_distinct_label_step(int skip, const std::vector<std::string>& texts);

// The variable has a format.
bool kes_has_format(const host_varinfo& info);
