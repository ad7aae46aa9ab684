// Data far from zero: each value moved by an offset of 10^6 to 10^9 of the data's
// spread (timestamps of readings) and by an absolute offset (1e6, or 1.7e9, a Unix
// time), as the double it rounds to. Moving back gives the sample the moved one
// stands for exactly, so that every spread statistic and test of the two must agree
// to their rounding, and every location differ by the offset.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "metamorphic/meta_case.h"
#include "metamorphic/meta_run.h"

namespace kes_meta {

// The offsets of a case: of about 10^6 to 10^9 spreads, and absolute; NaN where no
// value can be moved there and back exactly.
std::pair<double, double> far_offsets(const std::vector<double>& x, std::uint64_t seed);

// The columns of the far step: xq1 (the sample moved by the first offset and back)
// and xu1 (moved), xq2 and xu2 for the second offset, those that apply.
std::vector<std::pair<std::string, std::vector<double>>> far_columns(const meta_case& mc);
std::vector<std::string> far_variables(const meta_case& mc);

// The relation: every statistic of xuN against those of xqN.
std::vector<std::string> values_far_off(const meta_case& mc, const program_result& r);

}  // namespace kes_meta
