// The observations of a data set written as CSV by the runner, each by variable name
// (strtod: subnormal numbers too); missing values ('.') are NaN; or as texts: each
// line's fields, or one variable's. And a weighted data set written for the runner.
#pragma once
#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/csv_write.h"

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

// The fields of one line of such a data set (the runner quotes none of these).
inline std::vector<std::string> csv_fields(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream in(line);
  for (std::string f; std::getline(in, f, ',');) fields.push_back(f);
  return fields;
}

// The fields of each observation, past the header.
inline std::vector<std::vector<std::string>> csv_field_rows(const std::string& text) {
  std::istringstream in(text);
  std::string line;
  std::getline(in, line);
  std::vector<std::vector<std::string>> rows;
  while (std::getline(in, line)) rows.push_back(csv_fields(line));
  return rows;
}

// The texts of one variable, an observation's each ("" where its line is short); none
// where the data set has no such variable.
inline std::vector<std::string> csv_column(const std::string& text, const std::string& name) {
  std::istringstream in(text);
  std::string line;
  std::getline(in, line);
  const std::vector<std::string> head = csv_fields(line);
  std::size_t at = 0;
  while (at < head.size() && head[at] != name) ++at;
  std::vector<std::string> out;
  if (at == head.size()) return out;
  while (std::getline(in, line)) {
    const std::vector<std::string> f = csv_fields(line);
    out.push_back(at < f.size() ? f[at] : "");
  }
  return out;
}

// Columns x and w, each number with every digit of its double ("." for NaN).
inline std::string weighted_csv(const std::vector<double>& x, const std::vector<double>& w) {
  std::string s = csv_line({"x", "w"});
  for (std::size_t i = 0; i < x.size() && i < w.size(); ++i) s += csv_line({number_text(x[i]), number_text(w[i])});
  return s;
}

}  // namespace kes_test
