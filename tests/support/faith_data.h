// The small data set the runner tests read: 30 observations of eruptions (1.5 to
// 4.69), waiting (50 to 90) and a group code g in runs of 10 (1, 3, 2), as CSV text.
#pragma once
#include <sstream>
#include <string>

namespace kes_test {

inline std::string faith_csv() {
  std::ostringstream o;
  o << "eruptions,waiting,g\n";
  for (int i = 0; i < 30; ++i)
    o << 1.5 + 0.11 * ((i * 7) % 30) << "," << 50 + (i * 13) % 41 << "," << (i < 10 ? 1 : i < 20 ? 3 : 2) << "\n";
  return o.str();
}

}  // namespace kes_test
