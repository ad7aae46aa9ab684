// The data set the fuzzed programs read.
#pragma once
#include <random>
#include <string>

namespace kes_fuzz {

// The data set d.csv every program reads: numeric x, y, w (weights) and f
// (frequencies), CLASS variables g (text) and h (numbers), and an ID text, with some
// values missing; now and then all equal, huge, tiny or negative.
std::string fuzz_data(std::mt19937_64& rng);

}  // namespace kes_fuzz
