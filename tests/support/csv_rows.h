// The observations of a data set written as CSV by the runner, each by variable name
// (strtod: subnormal numbers too); missing values ('.') are NaN.
#pragma once
#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace kes_test {

inline std::vector<std::map<std::string, double>> csv_rows(const std::string& text) {
  std::istringstream in(text);
  std::string head, line;
  std::getline(in, head);
  std::vector<std::map<std::string, double>> rows;
  while (std::getline(in, line)) {
    std::istringstream hs(head), rs(line);
    std::string name, cell;
    std::map<std::string, double> r;
    while (std::getline(hs, name, ',') && std::getline(rs, cell, ','))
      r[name] = cell == "." ? NAN : std::strtod(cell.c_str(), nullptr);
    rows.push_back(r);
  }
  return rows;
}

}  // namespace kes_test
