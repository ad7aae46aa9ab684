#include "fuzz/fuzz_data.h"

#include <algorithm>
#include <cstdio>

namespace kes_fuzz {

std::string fuzz_data(std::mt19937_64& rng) {
  const int rows = static_cast<int>(rng() % 40);
  // Most data sets are ordinary; some are at the edges the statistics meet: one value
  // throughout, values near the largest or the least double, negative values only.
  const int shape = static_cast<int>(rng() % 10);
  const double scale = shape == 6 ? 1e300 : shape == 7 ? 1e-300 : shape == 8 ? -1 : 1;
  std::string csv = "x,y,w,f,g,h,id\n";
  const char* levels[] = {"a", "b", "c", "long level name"};
  for (int i = 0; i < rows; ++i) {
    auto num = [&](double spread) {
      if (rng() % 12 == 0) return std::string(".");
      if (shape == 9) return std::string("3");
      char b[32];
      std::snprintf(b, sizeof b, "%.4g",
                    scale * (static_cast<double>(rng() % 10000) / 10000.0 * spread + (rng() % 3 == 0 ? 0 : 1)));
      return std::string(b);
    };
    csv += num(100) + "," + num(5) + "," + num(3) + "," + std::to_string(rng() % 4) + "," +
           levels[(i * 3 / std::max(rows, 1)) % 4] + "," + std::to_string(rng() % 3) + ",r" + std::to_string(i) + "\n";
  }
  return csv;
}

}  // namespace kes_fuzz
