// The rules on what a graph says, as against where its parts stand: its axes' values
// within their scales and in order, SQUARE's units, its values accounted for, its
// legend true, its texts readable and apart.
#pragma once
#include <string>
#include <vector>

#include "support/svg_parts.h"
#include "support/svg_rules.h"

namespace kes_test {

// How many values a note in a cell says are not drawn, and why ("3 values at the
// threshold, not drawn"); -1 for a note that no value can be drawn ("1 value", "all
// values equal", "no nonmissing values"), which speaks for them all; 0 for any other text.
long noted_values(const std::string& note);

void meaning_faults(const graph_parts& g, const svg_facts& facts, std::vector<svg_fault>& out);

}  // namespace kes_test
