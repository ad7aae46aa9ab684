// The observations of a data set written as CSV by the runner, each by variable name
// (strtod: subnormal numbers too); missing values ('.') are NaN. And a weighted data
// set written for the runner.
#pragma once
#include <cmath>
#include <cstdio>
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

// Columns x and w, each number with every digit of its double.
inline std::string weighted_csv(const std::vector<double>& x, const std::vector<double>& w) {
  std::string s = "x,w\n";
  char line[80];
  for (std::size_t i = 0; i < x.size() && i < w.size(); ++i) {
    std::snprintf(line, sizeof line, "%.17g,%.17g\n", x[i], w[i]);
    s += line;
  }
  return s;
}

}  // namespace kes_test
