// One data set made ready for the relations: the transformed copies of it (values
// times 2^k, plus c, weights times 2^k, rows reversed and shuffled, frequencies as
// copies), written as CSV data sets, and the program whose steps analyse each.
#pragma once
#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "support/sample_gen.h"

namespace kes_meta {

struct meta_case {
  std::string name;  // "set 17 of seed 5 (values=ties ...)" or an explicit case's name
  std::string kind;  // the words a known failure is matched against
  kes_test::sample data;
  int k = 0;           // values times 2^k
  double c = 0;        // values plus c; NaN where no shift is exact
  double far_c = NAN;  // values moved by 10^6 to 10^9 spreads and back (far_offsets.h)
  double abs_c = NAN;  // and by 1e6 or 1.7e9
  int kw = 0;          // weights times 2^kw, kw even
  bool fits = false;   // whether the step of fitted curves runs
  std::vector<std::size_t> shuffle;  // the shuffled rows' order
};

// A case of a sample: k, c and kw chosen so that every transformed value is exact (and
// the scaled values and weights stay normal numbers where the sample's are), a random
// order of rows.
meta_case make_case(std::string name, const kes_test::sample& data, std::uint64_t seed);

// The steps of a case's program, in order: "base" (x), "scaled" (x 2^k and x + c),
// "wscaled", "reversed", "shuffled", "copies", "far" (the far offsets) and "fits",
// those that apply.
std::vector<std::string> step_names(const meta_case& mc);
// The data sets (name to CSV text) and the program.
std::map<std::string, std::string> case_data(const meta_case& mc);
std::string case_program(const meta_case& mc);

}  // namespace kes_meta
