// Everyday programs at random: data as users bring it (Unix timestamps, prices in the
// millions, counts with ties and zeros, percentages 0 to 100, heights and waiting
// times like R's data sets, 1e9 plus a small spread, one value per CLASS cell, groups
// whose fitted shapes differ), and programs typed as users type them, over several
// lines with comments: reference lines close together with labels, BARLABEL= over
// many bins, boxes at every corner and margin, percent axes and their own lists. The
// same seed writes the same cases.
#pragma once
#include <random>
#include <string>
#include <vector>

namespace kes_fuzz {

struct everyday_case {
  std::string program, data;     // the program, and d.csv
  std::vector<long> cell_counts;  // the nonmissing values of each cell, in level order
  std::vector<std::string> percents;  // the PCTLORDER= list the program gives, if any
  int drawing_statements = 0;   // plot statements, each drawing one graph file
  std::string what;             // the kind of data, for the failure message
};

everyday_case everyday_program(std::mt19937_64& rng);

}  // namespace kes_fuzz
