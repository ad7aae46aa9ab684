// Data sets written as CSV text for the runner to read: each number in a printf
// format, by default with every digit of its double so that it reads back as the same
// double, and "." for a missing one (NaN); a line's fields joined by commas.
#pragma once
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace kes_test {

inline std::string number_text(double v, const char* format = "%.17g") {
  if (std::isnan(v)) return ".";
  char b[48];
  const int n = std::snprintf(b, sizeof b, format, v);
  if (n >= 0 && static_cast<std::size_t>(n) < sizeof b) return b;
  // A fixed format of the largest doubles ("%.0f" of 1e300) writes hundreds of digits.
  std::string s(static_cast<std::size_t>(n) + 1, '\0');
  std::snprintf(s.data(), s.size(), format, v);
  s.pop_back();
  return s;
}

// One line of a data set, its end included.
inline std::string csv_line(const std::vector<std::string>& fields) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) line += (i ? "," : "") + fields[i];
  return line + "\n";
}

// Named columns of numbers, each number with every digit of its double; the columns
// have the same length.
inline std::string csv_text(const std::vector<std::pair<std::string, std::vector<double>>>& columns) {
  std::vector<std::string> fields;
  for (const auto& column : columns) fields.push_back(column.first);
  std::string text = csv_line(fields);
  const std::size_t rows = columns.empty() ? 0 : columns.front().second.size();
  for (std::size_t r = 0; r < rows; ++r) {
    fields.clear();
    for (const auto& column : columns) fields.push_back(number_text(column.second[r]));
    text += csv_line(fields);
  }
  return text;
}

// n numbers evenly from lo to hi (lo (1 - t) + hi t: no sum that overflows), as one
// column.
inline std::vector<double> evenly(double lo, double hi, int n) {
  std::vector<double> out;
  for (int i = 0; i < n; ++i) {
    const double t = n > 1 ? static_cast<double>(i) / (n - 1) : 0;
    out.push_back(lo * (1 - t) + hi * t);
  }
  return out;
}

}  // namespace kes_test
