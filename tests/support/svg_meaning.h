// The rules on what a graph says, as against where its parts stand: its axes' values
// within their scales and in order, SQUARE's units, its values accounted for, its
// legend true, its texts readable and apart.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "support/svg_parts.h"
#include "support/svg_rules.h"

namespace kes_test {

// How many values a note in a cell says are not drawn, and why ("3 values at the
// threshold, not drawn"); -1 for a note that no value can be drawn ("1 value", "all
// values equal", "no nonmissing values"), which speaks for them all; 0 for any other text.
long noted_values(const std::string& note);

// The value a number text shows (a percent sign, thousands' commas or a typographic
// minus allowed); nothing for any other text.
std::optional<double> number_of(std::string s);
// The unit of a number text's last digit: "1.25E7" 1e5, "0.045" 0.001, "12" 1.
double last_unit(const std::string& text);
// A number for fault details, to six digits.
std::string number_text(double v);

// Where the tick texts of a cell's axis below (across) or at its left (up) put a value:
// the line through its outermost ticks. Empty without two ticks of different values.
struct axis_line {
  double at0, value0, per_value;
  double at(double v) const { return at0 + (v - value0) * per_value; }
};
std::optional<axis_line> cell_axis(const graph_parts& g, std::size_t cell, bool across);

// The rules on fitted curves (svg_curves.cpp): each is its family's density at its
// points within its label's rounding, and drawn where its heights put it.
void curve_faults(const graph_parts& g, const svg_facts& facts, std::vector<svg_fault>& out);

void meaning_faults(const graph_parts& g, const svg_facts& facts, std::vector<svg_fault>& out);

}  // namespace kes_test
