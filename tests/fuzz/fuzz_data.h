// The data set the fuzzed programs read.
#pragma once
#include <random>
#include <string>

namespace kes_fuzz {

// The data set d.csv every program reads: numeric x, y, w (weights) and f
// (frequencies), CLASS variables g (text) and h (numbers), and an ID text, with some
// values missing; half the time all equal, negative, or at the ends of the doubles
// (near 1.7e308 of one sign or both, near 1e-300, subnormal, a mixture) or in tiny
// units (1e-9, 1e-20).
std::string fuzz_data(std::mt19937_64& rng);

}  // namespace kes_fuzz
