#include "fuzz/fuzz_data.h"

#include <algorithm>
#include <cstdio>

namespace kes_fuzz {
namespace {

// The kinds of data set: most are ordinary; the others lie where the statistics and
// the graphs' scales meet the ends of the doubles.
enum class shape {
  ordinary,
  huge,       // near 1e302
  tiny,       // near 1e-300
  negative,   // negative values only
  constant,   // one value throughout
  largest,    // within a factor of two of the largest double, of one sign
  wide,       // from -1.7e308 to 1.7e308
  subnormal,  // below the least normal double
  mixed,      // any of the above, value by value
  nano,       // in units of 1e-9
  atto,       // in units of 1e-20
};
constexpr int kShapes = 11;

double uniform(std::mt19937_64& rng) { return static_cast<double>(rng() % 10000) / 10000.0; }

// One value of a data set of that shape; spread is how far ordinary values range.
double value(std::mt19937_64& rng, shape s, double spread, bool negate) {
  const double u = uniform(rng), lift = rng() % 3 == 0 ? 0 : 1;
  switch (s) {
    case shape::huge:
      return 1e300 * (u * spread + lift);
    case shape::tiny:
      return 1e-300 * (u * spread + lift);
    case shape::negative:
      return -(u * spread + lift);
    case shape::constant:
      return 3;
    case shape::largest:
      return (negate ? -1.7e308 : 1.7e308) * (0.5 + 0.5 * u);
    case shape::wide:
      return 1.7e308 * (2 * u - 1);
    case shape::subnormal:
      return 4.9406564584124654e-324 * static_cast<double>(1 + rng() % 1000000);
    case shape::mixed:
      return value(rng, static_cast<shape>(rng() % (kShapes - 1)), spread, rng() % 2 == 0);
    case shape::nano:
      return 1e-9 * (u * spread + lift);
    case shape::atto:
      return 1e-20 * (u * spread + lift);
    case shape::ordinary:
      break;
  }
  return u * spread + lift;
}

}  // namespace

std::string fuzz_data(std::mt19937_64& rng) {
  const int rows = static_cast<int>(rng() % 40);
  // Half the data sets are ordinary, the rest spread over the edge shapes.
  const int pick = static_cast<int>(rng() % (2 * (kShapes - 1)));
  const shape s = pick < kShapes - 1 ? shape::ordinary : static_cast<shape>(pick - (kShapes - 1) + 1);
  const bool negate = rng() % 2 == 0;
  std::string csv = "x,y,w,f,g,h,id\n";
  const char* levels[] = {"a", "b", "c", "long level name"};
  for (int i = 0; i < rows; ++i) {
    auto num = [&](double spread) {
      if (rng() % 12 == 0) return std::string(".");
      char b[40];
      // Enough digits that values near the ends keep their place and stay finite.
      std::snprintf(b, sizeof b, "%.9g", value(rng, s, spread, negate));
      return std::string(b);
    };
    csv += num(100) + "," + num(5) + "," + num(3) + "," + std::to_string(rng() % 4) + "," +
           levels[(i * 3 / std::max(rows, 1)) % 4] + "," + std::to_string(rng() % 3) + ",r" + std::to_string(i) + "\n";
  }
  return csv;
}

}  // namespace kes_fuzz
