#include "fuzz/fuzz_data.h"

#include <algorithm>
#include <cstdio>

#include "support/value_scales.h"

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
  e_minus20,  // in units of 1e-20
  billion,    // 1e9 plus or minus 1: seconds since 1970 to a fraction
  integers,   // 1e15 plus integers: microsecond timestamps, large identifiers
  seconds,    // Unix seconds with a spread below a second
};
constexpr int kShapes = 14;

double uniform(std::mt19937_64& rng) { return static_cast<double>(rng() % 10000) / 10000.0; }

// One value of a data set of that shape; spread is how far ordinary values range.
double value(std::mt19937_64& rng, shape s, double spread, bool negate) {
  const double u = uniform(rng), lift = rng() % 3 == 0 ? 0 : 1;
  switch (s) {
    case shape::huge:
      return 1e300 * (u * spread + lift);
    case shape::tiny:
      return kes_test::in_unit(u * spread + lift, kes_test::kTinyUnit);
    case shape::negative:
      return -(u * spread + lift);
    case shape::constant:
      return 3;
    case shape::largest:
      return (negate ? -1.7e308 : 1.7e308) * (0.5 + 0.5 * u);
    case shape::wide:
      return 1.7e308 * (2 * u - 1);
    case shape::subnormal:
      return kes_test::subnormal_multiple(static_cast<double>(1 + rng() % 1000000));
    case shape::mixed:
      return value(rng, static_cast<shape>(rng() % (kShapes - 1)), spread, rng() % 2 == 0);
    case shape::nano:
      return kes_test::in_unit(u * spread + lift, kes_test::kNanoUnit);
    case shape::e_minus20:
      return kes_test::in_unit(u * spread + lift, kes_test::kUnit1eMinus20);
    case shape::billion:
      return 1e9 + (2 * u - 1) * (negate ? 1 : 0.05);
    case shape::integers:
      return 1e15 + static_cast<double>(rng() % 101);
    case shape::seconds:
      return 1733650000.204 + 0.489 * u;
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
  // Most data sets have four groups; some twelve, one of them a single row, some names
  // of over 240 characters (as the OVERLAY legends and notes must show them).
  static const std::string long_name(241, 'L');
  const std::string levels4[] = {"a", "b", "c", "long level name"};
  const std::string levels12[] = {"C01", "C02", "C03", "C04", "C05", "C06", "C07", "C08", "C09", "C10", "C11", "C12"};
  const std::string levels_long[] = {long_name + "1", long_name + "2", "b", long_name + "3"};
  const int kind = static_cast<int>(rng() % 6);
  const std::string* levels = kind == 4 ? levels12 : kind == 5 ? levels_long : levels4;
  const int groups = kind == 4 ? 12 : 4;
  for (int i = 0; i < rows; ++i) {
    auto num = [&](double spread) {
      if (rng() % 12 == 0) return std::string(".");
      char b[40];
      // Enough digits that values near the ends keep their place and stay finite, and
      // that values at an offset keep their spread.
      const bool offset = s == shape::billion || s == shape::integers || s == shape::seconds;
      std::snprintf(b, sizeof b, offset ? "%.17g" : "%.9g", value(rng, s, spread, negate));
      return std::string(b);
    };
    csv += num(100) + "," + num(5) + "," + num(3) + "," + std::to_string(rng() % 4) + "," +
           (kind == 4 && i == rows - 1 ? levels[groups - 1] : levels[(i * (groups - 1) / std::max(rows, 1)) % groups]) +
           "," + std::to_string(rng() % 3) + ",r" + std::to_string(i) + "\n";
  }
  return csv;
}

}  // namespace kes_fuzz
