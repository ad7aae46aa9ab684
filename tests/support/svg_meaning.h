// The rules on what a graph says, as against where its parts stand: its axes' values
// within their scales and in order, SQUARE's units, its values accounted for, its
// legend true, its texts readable and apart.
#pragma once
#include <vector>

#include "support/svg_parts.h"
#include "support/svg_rules.h"

namespace kes_test {

void meaning_faults(const graph_parts& g, const svg_facts& facts, std::vector<svg_fault>& out);

}  // namespace kes_test
