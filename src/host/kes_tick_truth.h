// The rule every axis of both renderers keeps for its tick values: each text, read
// back as a number, lies within half a step of the tick it labels, and no two
// neighbouring values drawn read alike. One test of it, which the module's axes and
// tick lists and the stand-in's template axes share.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

// The number a tick text reads as (a leading '.' as in ".5" too); NaN for a text that
// reads as no number.
inline double kes_tick_read_back(const std::string& t) {
  char* end = nullptr;
  const double r = std::strtod(t.c_str(), &end);
  return end != t.c_str() && end == t.c_str() + t.size() ? r : NAN;
}

// Whether the texts of ticks 0, every, 2 every, ... (values[i] the value of tick i,
// ticks d apart) are true and tell their ticks apart. d not positive and finite: a
// list of values at uneven places, each of which is to lie within half the gap to
// the nearer of its neighbours. An empty text (drawn as nothing) is true and like no
// other.
inline bool kes_ticks_true(const std::vector<double>& values, const std::vector<std::string>& texts, double d,
                           long every = 1) {
  const std::size_t n = std::min(values.size(), texts.size());
  const bool even = d > 0 && std::isfinite(d);
  const std::size_t by = static_cast<std::size_t>(std::max(every, 1L));
  const std::string* before = nullptr;
  for (std::size_t i = 0; i < n; i += by) {
    const std::string& t = texts[i];
    double gap = d;
    if (!even) {
      gap = INFINITY;
      if (i > 0 && values[i] != values[i - 1]) gap = std::fabs(values[i] - values[i - 1]);
      if (i + 1 < n && values[i] != values[i + 1]) gap = std::min(gap, std::fabs(values[i + 1] - values[i]));
    }
    if (!t.empty()) {
      if (!(std::fabs(kes_tick_read_back(t) - values[i]) <= gap / 2)) return false;
      if (before != nullptr && *before == t) return false;
    }
    before = &t;
  }
  return true;
}
