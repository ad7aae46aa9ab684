// A whole program run through the stand-in over one CSV data set (WORK.d), its graphs
// kept in its scratch folder, with its log, listing and JSON output read back, and the
// tables of the JSON found by name.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "support/json_reader.h"

namespace kes_test {

struct json_run {
  int status = -1;
  std::string log, listing;
  json out;
  bool parsed = false;
  // The data sets the program wrote to WORK, by member name, as CSV text.
  std::map<std::string, std::string> work;
  // The tables of that name of every step, in output order.
  std::vector<const json*> tables(const std::string& name) const;
};

// Writes csv as d.csv into a scratch WORK library and runs the program over it.
json_run run_json(const std::string& csv, const std::string& program);

}  // namespace kes_test
