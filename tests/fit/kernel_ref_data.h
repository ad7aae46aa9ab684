// Reading the reference tables of tests/fit/ref (made by ref/kernel_ref.R): rows of
// whitespace-separated fields, '#' lines skipped.
#pragma once
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace kernel_test {

inline std::string ref_path(const std::string& name) {
  return std::string(KES_SOURCE_DIR) + "/tests/fit/ref/" + name;
}

inline std::vector<std::vector<std::string>> ref_rows(const std::string& name) {
  std::vector<std::vector<std::string>> rows;
  std::ifstream in(ref_path(name));
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::vector<std::string> row;
    for (std::string f; fields >> f;) row.push_back(f);
    rows.push_back(row);
  }
  return rows;
}

// The numbers of a one-column file.
inline std::vector<double> ref_numbers(const std::string& name) {
  std::vector<double> v;
  for (const auto& row : ref_rows(name)) v.push_back(std::stod(row[0]));
  return v;
}

}  // namespace kernel_test
