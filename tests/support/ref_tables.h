// The reference tables kept as data files beside the scripts that made them.
#pragma once
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace kes_test {

// Rows of whitespace-separated fields of a file under tests/, '#' lines skipped.
inline std::vector<std::vector<std::string>> ref_rows(const std::string& path) {
  std::vector<std::vector<std::string>> rows;
  std::string full = KES_SOURCE_DIR "/tests/";
  full += path;
  std::ifstream in(full);
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    rows.emplace_back();
    for (std::string f; fields >> f;) rows.back().push_back(f);
  }
  return rows;
}

// Rows keyed by their first field, the others as numbers.
inline std::map<std::string, std::vector<double>> ref_keyed(const std::string& path) {
  std::map<std::string, std::vector<double>> t;
  for (const auto& row : ref_rows(path))
    for (size_t i = 1; i < row.size(); ++i) t[row[0]].push_back(std::stod(row[i]));
  return t;
}

}  // namespace kes_test
