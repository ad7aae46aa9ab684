// 300 scores of 40 to 100 piled toward 100, from a fixed sequence: bars and points
// piled high at the right of a frame, for the device tests of where boxes stand.
#pragma once

#include <algorithm>
#include <sstream>
#include <string>

inline std::string kes_piled_scores_csv() {
  std::ostringstream o;
  o << "score\n";
  unsigned s = 77;
  for (int i = 0; i < 300; ++i) {
    s = s * 1103515245u + 12345u;
    const double u = static_cast<double>((s >> 8) % 1000) / 1000.0;
    o << std::max(40.0, 100 - 30 * u * u) << "\n";
  }
  return o.str();
}
